#include "IngestConnection.h"

#include "VDLClient.h"

#include <QEventLoop>
#include <QTimer>

namespace {

constexpr int connectTimeoutMilliseconds = 120000;

} // namespace

VDLTopic *ingestWaitForRoot(VDLClient &client)
{
    if (!client.rootTopic()) {
        QEventLoop loop;
        QTimer::singleShot(connectTimeoutMilliseconds, &loop, &QEventLoop::quit);
        QObject::connect(&client, &VDLClient::rootTopicChanged, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return client.rootTopic();
}

#include "VDLViewerFlagsViewController.h"

#include "VDLClient.h"

VDLViewerFlagsViewController::VDLViewerFlagsViewController(VDLClient *client, QWidget *parent)
    : QLabel(parent)
    , m_client(client)
{
    setTextFormat(Qt::PlainText);
    connect(client, &VDLClient::connectionErrorChanged, this, &VDLViewerFlagsViewController::update);
    connect(client, &VDLClient::rootTopicChanged, this, &VDLViewerFlagsViewController::update);
    update();
}

void VDLViewerFlagsViewController::update()
{
    const QString security = m_client->useTLS() ? QStringLiteral("TLS") : QStringLiteral("Plain");
    const QString state = !m_client->connectionError().isEmpty() ? m_client->connectionError()
        : m_client->rootTopic()                                  ? QStringLiteral("Connected")
                                                                 : QStringLiteral("Connecting…");
    setText(QStringLiteral("%1 · %2").arg(security, state));
}

// What the topics outline model adds to filing messages into the live tree: the same messages
// are filed into a fresh tree without a model, then with a model in name order and in message
// count order (which re-sorts rows as counts change). Each batch of messages is one batch of tree
// changes, announced once at its end as an inbox drain announces its slice, and cell changes are
// applied then, as the event loop would after the drain. No window: this measures the model alone. Besides
// the time per message it prints the heap per topic node the tree (and model) hold at the end.
//
// Usage: bench_outline_model [messages] [topics] [batch]   (default 200000 10000 1000)

#include "VDLClient.h"
#include "VDLMessage.h"
#include "VDLTopic.h"
#include "VDLTopicsModel.h"
#include "VDLTreeChange.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <malloc.h>

#include <mosquitto.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

struct Workload
{
    QList<QStringList> levels;
    QList<VDLMessagePtr> messages;
    // The index into levels of each message's topic.
    QList<int> topicOfMessage;
};

VDLMessagePtr makeMessage(const QByteArray &topic, const QByteArray &payload)
{
    QByteArray topicText = topic;
    QByteArray payloadBytes = payload;
    mosquitto_message message{};
    message.topic = topicText.data();
    message.payload = payloadBytes.data();
    message.payloadlen = int(payloadBytes.size());
    return std::make_shared<const VDLMessage>(message, QString::fromUtf8(topic));
}

// Topics bench/dev<n>/sensor<m>, a hundred sensors per device, hit in random order.
Workload makeWorkload(int messageCount, int topicCount)
{
    Workload workload;
    QList<QByteArray> topics;
    for (int index = 0; index < topicCount; ++index) {
        const QByteArray topic = "bench/dev" + QByteArray::number(index / 100) + "/sensor" + QByteArray::number(index % 100);
        topics.append(topic);
        workload.levels.append(QString::fromUtf8(topic).split(QLatin1Char('/')));
    }
    QRandomGenerator random(42);
    for (int index = 0; index < messageCount; ++index) {
        const int topic = int(random.bounded(topicCount));
        workload.messages.append(makeMessage(topics[topic], QByteArray::number(random.bounded(1000))));
        workload.topicOfMessage.append(topic);
    }
    return workload;
}

struct Cost
{
    double nanosecondsPerMessage = 0;
    double heapBytesPerNode = 0;
};

qint64 nodeCount(const VDLTopic &root)
{
    QList<VDLTopic *> nodes;
    const_cast<VDLTopic &>(root).flattenInto(nodes);
    return nodes.size();
}

// What filing the messages costs; with a model in the given order when there is one.
Cost run(const Workload &workload, std::optional<quint64> order, int batch)
{
    const double heapBefore = double(mallinfo2().uordblks);
    VDLClient client(QStringLiteral("127.0.0.1"));
    VDLTopic root;
    root.setClient(&client);
    std::unique_ptr<VDLTopicsModel> model;
    if (order) {
        model = std::make_unique<VDLTopicsModel>();
        model->setComparator(VDLTopicComparator(*order));
        model->setRootTopic(&root);
    }
    QElapsedTimer timer;
    timer.start();
    for (qsizetype start = 0; start < workload.messages.size(); start += batch) {
        {
            const VDLTreeChange drain(&client);
            for (qsizetype index = start; index < std::min(start + batch, workload.messages.size()); ++index) {
                VDLTopic *node = &root;
                for (const QString &level : workload.levels[workload.topicOfMessage[index]])
                    node = node->subtopicNamed(level);
                node->addMessage(workload.messages[index]);
            }
        }
        if (model)
            model->flushPendingChanges();
    }
    const double nanoseconds = double(timer.nsecsElapsed()) / double(workload.messages.size());
    const double heapGrowth = double(mallinfo2().uordblks) - heapBefore;
    return {nanoseconds, heapGrowth / double(nodeCount(root))};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int messageCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200000;
    const int topicCount = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10000;
    const int batch = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1000;
    const Workload workload = makeWorkload(messageCount, topicCount);
    std::printf("%d messages over %d topics, cells applied every %d messages\n", messageCount, topicCount, batch);
    const Cost bare = run(workload, std::nullopt, batch);
    std::printf("without a model:            %7.0f ns per message  %6.0f heap bytes per node\n",
                bare.nanosecondsPerMessage, bare.heapBytesPerNode);
    const char *names[] = {"by name", "by creation", "by sub-topics", "by messages"};
    for (quint64 order = 0; order <= 3; ++order) {
        const Cost withModel = run(workload, order, batch);
        std::printf("with a model, %-13s %7.0f ns per message (%.2fx)  %6.0f heap bytes per node\n", names[order],
                    withModel.nanosecondsPerMessage, withModel.nanosecondsPerMessage / bare.nanosecondsPerMessage,
                    withModel.heapBytesPerNode);
    }
    return 0;
}

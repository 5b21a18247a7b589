#include "IngestWorkload.h"

#include <algorithm>

namespace {

constexpr qint64 mixedTopicCount = 10000;
constexpr qint64 siblingCount = 100000;
constexpr qint64 searchTopicCount = 100000;
// Steps through the topics in an order that is not the order of creation.
constexpr qint64 spreadPrime = 7919;

// The search scenario names each topic once, then spreads over them.
qint64 searchTopic(qint64 index)
{
    return index < searchTopicCount ? index : (index * spreadPrime) % searchTopicCount;
}

} // namespace

IngestWorkload::IngestWorkload(char scenario, qint64 messageCount)
    : m_scenario(scenario)
    , m_messageCount(messageCount)
{
}

qint64 IngestWorkload::defaultCount(char scenario)
{
    switch (scenario) {
    case 'c':
        return siblingCount + 500000;
    case 's':
        return 2 * searchTopicCount;
    case 'd':
        return 10000000;
    default:
        return 1000000;
    }
}

qint64 IngestWorkload::topicCount() const
{
    switch (m_scenario) {
    case 'a':
    case 'd':
        return std::min(mixedTopicCount, m_messageCount);
    case 'b':
        return 1;
    case 's':
        return std::min(searchTopicCount, m_messageCount);
    default:
        return std::min(siblingCount, m_messageCount);
    }
}

QString IngestWorkload::description() const
{
    switch (m_scenario) {
    case 'a':
    case 'd':
        return QStringLiteral("(%1) %2 messages over 10,000 topics of depth 4-6, mixed payloads")
            .arg(QLatin1Char(m_scenario))
            .arg(m_messageCount);
    case 'b':
        return QStringLiteral("(b) %1 messages on one topic").arg(m_messageCount);
    case 's':
        return QStringLiteral("(s) 100,000 topics below 1,000 devices, 100 of them recognised, then messages spread "
                              "over them: %1 in all")
            .arg(m_messageCount);
    default:
        return QStringLiteral("(c) 100,000 sibling topics, then messages spread over them: %1 in all")
            .arg(m_messageCount);
    }
}

QByteArray IngestWorkload::topic(qint64 index) const
{
    switch (m_scenario) {
    case 'a':
    case 'd': {
        const qint64 topic = (index * spreadPrime) % mixedTopicCount;
        QByteArray name = "home/floor" + QByteArray::number(topic % 10) + "/room" + QByteArray::number(topic / 10 % 100)
            + "/device" + QByteArray::number(topic);
        if (topic % 3 >= 1)
            name += "/state";
        if (topic % 3 == 2)
            name += "/value";
        return name;
    }
    case 'b':
        return "bench/one";
    case 's': {
        // Every twentieth topic is a probe; the last two topics of every tenth device make it a
        // recognised relay.
        const qint64 topic = searchTopic(index);
        const QByteArray device = "bench/dev" + QByteArray::number(topic / 100);
        const qint64 leaf = topic % 100;
        if (topic / 100 % 10 == 0 && leaf >= 98)
            return device + (leaf == 98 ? "/online" : "/relay/0");
        return device + (leaf % 20 == 0 ? "/probe" : "/sensor") + QByteArray::number(leaf);
    }
    default: {
        const qint64 topic = index < siblingCount ? index : (index * spreadPrime) % siblingCount;
        return "bench/sensor" + QByteArray::number(topic);
    }
    }
}

QByteArray IngestWorkload::payload(qint64 index) const
{
    if (m_scenario == 's') {
        const qint64 topic = searchTopic(index);
        if (topic / 100 % 10 == 0 && topic % 100 >= 98)
            return topic % 100 == 98 ? "true" : "on";
        if (topic % 10 == 0)
            return R"({"temperature":21.5,"humidity":40,"unit":"celsius"})";
        return QByteArray::number(index % 1000);
    }
    if (m_scenario != 'a' && m_scenario != 'd')
        return QByteArray::number(20 + double(index % 1000) / 10);
    switch (index % 3) {
    case 0:
        return QByteArray::number(double(index % 500) / 4);
    case 1:
        return "{\"temperature\":" + QByteArray::number(index % 40) + ",\"humidity\":55,\"ok\":true}";
    default:
        return index % 2 ? "on" : "status: all fine";
    }
}

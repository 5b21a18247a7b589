#include "IngestWorkload.h"

#include <algorithm>

namespace {

constexpr qint64 mixedTopicCount = 10000;
constexpr qint64 siblingCount = 100000;
// Steps through the topics in an order that is not the order of creation.
constexpr qint64 spreadPrime = 7919;

} // namespace

IngestWorkload::IngestWorkload(char scenario, qint64 messageCount)
    : m_scenario(scenario)
    , m_messageCount(messageCount)
{
}

qint64 IngestWorkload::defaultCount(char scenario)
{
    return scenario == 'c' ? siblingCount + 500000 : 1000000;
}

qint64 IngestWorkload::topicCount() const
{
    switch (m_scenario) {
    case 'a':
        return std::min(mixedTopicCount, m_messageCount);
    case 'b':
        return 1;
    default:
        return std::min(siblingCount, m_messageCount);
    }
}

QString IngestWorkload::description() const
{
    switch (m_scenario) {
    case 'a':
        return QStringLiteral("(a) %1 messages over 10,000 topics of depth 4-6, mixed payloads").arg(m_messageCount);
    case 'b':
        return QStringLiteral("(b) %1 messages on one topic").arg(m_messageCount);
    default:
        return QStringLiteral("(c) 100,000 sibling topics, then messages spread over them: %1 in all")
            .arg(m_messageCount);
    }
}

QByteArray IngestWorkload::topic(qint64 index) const
{
    switch (m_scenario) {
    case 'a': {
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
    default: {
        const qint64 topic = index < siblingCount ? index : (index * spreadPrime) % siblingCount;
        return "bench/sensor" + QByteArray::number(topic);
    }
    }
}

QByteArray IngestWorkload::payload(qint64 index) const
{
    if (m_scenario != 'a')
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

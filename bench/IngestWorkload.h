#pragma once

#include <QByteArray>
#include <QString>

// The message streams of the ingest benchmark, generated on the fly and the same for every run:
// (a) 10,000 topics of depth 4 to 6 with mixed payloads, and (d) the same at ten times the count,
// (b) one topic, (c) 100,000 sibling topics created first, then messages spread over them,
// (s) 100,000 topics below 1,000 devices (a tenth with JSON payloads, a hundred devices
// recognised), then messages spread over them.
class IngestWorkload
{
public:
    // 'a', 'b', 'c', 'd' or 's'; the message count may be scaled down for a quick run.
    IngestWorkload(char scenario, qint64 messageCount);

    char scenario() const { return m_scenario; }
    qint64 messageCount() const { return m_messageCount; }
    QString description() const;

    // The topic and payload of message number `index`.
    QByteArray topic(qint64 index) const;
    QByteArray payload(qint64 index) const;

    // How many topics the workload names; its first that many messages name each of them once.
    qint64 topicCount() const;

    // The scenario's default message count.
    static qint64 defaultCount(char scenario);

private:
    char m_scenario;
    qint64 m_messageCount;
};

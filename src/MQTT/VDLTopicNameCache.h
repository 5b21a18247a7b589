#pragma once

#include <QByteArray>
#include <QHash>
#include <QMultiHash>
#include <QString>

#include <mutex>

// One shared string per topic name, so that the messages of a topic do not each carry a copy of
// it. Bytes that are not UTF-8 are decoded with replacement characters, so such a topic can
// still be shown. Grows with the number of distinct topics, as the tree does; the names it hands
// out are implicitly shared copies. Thread-safe.
class VDLTopicNameCache
{
public:
    QString nameFor(const char *topic);

private:
    std::mutex m_mutex;
    // Names by the hash of their UTF-8 bytes, compared with the bytes themselves on lookup: the
    // bytes need not be kept, which halves what a topic costs here.
    QMultiHash<size_t, QString> m_names;
    // The rare names whose bytes are not UTF-8, which the decoded name cannot be compared with.
    QHash<QByteArray, QString> m_undecodable;
};

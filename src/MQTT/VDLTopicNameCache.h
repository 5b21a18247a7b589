#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <mutex>

// One shared string per topic name, so that the messages of a topic do not each carry a copy of
// it. Bytes that are not UTF-8 are decoded with replacement characters, so such a topic can
// still be shown. Grows with the number of distinct topics, as the tree does. Thread-safe.
class VDLTopicNameCache
{
public:
    QString nameFor(const char *topic);

private:
    std::mutex m_mutex;
    QHash<QByteArray, QString> m_names;
};

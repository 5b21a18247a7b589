#include "VDLTopicNameCache.h"

QString VDLTopicNameCache::nameFor(const char *topic)
{
    const QByteArray bytes = QByteArray::fromRawData(topic ? topic : "", topic ? qstrlen(topic) : 0);
    const std::lock_guard<std::mutex> locker(m_mutex);
    const auto found = m_names.constFind(bytes);
    if (found != m_names.cend())
        return found.value();
    const QString name = QString::fromUtf8(bytes);
    m_names.insert(QByteArray(bytes.constData(), bytes.size()), name);
    return name;
}

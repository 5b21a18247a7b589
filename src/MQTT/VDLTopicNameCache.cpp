#include "VDLTopicNameCache.h"

#include <QAnyStringView>
#include <QStringDecoder>

QString VDLTopicNameCache::nameFor(const char *topic)
{
    const QByteArrayView bytes(topic ? topic : "", topic ? qsizetype(qstrlen(topic)) : 0);
    const QUtf8StringView utf8(bytes.data(), bytes.size());
    const size_t key = qHash(bytes);
    const std::lock_guard<std::mutex> locker(m_mutex);
    for (auto found = m_names.constFind(key); found != m_names.cend() && found.key() == key; ++found) {
        if (QAnyStringView::equal(utf8, found.value()))
            return found.value();
    }
    const auto undecodable = m_undecodable.constFind(QByteArray::fromRawData(bytes.data(), bytes.size()));
    if (undecodable != m_undecodable.cend())
        return undecodable.value();

    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString name = decoder.decode(bytes);
    if (name.isNull())
        name = QStringLiteral("");
    if (decoder.hasError())
        m_undecodable.insert(bytes.toByteArray(), name);
    else
        m_names.insert(key, name);
    return name;
}

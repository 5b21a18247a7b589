#include "VDLTopicPath.h"

#include <QUrl>

QString vdlPercentEncodedTopic(const QString &topic)
{
    // Sub-delimiters, ":" and "@" may stand in a path segment as they are.
    static const QByteArray keep = QByteArrayLiteral("!$&'()*+,;=:@");
    QString encoded;
    encoded.reserve(topic.size());
    VDLTopicLevels levels(topic);
    QStringView level;
    bool first = true;
    while (levels.next(level)) {
        if (!first)
            encoded.append(QLatin1Char('/'));
        first = false;
        encoded.append(QString::fromLatin1(QUrl::toPercentEncoding(level.toString(), keep)));
    }
    return encoded;
}

bool VDLTopicLevels::next(QStringView &level)
{
    if (m_done)
        return false;
    const qsizetype end = m_topic.indexOf(QLatin1Char('/'), m_start);
    if (end < 0) {
        level = m_topic.sliced(m_start);
        m_done = true;
    } else {
        level = m_topic.sliced(m_start, end - m_start);
        m_start = end + 1;
    }
    return true;
}

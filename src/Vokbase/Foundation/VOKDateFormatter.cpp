#include "VOKDateFormatter.h"

VOKDateFormatter::VOKDateFormatter(const QString &pattern)
    : m_pattern(pattern)
{
}

QString VOKDateFormatter::stringFromDate(const QDateTime &date) const
{
    if (!date.isValid())
        return QStringLiteral("");
    return date.toLocalTime().toString(m_pattern);
}

VOKDateFormatter vokDateFormatter(const QString &pattern)
{
    return VOKDateFormatter(pattern);
}

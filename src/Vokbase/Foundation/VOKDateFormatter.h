#pragma once

#include <QDateTime>
#include <QString>

// Formats dates in the local time zone with a fixed pattern ("HH:mm:ss"). Immutable, so shared
// formatters may be used from any thread.
class VOKDateFormatter
{
public:
    explicit VOKDateFormatter(const QString &pattern);

    QString pattern() const { return m_pattern; }

    // The date in local time with the pattern; an invalid date gives an empty string.
    QString stringFromDate(const QDateTime &date) const;

private:
    QString m_pattern;
};

// A new formatter with the pattern.
VOKDateFormatter vokDateFormatter(const QString &pattern);

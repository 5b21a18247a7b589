#include "VOKDate.h"

#include "VOKClock.h"
#include "VOKDateFormatter.h"

#include <QLocale>
#include <QRegularExpression>

namespace {

const VOKDateFormatter &timeFormatter()
{
    static const VOKDateFormatter formatter(QStringLiteral("HH:mm:ss"));
    return formatter;
}

const VOKDateFormatter &shortDateTimeFormatter()
{
    static const VOKDateFormatter formatter(QStringLiteral("MM/dd HH:mm:ss"));
    return formatter;
}

// Qt has long and short date styles; the medium style is the long one with the month
// abbreviated and without the weekday.
const VOKDateFormatter &longAgoFormatter()
{
    static const VOKDateFormatter formatter([] {
        QString pattern = QLocale().dateFormat(QLocale::LongFormat);
        pattern.remove(QRegularExpression(QStringLiteral("d{4}[,\\s]*")));
        pattern.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
        return pattern.trimmed();
    }());
    return formatter;
}

QString agoText(qint64 count, const char *unit)
{
    const QString unitText = QString::fromLatin1(unit) + (count == 1 ? QString() : QStringLiteral("s"));
    return QStringLiteral("%1 %2 ago").arg(count).arg(unitText);
}

} // namespace

QString vokTime24(const QDateTime &date)
{
    return timeFormatter().stringFromDate(date);
}

QString vokShortDateTime24(const QDateTime &date)
{
    return shortDateTimeFormatter().stringFromDate(date);
}

QString vokMediumDateString(const QDateTime &date)
{
    if (!date.isValid())
        return QStringLiteral("");
    return QLocale().toString(date.toLocalTime().date(), longAgoFormatter().pattern());
}

QString vokRelativeTimeString(const QDateTime &date)
{
    if (!date.isValid())
        return QStringLiteral("");
    const qint64 msecs = VOKClock::current().currentDateTime().msecsTo(date);
    const double seconds = static_cast<double>(msecs) / 1000.0;
    if (seconds > -60)
        return QStringLiteral("Just now");
    if (seconds > -3600)
        return agoText(static_cast<qint64>(seconds / -60), "min");
    if (seconds > -86400)
        return agoText(static_cast<qint64>(seconds / -3600), "hour");
    if (seconds > -604800)
        return agoText(static_cast<qint64>(seconds / -86400), "day");
    return vokMediumDateString(date);
}

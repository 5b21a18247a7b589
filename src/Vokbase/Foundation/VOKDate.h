#pragma once

#include <QDateTime>
#include <QString>

// Helpers on dates. Callable from any thread.

// The local time as "HH:mm:ss".
QString vokTime24(const QDateTime &date);

// The local date and time as "MM/dd HH:mm:ss".
QString vokShortDateTime24(const QDateTime &date);

// The date in the locale's medium style, without the time ("Dec 6, 2026").
QString vokMediumDateString(const QDateTime &date);

// How long ago the date was, measured against VOKClock::current(): "Just now" under a minute
// (and for future dates), then "1 min ago", "5 mins ago", "1 hour ago", "6 days ago", and the
// medium date from a week on. An invalid date gives an empty string.
QString vokRelativeTimeString(const QDateTime &date);

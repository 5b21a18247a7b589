#pragma once

#include <QDateTime>

// The source of "now" for everything whose behaviour depends on the time of day (relative
// times, ages of messages), so tests can set the time.
//
// Thread safety: current() may be called from any thread; setCurrent() belongs to test set-up.
class VOKClock
{
public:
    virtual ~VOKClock() = default;

    virtual QDateTime currentDateTime() const = 0;
    // Milliseconds since the epoch. Cheaper than a local date and time: the system clock
    // answers it without looking at the time zone, so per-message timestamps use it.
    virtual qint64 currentMSecsSinceEpoch() const { return currentDateTime().toMSecsSinceEpoch(); }

    // The clock in use: the system clock unless a test installed another.
    static const VOKClock &current();

    // Installs a clock (not owned; it must outlive its use) and answers the previous one.
    // A null clock restores the system clock.
    static const VOKClock *setCurrent(const VOKClock *clock);
};

// The clock of the system.
class VOKSystemClock final : public VOKClock
{
public:
    QDateTime currentDateTime() const override { return QDateTime::currentDateTime(); }
    qint64 currentMSecsSinceEpoch() const override { return QDateTime::currentMSecsSinceEpoch(); }
};

#pragma once

#include <QtGlobal>

#include <vector>

// The calling thread's CPU per filed message over the whole run and over the first and last
// tenth of what arrived. How many will arrive is known only at the end (a broker may drop some),
// so the thread's clock is read every hundredth of the messages sent and the tenths are cut from
// those readings. One thread: the one that files.
class IngestThreadCost
{
public:
    // Takes the reading the figures start from.
    explicit IngestThreadCost(qint64 sent);

    // The total filed so far; cheap enough to call for every message.
    void filed(qint64 total);
    // Takes the last reading, once everything has arrived.
    void finish(qint64 total);
    // "  GUI thread per message: ..."
    void print() const;

private:
    struct Reading
    {
        qint64 filed;
        double cpuSeconds;
    };

    const Reading &firstReachingOrLast(qint64 filed) const;
    static double microsecondsPerMessage(const Reading &from, const Reading &to);

    qint64 m_step;
    qint64 m_next;
    std::vector<Reading> m_readings;
};

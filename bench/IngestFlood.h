#pragma once

#include "IngestProcess.h"
#include "IngestWorkload.h"

#include <QElapsedTimer>

// One flood of a workload at one receiver. Starts the wall clock and the publisher process, takes
// the receiver's running count of arrivals, and ends the run once the publisher has exited and
// nothing new has arrived for a quiet period: a broker drops QoS 0 messages for a receiver that
// falls behind, so waiting for every message could wait forever. GUI thread.
class IngestFlood
{
public:
    IngestFlood(int port, const IngestWorkload &workload);
    // Waits for the publisher when the run ended early.
    ~IngestFlood();
    IngestFlood(const IngestFlood &) = delete;
    IngestFlood &operator=(const IngestFlood &) = delete;

    // The receiver's total so far; cheap enough to call for every message.
    void arrived(qint64 total);
    // Runs the event loop until the run is over.
    void runUntilQuiet();

    qint64 arrivedCount() const { return m_arrived; }
    double secondsSinceStart() const { return double(m_wall.nsecsElapsed()) / 1e9; }
    // From the start of the publisher to the last arrival.
    double secondsToLastArrival() const { return double(m_lastArrival) / 1e9; }
    // "  arrived X of N (lost L)".
    void printArrivals() const;

private:
    bool isOver();

    qint64 m_sent;
    qint64 m_arrived = 0;
    qint64 m_lastArrival = 0;
    QElapsedTimer m_wall;
    IngestChild m_publisher;
};

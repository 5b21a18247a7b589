#pragma once

#include "VDLArrivalBatch.h"

#include <mutex>

// Messages on their way from the network thread to the GUI thread, in arrival order. The network
// thread appends; the GUI thread takes everything at once, so one queued call hands over every
// message that arrived meanwhile.
//
// A take stays scheduled until a take finds the inbox empty: the GUI thread keeps taking (on a
// short timer of its own) while messages flow, and the network thread wakes it only when the
// flow starts again. At broker speed that is one wake per batch instead of one per message.
// The taker hands its spent batch back in each take, so the two batches' buffers are reused and
// a steady flow allocates nothing but large payloads. Thread-safe.
class VDLMessageInbox
{
public:
    // Answers true when no take is scheduled: the caller then schedules one.
    bool push(const mosquitto_message &message, const QString &topic, qint64 createdMSecs);
    // Swaps everything that arrived into `batch`, which is cleared first. An empty answer ends
    // the scheduled take.
    void takeAll(VDLArrivalBatch &batch);

private:
    std::mutex m_mutex;
    VDLArrivalBatch m_arrived;
    bool m_takeScheduled = false;
};

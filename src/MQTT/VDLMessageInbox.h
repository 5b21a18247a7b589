#pragma once

#include "VDLMessage.h"

#include <mutex>
#include <vector>

// Messages on their way from the network thread to the GUI thread, in arrival order. The network
// thread pushes; the GUI thread takes everything at once, so one queued call hands over every
// message that arrived meanwhile.
//
// A take stays scheduled until a take finds the inbox empty: the GUI thread keeps taking (on a
// short timer of its own) while messages flow, and the network thread wakes it only when the
// flow starts again. At broker speed that is one wake per batch instead of one per message.
// The inbox shares the messages until they are taken; the taker then holds them. Thread-safe.
class VDLMessageInbox
{
public:
    // Answers true when no take is scheduled: the caller then schedules one.
    bool push(VDLMessagePtr message);
    // Everything that arrived, oldest first. An empty answer ends the scheduled take.
    std::vector<VDLMessagePtr> takeAll();

private:
    std::mutex m_mutex;
    std::vector<VDLMessagePtr> m_messages;
    bool m_takeScheduled = false;
};

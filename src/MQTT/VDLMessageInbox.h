#pragma once

#include "VDLMessage.h"

#include <mutex>
#include <vector>

// Messages on their way from the network thread to the GUI thread, in arrival order. The network
// thread pushes; the GUI thread takes everything at once, so one queued call hands over every
// message that arrived meanwhile. Thread-safe.
class VDLMessageInbox
{
public:
    // Answers true when the inbox was empty before: the caller then schedules one take.
    bool push(VDLMessagePtr message);
    std::vector<VDLMessagePtr> takeAll();

private:
    std::mutex m_mutex;
    std::vector<VDLMessagePtr> m_messages;
};

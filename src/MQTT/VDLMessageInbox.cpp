#include "VDLMessageInbox.h"

bool VDLMessageInbox::push(VDLMessagePtr message)
{
    const std::lock_guard<std::mutex> locker(m_mutex);
    m_messages.push_back(std::move(message));
    if (m_takeScheduled)
        return false;
    m_takeScheduled = true;
    return true;
}

std::vector<VDLMessagePtr> VDLMessageInbox::takeAll()
{
    std::vector<VDLMessagePtr> taken;
    const std::lock_guard<std::mutex> locker(m_mutex);
    taken.swap(m_messages);
    if (taken.empty())
        m_takeScheduled = false;
    return taken;
}

#include "VDLMessageInbox.h"

bool VDLMessageInbox::push(VDLMessagePtr message)
{
    const std::lock_guard<std::mutex> locker(m_mutex);
    m_messages.push_back(std::move(message));
    return m_messages.size() == 1;
}

std::vector<VDLMessagePtr> VDLMessageInbox::takeAll()
{
    std::vector<VDLMessagePtr> taken;
    const std::lock_guard<std::mutex> locker(m_mutex);
    taken.swap(m_messages);
    return taken;
}

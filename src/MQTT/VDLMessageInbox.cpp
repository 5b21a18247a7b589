#include "VDLMessageInbox.h"

bool VDLMessageInbox::push(const mosquitto_message &message, const QString &topic, qint64 createdMSecs)
{
    const std::lock_guard<std::mutex> locker(m_mutex);
    m_arrived.append(message, topic, createdMSecs);
    if (m_takeScheduled)
        return false;
    m_takeScheduled = true;
    return true;
}

void VDLMessageInbox::takeAll(VDLArrivalBatch &batch)
{
    batch.clear();
    const std::lock_guard<std::mutex> locker(m_mutex);
    std::swap(batch, m_arrived);
    if (batch.isEmpty())
        m_takeScheduled = false;
}

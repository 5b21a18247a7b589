#include "VDLChartSeries.h"

#include <algorithm>

VDLChartSeries::VDLChartSeries(const VDLChartField &field)
    : m_field(field)
{
}

bool VDLChartSeries::extend(const QList<VDLMessagePtr> &messages, qsizetype limit)
{
    if (messages.size() < m_read)
        clear();
    const qsizetype end = messages.size() - m_read > limit ? m_read + limit : messages.size();
    if (m_times.empty()) {
        m_times.reserve(size_t(end - m_read));
        m_values.reserve(size_t(end - m_read));
    }
    for (qsizetype index = m_read; index < end; ++index) {
        const VDLMessage &message = *messages[index];
        const std::optional<double> value = m_field.valueOf(message);
        if (!value)
            continue;
        m_states = m_states
            && (message.type() == VDLPayloadType::Boolean || message.type() == VDLPayloadType::Text);
        append(message.createdMSecsSinceEpoch(), *value);
    }
    m_read = end;
    return m_read == messages.size();
}

void VDLChartSeries::append(qint64 time, double value)
{
    if (m_times.empty()) {
        m_earliest = m_latest = time;
        m_lowest = m_highest = value;
    } else {
        m_timeOrdered = m_timeOrdered && time >= m_times.back();
        m_earliest = std::min(m_earliest, time);
        m_latest = std::max(m_latest, time);
        m_lowest = std::min(m_lowest, value);
        m_highest = std::max(m_highest, value);
    }
    m_times.push_back(time);
    m_values.push_back(value);
}

void VDLChartSeries::clear()
{
    *this = VDLChartSeries(m_field);
}

#include "VDLChartSeries.h"

#include <algorithm>

VDLChartSeries::VDLChartSeries(const VDLChartField &field)
    : m_field(field)
{
}

bool VDLChartSeries::extend(const VDLMessageHistory &history, qsizetype limit)
{
    const quint64 received = history.droppedCount() + quint64(history.size());
    if (received < m_read)
        clear();
    m_read = std::max(m_read, history.droppedCount());
    const quint64 end = received - m_read > quint64(limit) ? m_read + quint64(limit) : received;
    if (m_times.empty()) {
        m_times.reserve(size_t(end - m_read));
        m_values.reserve(size_t(end - m_read));
    }
    for (quint64 read = m_read; read < end; ++read) {
        const qsizetype index = qsizetype(read - history.droppedCount());
        const VDLPayloadType type = history.payloadTypeAt(index);
        const std::optional<double> value = m_field.valueOf(type, history.payloadAt(index));
        if (!value)
            continue;
        m_states = m_states && (type == VDLPayloadType::Boolean || type == VDLPayloadType::Text);
        append(history.createdAt(index), *value);
    }
    m_read = end;
    return m_read == received;
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

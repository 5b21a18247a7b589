#include "IngestThreadCost.h"

#include "IngestThreadClock.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr qint64 readingsPerRun = 100;

} // namespace

IngestThreadCost::IngestThreadCost(qint64 sent)
    : m_step(std::max<qint64>(1, sent / readingsPerRun))
    , m_next(m_step)
    , m_readings{{0, ingestThreadCpuSeconds()}}
{
}

void IngestThreadCost::filed(qint64 total)
{
    if (total < m_next)
        return;
    m_readings.push_back({total, ingestThreadCpuSeconds()});
    m_next = total + m_step;
}

void IngestThreadCost::finish(qint64 total)
{
    m_readings.push_back({total, ingestThreadCpuSeconds()});
}

const IngestThreadCost::Reading &IngestThreadCost::firstReachingOrLast(qint64 filed) const
{
    const auto found = std::find_if(m_readings.begin(), m_readings.end(),
                                    [filed](const Reading &reading) { return reading.filed >= filed; });
    return found == m_readings.end() ? m_readings.back() : *found;
}

double IngestThreadCost::microsecondsPerMessage(const Reading &from, const Reading &to)
{
    return to.filed > from.filed ? (to.cpuSeconds - from.cpuSeconds) / double(to.filed - from.filed) * 1e6 : 0;
}

void IngestThreadCost::print() const
{
    const Reading &start = m_readings.front();
    const Reading &end = m_readings.back();
    const qint64 tenth = std::max<qint64>(1, end.filed / 10);
    const double first = microsecondsPerMessage(start, firstReachingOrLast(tenth));
    const double last = microsecondsPerMessage(firstReachingOrLast(end.filed - tenth), end);
    std::printf("  GUI thread per message: %.2f us, first 10%% %.2f us, last 10%% %.2f us (last/first %.2f)\n",
                microsecondsPerMessage(start, end), first, last, first > 0 ? last / first : 0.0);
}

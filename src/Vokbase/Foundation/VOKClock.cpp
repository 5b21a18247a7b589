#include "VOKClock.h"

#include <atomic>

namespace {

const VOKSystemClock systemClock;
std::atomic<const VOKClock *> installedClock{nullptr};

} // namespace

const VOKClock &VOKClock::current()
{
    const VOKClock *clock = installedClock.load(std::memory_order_acquire);
    return clock ? *clock : systemClock;
}

const VOKClock *VOKClock::setCurrent(const VOKClock *clock)
{
    return installedClock.exchange(clock, std::memory_order_acq_rel);
}

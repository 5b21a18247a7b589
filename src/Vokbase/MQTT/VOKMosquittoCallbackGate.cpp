#include "VOKMosquittoCallbackGate.h"

#include <algorithm>
#include <vector>

namespace {

// The gates whose callbacks the current thread is running, innermost last.
thread_local std::vector<const VOKMosquittoCallbackGate *> t_enteredGates;

} // namespace

VOKMosquittoCallbackGate::VOKMosquittoCallbackGate(VOKMosquittoCallbackTarget *target)
    : m_target(target)
{
}

VOKMosquittoCallbackTarget *VOKMosquittoCallbackGate::enter()
{
    const std::lock_guard<std::mutex> locker(m_mutex);
    if (!m_target)
        return nullptr;
    ++m_running;
    t_enteredGates.push_back(this);
    return m_target;
}

void VOKMosquittoCallbackGate::leave()
{
    {
        const std::lock_guard<std::mutex> locker(m_mutex);
        --m_running;
        t_enteredGates.erase(std::find(t_enteredGates.rbegin(), t_enteredGates.rend(), this).base() - 1);
    }
    m_idle.notify_all();
}

void VOKMosquittoCallbackGate::close()
{
    std::unique_lock<std::mutex> locker(m_mutex);
    m_target = nullptr;
    const auto ownCallbacks = std::count(t_enteredGates.begin(), t_enteredGates.end(), this);
    m_idle.wait(locker, [this, ownCallbacks] { return m_running <= ownCallbacks; });
}

VOKMosquittoCallbackGate::Pass::Pass(VOKMosquittoCallbackGate &gate)
    : m_gate(gate)
    , m_target(gate.enter())
{
}

VOKMosquittoCallbackGate::Pass::~Pass()
{
    if (m_target)
        m_gate.leave();
}

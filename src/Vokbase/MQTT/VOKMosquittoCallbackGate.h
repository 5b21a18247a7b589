#pragma once

#include <condition_variable>
#include <mutex>

class VOKMosquittoCallbackTarget;

// The user data of one libmosquitto handle: the target its callbacks reach, until the handle is
// given up.
//
// close() detaches the target and waits until no callback on another thread is still using it,
// so a target may be destroyed right after close() returns. A callback that the closing thread
// is itself running (a hook that gives up its own handle) is not waited for.
//
// Thread safety: every function may be called from any thread.
class VOKMosquittoCallbackGate
{
public:
    explicit VOKMosquittoCallbackGate(VOKMosquittoCallbackTarget *target);

    VOKMosquittoCallbackGate(const VOKMosquittoCallbackGate &) = delete;
    VOKMosquittoCallbackGate &operator=(const VOKMosquittoCallbackGate &) = delete;

    // Keeps the target from being detached while it lives; target() is null once the gate is
    // closed.
    class Pass
    {
    public:
        explicit Pass(VOKMosquittoCallbackGate &gate);
        ~Pass();
        Pass(const Pass &) = delete;
        Pass &operator=(const Pass &) = delete;

        VOKMosquittoCallbackTarget *target() const { return m_target; }

    private:
        VOKMosquittoCallbackGate &m_gate;
        VOKMosquittoCallbackTarget *m_target;
    };

    void close();

private:
    VOKMosquittoCallbackTarget *enter();
    void leave();

    std::mutex m_mutex;
    std::condition_variable m_idle;
    VOKMosquittoCallbackTarget *m_target;
    int m_running = 0;
};

#include "VOKMosquittoCallbackGate.h"
#include "VOKMosquittoCallbackTarget.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

namespace {

class CountingTarget final : public VOKMosquittoCallbackTarget
{
public:
    void mosquittoConnected(int) override { ++calls; }
    void mosquittoReceivedMessage(const mosquitto_message &) override { ++calls; }
    void mosquittoDisconnected(int, int) override { ++calls; }
    void mosquittoLogged(int, const char *) override { ++calls; }

    std::atomic<int> calls{0};
};

// Runs one callback as the handle does: through a pass, reaching the target only while open.
void deliver(VOKMosquittoCallbackGate &gate)
{
    const VOKMosquittoCallbackGate::Pass pass(gate);
    if (pass.target())
        pass.target()->mosquittoConnected(0);
}

// A callback on a thread of its own that stays inside its pass until released.
class HeldCallback
{
public:
    explicit HeldCallback(VOKMosquittoCallbackGate &gate)
        : m_thread([this, &gate] {
            const VOKMosquittoCallbackGate::Pass pass(gate);
            m_entered.set_value(pass.target() != nullptr);
            m_release.get_future().wait();
            finished = true;
        })
    {
    }
    ~HeldCallback()
    {
        release();
        m_thread.join();
    }
    HeldCallback(const HeldCallback &) = delete;
    HeldCallback &operator=(const HeldCallback &) = delete;

    bool entered() { return m_entered.get_future().get(); }
    void release()
    {
        if (!m_released.exchange(true))
            m_release.set_value();
    }

    std::atomic<bool> finished{false};

private:
    std::promise<bool> m_entered;
    std::promise<void> m_release;
    std::atomic<bool> m_released{false};
    std::thread m_thread;
};

} // namespace

TEST(VOKMosquittoCallbackGate, CallbacksReachTheTargetOnlyUntilTheGateCloses)
{
    CountingTarget target;
    VOKMosquittoCallbackGate gate(&target);
    deliver(gate);
    std::thread([&gate] { deliver(gate); }).join();
    EXPECT_EQ(target.calls, 2);

    gate.close();
    deliver(gate);
    std::thread([&gate] { deliver(gate); }).join();
    EXPECT_EQ(target.calls, 2);
    gate.close(); // a handle given up twice
}

// close() must not return while another thread is still inside the target, even when the
// closing thread is itself inside a callback of the same gate (a hook giving up its own handle).
TEST(VOKMosquittoCallbackGate, CloseWaitsForCallbacksOnOtherThreadsButNotForItsOwn)
{
    CountingTarget target;
    VOKMosquittoCallbackGate gate(&target);
    HeldCallback other(gate);
    ASSERT_TRUE(other.entered());

    auto closed = std::async(std::launch::async, [&gate, &other] {
        const VOKMosquittoCallbackGate::Pass own(gate);
        gate.close();
        return own.target() != nullptr && other.finished;
    });
    other.release();
    EXPECT_TRUE(closed.get()) << "close() returned while another thread was still inside the target";
    deliver(gate);
    EXPECT_EQ(target.calls, 0);
}

// Passes of several gates nest on one thread; closing the outer gate from inside the inner
// callback counts only the closing thread's own pass of that gate.
TEST(VOKMosquittoCallbackGate, NestedGatesOnOneThreadCloseWithoutDeadlock)
{
    CountingTarget outerTarget;
    CountingTarget innerTarget;
    VOKMosquittoCallbackGate outer(&outerTarget);
    VOKMosquittoCallbackGate inner(&innerTarget);
    {
        const VOKMosquittoCallbackGate::Pass outerPass(outer);
        const VOKMosquittoCallbackGate::Pass innerPass(inner);
        outer.close();
        inner.close();
    }
    HeldCallback late(outer);
    EXPECT_FALSE(late.entered()) << "a closed gate hands out no target";
    deliver(inner);
    EXPECT_EQ(outerTarget.calls + innerTarget.calls, 0);
}

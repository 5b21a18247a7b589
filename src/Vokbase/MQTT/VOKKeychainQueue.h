#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

// The one thread on which the credential store is used. A Secret Service call may wait for
// seconds (a keyring asking to be unlocked), so the GUI thread only ever queues work here and
// gets the answer back later. Work runs in the order it was queued, whoever queued it: a password
// saved just before a connect is what that connect reads.
//
// Thread safety: every function may be called from any thread; runAndWait never from the GUI
// thread, which must not wait for the store.
class VOKKeychainQueue
{
public:
    VOKKeychainQueue() = delete;

    // Queues the work behind everything queued before and returns at once. The work owns what it
    // captured; it runs even when whoever queued it is gone by then (a save must not be lost
    // because its window closed).
    static void enqueue(std::function<void()> work);

    // Queues the work and hands its result to the answer on the GUI thread. The answer is dropped
    // when the receiver (a GUI-thread object, not owned) is destroyed before it could run.
    template <typename Result>
    static void ask(std::function<Result()> work, const QObject *receiver, std::function<void(Result)> answer)
    {
        enqueue([work = std::move(work), receiver = QPointer<const QObject>(receiver), answer = std::move(answer)] {
            deliver(receiver, [answer, result = work()] { answer(result); });
        });
    }

    // Queues the work and waits until it has run; on the queue's own thread runs it at once. For
    // background threads that must see what earlier queued work stored.
    static void runAndWait(const std::function<void()> &work);

    // Waits until everything queued so far has run, at most the given time. Answers whether it
    // all did. For tests and orderly shutdown.
    static bool waitForDone(int msecs);

private:
    static void deliver(const QPointer<const QObject> &receiver, std::function<void()> answer);
};

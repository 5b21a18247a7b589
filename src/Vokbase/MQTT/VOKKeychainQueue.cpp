#include "VOKKeychainQueue.h"

#include "VOKDispatch.h"

#include <QThreadPool>

#include <future>
#include <mutex>

namespace {

thread_local bool onQueueThread = false;

// One thread, so work runs one item at a time in the order it was queued. Destroyed at exit,
// which waits for the work still queued (a save in flight is not cut off).
QThreadPool &queuePool()
{
    static QThreadPool pool;
    static std::once_flag configured;
    std::call_once(configured, [] {
        pool.setMaxThreadCount(1);
        pool.setExpiryTimeout(-1);
    });
    return pool;
}

} // namespace

void VOKKeychainQueue::enqueue(std::function<void()> work)
{
    queuePool().start([work = std::move(work)] {
        onQueueThread = true;
        work();
    });
}

void VOKKeychainQueue::runAndWait(const std::function<void()> &work)
{
    if (onQueueThread) {
        work();
        return;
    }
    std::promise<void> done;
    enqueue([&work, &done] {
        work();
        done.set_value();
    });
    done.get_future().wait();
}

bool VOKKeychainQueue::waitForDone(int msecs)
{
    return queuePool().waitForDone(msecs);
}

void VOKKeychainQueue::deliver(const QPointer<const QObject> &receiver, std::function<void()> answer)
{
    vokOnMain(nullptr, [receiver, answer = std::move(answer)] {
        if (receiver)
            answer();
    });
}

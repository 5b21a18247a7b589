#pragma once

#include <QObject>

#include <functional>

// Moving work to the main (GUI) thread, the thread that owns every model object and window.
//
// "Main thread" is the thread of the QCoreApplication instance. Work queued from one thread runs
// in the order it was queued.

// On the main thread runs the work at once, before returning; on any other thread queues it to
// the main thread and returns at once.
void vokOnMain(std::function<void()> work);

// Like vokOnMain, but the work is bound to a context object that lives on the main thread:
// queued work is dropped when the context is destroyed before it runs. Callers whose objects
// may go away while work is in flight (a broker client closed by its window) use this. A null
// context stands for the application.
void vokOnMain(const QObject *context, std::function<void()> work);

// On the main thread runs the work at once; on any other thread queues it to the main thread and
// waits until it has run. Never call it from the main thread's own blocking waits.
void vokOnMainSync(std::function<void()> work);

// True when the calling thread is the main thread.
bool vokIsMainThread();

// Invokes the callback with the argument (menu items that carry a callback use it).
template <typename Callback, typename Argument>
void vokRunBlockWithObject(const Callback &callback, Argument &&argument)
{
    if (callback)
        callback(std::forward<Argument>(argument));
}

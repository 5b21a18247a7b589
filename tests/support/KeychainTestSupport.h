#pragma once

#include "VOKKeychainBackend.h"
#include "VOKKeychainQueue.h"
#include "VOKMemoryKeychainBackend.h"

#include <QCoreApplication>
#include <QSemaphore>

#include <atomic>

// A credential store whose every call waits, on the thread that makes it, until the test's GUI
// thread lets one go (at most 2 s): a call made on the GUI thread itself can never be let go in
// time, and is counted. contents() reaches the items without waiting, for set-up and checks.
class GatedKeychainBackend final : public VOKKeychainBackend
{
public:
    bool addItem(const Item &item) override
    {
        pass();
        return m_items.addItem(item);
    }
    std::optional<Item> findItem(const QString &service, const QString &account) const override
    {
        pass();
        return m_items.findItem(service, account);
    }
    DeleteResult deleteItems(const QString &service, const QString &account) override
    {
        pass();
        return m_items.deleteItems(service, account);
    }

    void letGo(int calls = 1) const { m_gate.release(calls); }
    VOKMemoryKeychainBackend &contents() { return m_items; }

    mutable std::atomic<int> callsStarted{0};
    mutable std::atomic<int> callsNotLetGo{0};

private:
    void pass() const
    {
        ++callsStarted;
        if (!m_gate.tryAcquire(1, 2000))
            ++callsNotLetGo;
    }

    VOKMemoryKeychainBackend m_items;
    mutable QSemaphore m_gate;
};

// Lets the credential store's queue run dry and the answers it sent reach the GUI thread.
inline bool settleKeychainQueue()
{
    if (!VOKKeychainQueue::waitForDone(10000))
        return false;
    QCoreApplication::processEvents();
    return true;
}

#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class VDLPubClient;

// Waits until a publishing client is connected, at most a given time as the current VOKClock
// measures it, then runs the callback once: with true when the client connected, with false when
// the time ran out. Destroying the wait cancels it; the callback then never runs. The callback
// must not destroy the wait.
//
// Ownership: the wait holds the client while it waits. GUI thread only.
class VDLConnectionWait final : public QObject
{
    Q_OBJECT

public:
    VDLConnectionWait(std::shared_ptr<VDLPubClient> client, qint64 timeoutMilliseconds,
                      std::function<void(bool connected)> done, QObject *parent = nullptr);
    ~VDLConnectionWait() override;

    bool isWaiting() const { return m_client != nullptr; }

private:
    void check();
    void finish(bool connected);

    std::shared_ptr<VDLPubClient> m_client;
    qint64 m_deadline;
    std::function<void(bool)> m_done;
    // Looks at the clock now and then: a test's clock moves without any timer firing.
    QTimer m_clockCheck;
};

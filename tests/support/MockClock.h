#pragma once

#include "VOKClock.h"

// A clock that stands still until a test moves it. Installs itself as the current clock while
// it lives.
class MockClock final : public VOKClock
{
public:
    explicit MockClock(const QDateTime &now);
    ~MockClock() override;
    MockClock(const MockClock &) = delete;
    MockClock &operator=(const MockClock &) = delete;

    QDateTime currentDateTime() const override { return m_now; }
    void setCurrentDateTime(const QDateTime &now) { m_now = now; }
    void advanceSeconds(qint64 seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now;
    const VOKClock *m_previous;
};

#include "MockClock.h"

MockClock::MockClock(const QDateTime &now)
    : m_now(now)
    , m_previous(VOKClock::setCurrent(this))
{
}

MockClock::~MockClock()
{
    VOKClock::setCurrent(m_previous);
}

#include "IngestFlood.h"

#include <QEventLoop>
#include <QTimer>

#include <sys/wait.h>

#include <cstdio>

namespace {

constexpr qint64 quietNanoseconds = 3'000'000'000;
constexpr int checkMilliseconds = 100;

} // namespace

IngestFlood::IngestFlood(int port, const IngestWorkload &workload)
    : m_sent(workload.messageCount())
{
    m_wall.start();
    m_publisher = ingestSpawnSelf({QStringLiteral("--publish"), QString::number(port),
                                   QString(QLatin1Char(workload.scenario())), QString::number(m_sent)});
}

IngestFlood::~IngestFlood()
{
    ingestWaitFor(m_publisher);
}

void IngestFlood::arrived(qint64 total)
{
    if (total == m_arrived)
        return;
    m_arrived = total;
    m_lastArrival = m_wall.nsecsElapsed();
}

void IngestFlood::runUntilQuiet()
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [this, &loop] {
        if (isOver())
            loop.quit();
    });
    check.start(checkMilliseconds);
    loop.exec();
}

bool IngestFlood::isOver()
{
    if (m_publisher.pid > 0) {
        if (waitpid(m_publisher.pid, nullptr, WNOHANG) == 0)
            return false;
        m_publisher.pid = -1;
    }
    return m_wall.nsecsElapsed() - m_lastArrival >= quietNanoseconds;
}

void IngestFlood::printArrivals() const
{
    std::printf("  arrived %lld of %lld (lost %lld)\n", m_arrived, m_sent, m_sent - m_arrived);
}

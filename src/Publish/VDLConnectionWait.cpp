#include "VDLConnectionWait.h"

#include "VDLPubClient.h"
#include "VOKClock.h"

namespace {

constexpr int clockCheckMilliseconds = 250;

} // namespace

VDLConnectionWait::VDLConnectionWait(std::shared_ptr<VDLPubClient> client, qint64 timeoutMilliseconds,
                                     std::function<void(bool)> done, QObject *parent)
    : QObject(parent)
    , m_client(std::move(client))
    , m_deadline(VOKClock::current().currentMSecsSinceEpoch() + timeoutMilliseconds)
    , m_done(std::move(done))
{
    connect(m_client.get(), &VDLPubClient::connected, this, &VDLConnectionWait::check);
    connect(&m_clockCheck, &QTimer::timeout, this, &VDLConnectionWait::check);
    m_clockCheck.start(clockCheckMilliseconds);
}

VDLConnectionWait::~VDLConnectionWait() = default;

void VDLConnectionWait::check()
{
    if (!m_client)
        return;
    if (m_client->isConnected())
        finish(true);
    else if (VOKClock::current().currentMSecsSinceEpoch() >= m_deadline)
        finish(false);
}

void VDLConnectionWait::finish(bool connected)
{
    m_clockCheck.stop();
    disconnect(m_client.get(), nullptr, this, nullptr);
    m_client.reset();
    const std::function<void(bool)> done = std::move(m_done);
    done(connected);
}

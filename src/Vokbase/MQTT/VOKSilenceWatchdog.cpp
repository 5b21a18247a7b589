#include "VOKSilenceWatchdog.h"

#include "VOKLog.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace {

// A healthy connection is silent for at most about one interval and a second (the library pings
// on whole seconds); fifty looks per interval give a dead one up within 1.32 intervals.
constexpr int checksPerInterval = 50;
constexpr qint64 silenceLimitPermille = 1300;

} // namespace

VOKSilenceWatchdog::VOKSilenceWatchdog(std::function<int()> socket, QObject *parent)
    : QObject(parent)
    , m_socket(std::move(socket))
{
    connect(&m_timer, &QTimer::timeout, this, &VOKSilenceWatchdog::check);
}

void VOKSilenceWatchdog::start(int keepaliveSeconds)
{
    m_silenceLimitMilliseconds = qint64(keepaliveSeconds) * silenceLimitPermille;
    m_timer.start(keepaliveSeconds * 1000 / checksPerInterval);
}

void VOKSilenceWatchdog::stop()
{
    m_timer.stop();
}

void VOKSilenceWatchdog::check()
{
    const int socket = m_socket();
    tcp_info info{};
    socklen_t size = sizeof info;
    // Only an established connection has a time of its last data; one being made is the
    // library's to time out.
    if (socket < 0 || getsockopt(socket, IPPROTO_TCP, TCP_INFO, &info, &size) != 0 || info.tcpi_state != TCP_ESTABLISHED)
        return;
    if (info.tcpi_last_data_recv <= m_silenceLimitMilliseconds)
        return;
    VOK_WARNING(QStringLiteral("Nothing received from the broker for %1 ms, giving the connection up")
                    .arg(info.tcpi_last_data_recv));
    stop();
    // Only the library closes its socket, on its own thread; shutting it down leaves the number
    // to the library, which reads the end of the stream and reports the connection lost.
    shutdown(socket, SHUT_RDWR);
}

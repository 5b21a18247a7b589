#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// Notices a connection whose broker has gone silent, as behind a NAT box that forgot it: nothing
// arrives and nothing fails. The library pings a silent broker only after one keep-alive interval
// and waits another whole interval for the answer, so it would take up to two intervals to give
// the connection up. The watchdog shuts the socket down once nothing has arrived for 1.3
// intervals, which a healthy connection does not reach with intervals of 5 seconds and more (the
// library takes no shorter ones); the library then reports a lost connection and reconnects as
// after any other loss.
//
// Threads: lives on the GUI thread and works through its timer; the socket function is called
// there too. Ownership: owns nothing but its timer; the socket belongs to the library.
class VOKSilenceWatchdog : public QObject
{
    Q_OBJECT

public:
    // The socket function answers the connected socket of the library handle, or -1.
    explicit VOKSilenceWatchdog(std::function<int()> socket, QObject *parent = nullptr);

    // Watches the socket until stop(), or until it is shut down.
    void start(int keepaliveSeconds);
    void stop();

private:
    void check();

    std::function<int()> m_socket;
    QTimer m_timer;
    qint64 m_silenceLimitMilliseconds = 0;
};

#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QTcpServer>
#include <QTimer>

#include <deque>
#include <memory>
#include <vector>

class QTcpSocket;

// A TCP proxy on a free port of 127.0.0.1 that forwards every connection to a port on the same
// address (a test broker) and misbehaves on request, standing for the network between a client
// and its broker:
// - stall(): every byte in either direction is held and every socket stays open, as on a link
//   that a NAT box has silently forgotten; connections accepted meanwhile are held as well.
//   recover() forwards what was held and what follows.
// - cut(): closes both sides of every connection at once; cutAfter(n) does so once n more bytes
//   of the broker-to-client stream have been forwarded (the n-th byte is the last the client
//   gets). New connections are forwarded as before.
// - setDelay(ms): every chunk read from either side is forwarded that much later, in order.
//
// Threads: lives on the thread that creates it and works through that thread's event loop, so a
// test must spin it (QTRY_*, QSignalSpy::wait, QTest::qWaitFor) while the proxy has work to do.
// Ownership: owns its listener and every socket; destroying it aborts every connection.
class FaultProxy : public QObject
{
    Q_OBJECT

public:
    explicit FaultProxy(int targetPort, QObject *parent = nullptr);
    ~FaultProxy() override;

    // Starts listening; false when no port could be had.
    bool listen();
    int port() const;

    void stall();
    void recover();
    void cut();
    void cutAfter(qint64 brokerToClientBytes);
    void setDelay(int milliseconds);

private:
    struct Chunk
    {
        QDeadlineTimer due;
        QByteArray bytes;
    };
    // One direction of one connection: the bytes waiting to be written, in order.
    struct Direction
    {
        QTcpSocket *from = nullptr;
        QTcpSocket *to = nullptr;
        std::deque<Chunk> waiting;
        bool toBroker = false;
    };
    struct Connection
    {
        std::unique_ptr<QTcpSocket> client;
        std::unique_ptr<QTcpSocket> broker;
        Direction up;
        Direction down;
    };

    void accept();
    void open(Connection &connection);
    void read(Direction &direction);
    static bool writable(const Direction &direction);
    void flush(Direction &direction);
    void flushAll();
    void scheduleFlush();
    qint64 writeDown(Direction &direction, const QByteArray &bytes);
    void close(Connection *connection);
    void closeAll();

    QTcpServer m_server;
    QTimer m_flushTimer;
    int m_targetPort;
    std::vector<std::unique_ptr<Connection>> m_connections;
    bool m_stalled = false;
    int m_delay = 0;
    // Bytes of the broker-to-client stream still to forward before the cut; negative: no cut.
    qint64 m_cutBudget = -1;
};

#include "FaultProxy.h"

#include <QHostAddress>
#include <QTcpSocket>

#include <algorithm>

FaultProxy::FaultProxy(int targetPort, QObject *parent)
    : QObject(parent)
    , m_targetPort(targetPort)
{
    m_flushTimer.setSingleShot(true);
    connect(&m_flushTimer, &QTimer::timeout, this, &FaultProxy::flushAll);
    connect(&m_server, &QTcpServer::newConnection, this, &FaultProxy::accept);
}

FaultProxy::~FaultProxy()
{
    closeAll();
}

bool FaultProxy::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

int FaultProxy::port() const
{
    return m_server.serverPort();
}

void FaultProxy::stall()
{
    m_stalled = true;
}

void FaultProxy::recover()
{
    m_stalled = false;
    flushAll();
}

void FaultProxy::cut()
{
    closeAll();
}

void FaultProxy::cutAfter(qint64 brokerToClientBytes)
{
    m_cutBudget = brokerToClientBytes;
}

void FaultProxy::setDelay(int milliseconds)
{
    m_delay = milliseconds;
}

void FaultProxy::accept()
{
    while (QTcpSocket *const accepted = m_server.nextPendingConnection()) {
        accepted->setParent(nullptr);
        auto connection = std::make_unique<Connection>();
        connection->client.reset(accepted);
        connection->broker = std::make_unique<QTcpSocket>();
        Connection *const raw = connection.get();
        raw->up = {raw->client.get(), raw->broker.get(), {}, true};
        raw->down = {raw->broker.get(), raw->client.get(), {}, false};
        m_connections.push_back(std::move(connection));
        open(*raw);
    }
}

void FaultProxy::open(Connection &connection)
{
    Connection *const raw = &connection;
    for (QTcpSocket *const socket : {raw->client.get(), raw->broker.get()}) {
        connect(socket, &QTcpSocket::disconnected, this, [this, raw] { close(raw); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, raw] { close(raw); });
    }
    connect(raw->client.get(), &QTcpSocket::readyRead, this, [this, raw] { read(raw->up); });
    connect(raw->broker.get(), &QTcpSocket::readyRead, this, [this, raw] { read(raw->down); });
    connect(raw->broker.get(), &QTcpSocket::connected, this, [this, raw] { flush(raw->up); });
    raw->broker->connectToHost(QHostAddress::LocalHost, quint16(m_targetPort));
    // Bytes may have arrived before the signals were connected.
    read(raw->up);
}

void FaultProxy::read(Direction &direction)
{
    const QByteArray bytes = direction.from->readAll();
    if (bytes.isEmpty())
        return;
    direction.waiting.push_back({QDeadlineTimer(m_delay), bytes});
    flush(direction);
}

bool FaultProxy::writable(const Direction &direction)
{
    // Bytes for the broker wait until its socket is connected.
    return !direction.waiting.empty() && direction.to->state() == QAbstractSocket::ConnectedState;
}

void FaultProxy::flush(Direction &direction)
{
    if (m_stalled)
        return;
    while (writable(direction) && direction.waiting.front().due.hasExpired()) {
        const QByteArray bytes = std::move(direction.waiting.front().bytes);
        direction.waiting.pop_front();
        if (direction.toBroker) {
            direction.to->write(bytes);
        } else if (writeDown(direction, bytes) < bytes.size()) {
            return; // cut: the connection is gone
        }
    }
    scheduleFlush();
}

qint64 FaultProxy::writeDown(Direction &direction, const QByteArray &bytes)
{
    const qint64 allowed = m_cutBudget < 0 ? bytes.size() : std::min<qint64>(m_cutBudget, bytes.size());
    direction.to->write(bytes.constData(), allowed);
    if (m_cutBudget >= 0) {
        m_cutBudget -= allowed;
        if (m_cutBudget == 0) {
            m_cutBudget = -1;
            closeAll();
            return -1;
        }
    }
    return allowed;
}

void FaultProxy::flushAll()
{
    // Copied: a cut while flushing empties the list.
    std::vector<Connection *> connections;
    for (const auto &connection : m_connections)
        connections.push_back(connection.get());
    for (Connection *const connection : connections) {
        const auto alive = [this, connection] {
            return std::any_of(m_connections.cbegin(), m_connections.cend(),
                               [connection](const auto &kept) { return kept.get() == connection; });
        };
        if (alive())
            flush(connection->up);
        if (alive())
            flush(connection->down);
    }
}

void FaultProxy::scheduleFlush()
{
    qint64 soonest = -1;
    for (const auto &connection : m_connections) {
        for (const Direction *direction : {&connection->up, &connection->down}) {
            if (writable(*direction)) {
                const qint64 remaining = direction->waiting.front().due.remainingTime();
                soonest = soonest < 0 ? remaining : std::min(soonest, remaining);
            }
        }
    }
    if (soonest >= 0 && !m_stalled && (!m_flushTimer.isActive() || m_flushTimer.remainingTime() > soonest))
        m_flushTimer.start(int(soonest));
}

void FaultProxy::close(Connection *connection)
{
    const auto found = std::find_if(m_connections.begin(), m_connections.end(),
                                    [connection](const auto &kept) { return kept.get() == connection; });
    if (found == m_connections.end())
        return;
    std::unique_ptr<Connection> closing = std::move(*found);
    m_connections.erase(found);
    closing->broker->disconnect(this);
    closing->broker->abort();
    // The socket may be emitting the signal that led here.
    closing->broker.release()->deleteLater();
    // What was written to the client before a cut still reaches it, then the connection ends.
    QTcpSocket *const client = closing->client.release();
    client->disconnect(this);
    client->setParent(this);
    connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    client->disconnectFromHost();
    if (client->state() == QAbstractSocket::UnconnectedState)
        client->deleteLater();
}

void FaultProxy::closeAll()
{
    while (!m_connections.empty())
        close(m_connections.front().get());
}

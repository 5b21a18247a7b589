#include "VDLSingleInstance.h"

#include "VOKLog.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

constexpr int ConnectTimeoutMs = 2000;
constexpr int WriteTimeoutMs = 5000;

} // namespace

VDLSingleInstance::VDLSingleInstance(const QString &socketPath, QObject *parent)
    : QObject(parent)
    , m_socketPath(socketPath)
{
}

VDLSingleInstance::~VDLSingleInstance() = default;

QString VDLSingleInstance::defaultSocketPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("vindle.socket"));
}

bool VDLSingleInstance::handOver(const QStringList &urls) const
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return false;
    QByteArray message = urls.join(QLatin1Char('\n')).toUtf8();
    message.append('\n');
    socket.write(message);
    socket.disconnectFromServer();
    return socket.state() == QLocalSocket::UnconnectedState || socket.waitForDisconnected(WriteTimeoutMs);
}

bool VDLSingleInstance::listen()
{
    if (m_server)
        return true;
    auto server = std::make_unique<QLocalServer>(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket file whose owner died refuses connections; handOver has already found that out.
    QLocalServer::removeServer(m_socketPath);
    if (!server->listen(m_socketPath)) {
        VOK_ERROR(QStringLiteral("Can't listen for other launches at %1: %2").arg(m_socketPath, server->errorString()));
        return false;
    }
    m_server = server.release();
    connect(m_server, &QLocalServer::newConnection, this, &VDLSingleInstance::accept);
    return true;
}

void VDLSingleInstance::accept()
{
    while (QLocalSocket *const connection = m_server->nextPendingConnection()) {
        connect(connection, &QLocalSocket::disconnected, this, [this, connection] { readMessage(connection); });
        connect(connection, &QLocalSocket::readyRead, this, [this, connection] {
            if (connection->bytesAvailable() > MaxMessageBytes)
                reject(connection);
        });
        if (connection->state() != QLocalSocket::ConnectedState)
            readMessage(connection);
    }
}

void VDLSingleInstance::reject(QLocalSocket *connection)
{
    VOK_ERROR(QStringLiteral("Ignored a hand-over of more than %1 bytes from another launch").arg(MaxMessageBytes));
    connection->disconnect(this);
    connection->abort();
    connection->deleteLater();
}

void VDLSingleInstance::readMessage(QLocalSocket *connection)
{
    if (connection->bytesAvailable() > MaxMessageBytes) {
        reject(connection);
        return;
    }
    connection->disconnect(this);
    connection->deleteLater();
    const QByteArray message = connection->readAll();
    const QStringList urls = QString::fromUtf8(message).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    Q_EMIT urlsReceived(urls);
}

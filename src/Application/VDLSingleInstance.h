#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

// One Vindle per user session: the first launch listens on a local socket; a later launch
// hands its URLs to it and exits, so a clicked mqtt:// link opens a window in the running
// Vindle. A hand-over with no URLs asks the running instance to come to the front.
//
// The socket lives in the user's runtime folder ($XDG_RUNTIME_DIR), which only the user can
// reach. Each message is the URLs as UTF-8, one per line; what does not fit the size limit is
// dropped with an ERROR line.
//
// Ownership: owns its server and the connections being read. Thread: GUI thread only.
class VDLSingleInstance final : public QObject
{
    Q_OBJECT

public:
    // Larger hand-overs are refused; no sane command line comes near it.
    static constexpr qint64 MaxMessageBytes = 1 << 20;

    explicit VDLSingleInstance(const QString &socketPath = defaultSocketPath(), QObject *parent = nullptr);
    ~VDLSingleInstance() override;

    static QString defaultSocketPath();
    QString socketPath() const { return m_socketPath; }

    // Sends the URLs to a running instance and answers whether one took them. Waits at most a
    // few seconds, so a hung instance cannot keep a launch waiting for ever.
    bool handOver(const QStringList &urls) const;
    // Starts listening, replacing a socket left behind by an instance that died. False (with an
    // ERROR line) when the socket cannot be made; the application then runs on its own.
    bool listen();

Q_SIGNALS:
    // URLs another launch handed over; empty when it only asked to be brought to the front.
    void urlsReceived(const QStringList &urls);

private:
    void accept();
    void readMessage(QLocalSocket *connection);
    void reject(QLocalSocket *connection);

    QString m_socketPath;
    QLocalServer *m_server = nullptr;
};

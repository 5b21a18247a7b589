#pragma once

#include "VDLPM.h"
#include "VOKMosquittoClient.h"

#include <QList>

#include <memory>

// The broker client that publish windows share for one server: publishes publish parameters
// and keeps the server's publish history (newest first) in the preferences under
// "VDLPubClientHistory_host_port", at most "VDLPubClientMaxHistoryCount" entries (default 20).
//
// It logs in with the credentials the viewer stored for the server ("Vindle:host:port").
//
// Ownership: publish windows hold the shared client; the process-wide table only remembers it
// while one of them does. Thread: clientWithHost may be called from any thread (it creates the
// client on the calling thread, normally the GUI thread); everything else on the GUI thread.
class VDLPubClient final : public VOKMosquittoClient
{
    Q_OBJECT
    Q_PROPERTY(QList<VDLPM> history READ history NOTIFY historyChanged)

public:
    // The live shared client of the server, or a new one that has been told to connect.
    static std::shared_ptr<VDLPubClient> clientWithHost(const QString &host, int port);
    // Removes the stored history of the server, whether or not a client is alive.
    static void deleteHistoryForHost(const QString &host, int port);

    // A client with the server's stored history; it does not connect by itself.
    VDLPubClient(const QString &host, int port);
    ~VDLPubClient() override;

    QString keychainService() const override;
    QString historyKey() const;
    QList<VDLPM> history() const { return m_history; }

    // Publishes and, on success, records the parameters at the front of the history. Fails with
    // "Not connected" (domain "VDLPubClient", code -1) while there is no connection.
    bool publish(const VDLPM &pm, VOKError *error = nullptr);

    void addToHistory(const VDLPM &pm);
    void loadHistory();
    void saveHistory() const;
    void deleteHistory();

Q_SIGNALS:
    void historyChanged();
    // Each successful connect, on the GUI thread, after isConnected() has become true.
    void connected();

protected:
    void clientDidConnect() override;

private:
    void setHistory(const QList<VDLPM> &history);

    QList<VDLPM> m_history;
};

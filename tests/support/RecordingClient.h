#pragma once

#include "VOKDispatch.h"
#include "VOKMosquittoClient.h"

#include <QMutex>
#include <QThread>

#include <atomic>
#include <vector>

// A client that counts its hooks and remembers their arguments, for tests. Readable from the
// main thread while the network thread calls the hooks.
class RecordingClient : public VOKMosquittoClient
{
public:
    using VOKMosquittoClient::VOKMosquittoClient;
    ~RecordingClient() override { disconnectFromBroker(); }

    std::atomic<int> connects{0};
    std::atomic<int> failures{0};
    std::atomic<int> lastFailureCode{0};
    std::atomic<int> connectRequestFailures{0};
    std::atomic<int> lastConnectRequestResult{0};
    std::atomic<int> unexpectedDisconnects{0};
    std::atomic<int> lastDisconnectCode{0};
    std::atomic<int> messages{0};
    std::atomic<int> tlsErrors{0};
    std::atomic<int> mTLSRequests{0};
    std::atomic<int> tlsSetupFailures{0};
    std::atomic<int> passphraseRequests{0};
    std::atomic<int> passphraseRejections{0};
    std::atomic<bool> hooksOffMainThread{true};
    // Counted on the main thread through vokOnMain(this, ...), as a model would be updated.
    int messagesOnMain = 0;

    // Stand-ins for the library's callbacks, for the rules that a real broker cannot provoke.
    QString lastTLSError() const
    {
        const QMutexLocker locker(&m_mutex);
        return m_lastTLSError;
    }

    void simulateConnected() { clientDidConnect(); }
    void simulateLostConnection(int code) { clientDisconnectedUnexpectedly(code); }
    void simulateLog(int level, const char *text) { mosquittoLogged(level, text); }

protected:
    void clientDidConnect() override
    {
        VOKMosquittoClient::clientDidConnect();
        noteThread();
        ++connects;
    }
    void clientConnectionFailed(int reasonCode) override
    {
        VOKMosquittoClient::clientConnectionFailed(reasonCode);
        noteThread();
        lastFailureCode = reasonCode;
        ++failures;
    }
    void clientConnectRequestFailed(int result) override
    {
        VOKMosquittoClient::clientConnectRequestFailed(result);
        lastConnectRequestResult = result;
        ++connectRequestFailures;
    }
    void clientReceivedMessage(const VOKMosquittoMessagePtr &message) override
    {
        VOKMosquittoClient::clientReceivedMessage(message);
        noteThread();
        ++messages;
        vokOnMain(this, [this] { ++messagesOnMain; });
    }
    void clientDisconnectedUnexpectedly(int reasonCode) override
    {
        VOKMosquittoClient::clientDisconnectedUnexpectedly(reasonCode);
        lastDisconnectCode = reasonCode;
        ++unexpectedDisconnects;
    }
    void clientTLSError(const QString &text) override
    {
        VOKMosquittoClient::clientTLSError(text);
        const QMutexLocker locker(&m_mutex);
        m_lastTLSError = text;
        ++tlsErrors;
    }
    void clientmTLSRequired(const QString &text) override
    {
        VOKMosquittoClient::clientmTLSRequired(text);
        ++mTLSRequests;
    }
    void clientTLSSetupFailed(const QString &text) override
    {
        VOKMosquittoClient::clientTLSSetupFailed(text);
        ++tlsSetupFailures;
    }
    void clientKeyPassphraseRequired(bool rejected) override
    {
        VOKMosquittoClient::clientKeyPassphraseRequired(rejected);
        ++(rejected ? passphraseRejections : passphraseRequests);
    }

private:
    mutable QMutex m_mutex;
    QString m_lastTLSError;

    void noteThread()
    {
        if (vokIsMainThread())
            hooksOffMainThread = false;
    }
};

#pragma once

#include "VOKCertificateInfo.h"
#include "VOKError.h"
#include "VOKMosquittoCallbackTarget.h"
#include "VOKMosquittoMessage.h"
#include "VOKTLSContext.h"
#include "VOKTLSSettings.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

struct mosquitto;
class VOKMosquittoHandle;
class VOKMosquittoTopic;
class VOKServerStore;
class VOKSilenceWatchdog;

// A publication waiting for a connection. A null payload stands for "no payload".
struct VOKMosquittoPublication
{
    QString topic;
    QByteArray data;
    bool retain = false;
};

// One connection to one MQTT broker (host and port) over one libmosquitto handle.
//
// connectToBroker() starts the library's network thread and connects asynchronously; the library
// then reconnects by itself every 2 seconds (then 4, 6, ... at most 30) after a refusal or a lost
// connection, until disconnectFromBroker(). The callbacks become the protected hooks below.
// Registered topic filters are subscribed again on every connect, and publications made while not
// connected are queued and sent on the next connect, in order: one made while the queue is being
// sent waits behind it. A broker that falls silent (a link that died without a word) is given up
// within 1.32 keep-alive intervals (VOKSilenceWatchdog) and reconnected like a lost connection.
//
// Threads: the client lives on the main thread, which calls every public operation. The hooks run
// on the library's network thread (a log hook may also run on the thread of a library call made
// by the client, such as the background thread that requests the connection); they must stay
// cheap, must not wait for the main thread, and move anything that touches the model to the main
// thread with vokOnMain(this, ...), so that work still queued when the client goes away is
// dropped. The property getters may be called from any thread.
//
// Ownership: the client owns its handle. Destroying the client gives the handle up as
// disconnectFromBroker() does. A subclass that overrides hooks must call disconnectFromBroker() in
// its own destructor, so that no hook reaches it while it is half destroyed.
class VOKMosquittoClient : public QObject, protected VOKMosquittoCallbackTarget
{
    Q_OBJECT
    Q_PROPERTY(QString host READ host CONSTANT)
    Q_PROPERTY(int port READ port)
    Q_PROPERTY(bool useTLS READ useTLS)
    Q_PROPERTY(bool isConnected READ isConnected)
    Q_PROPERTY(QString description READ description)

public:
    static constexpr int defaultPort = 1883;
    static constexpr int defaultTLSPort = 8883;
    // The code of publishTopic's error when there is no connection.
    static constexpr int notConnectedCode = -4242;
    static constexpr int defaultKeepaliveSeconds = 60;

    explicit VOKMosquittoClient(const QString &host, int port = defaultPort, QObject *parent = nullptr);
    ~VOKMosquittoClient() override;

    QString host() const;
    int port() const;
    QString username() const;
    QString password() const;
    VOKTLSSettings tlsSettings() const;
    bool useTLS() const;
    qint64 tlsVerifyMode() const;
    QString caCertificatePath() const;
    QString clientCertificatePath() const;
    QString clientKeyPath() const;
    bool isConnected() const { return m_isConnected; }
    bool triedTLSFallback() const { return m_triedTLSFallback; }
    // The MQTT keep-alive interval asked of the broker. Takes effect at the next connect; the
    // library takes 5 to 65535 seconds, and other values are brought into that range.
    int keepaliveSeconds() const { return m_keepaliveSeconds; }
    void setKeepaliveSeconds(int seconds);
    // The current library handle, or null while the client is not started.
    mosquitto *mosq() const;
    QList<std::shared_ptr<VOKMosquittoTopic>> topics() const;
    QList<VOKMosquittoPublication> publishQueue() const;

    // Starts a connection on a fresh handle; an internationalised host name is used in its ASCII
    // (punycode) form. Answers false, and changes nothing, when a handle already exists; answers
    // false too when a set-up step fails, leaving the handle stalled until
    // disconnectFromBroker(), and for a host name that is not valid (clientConnectRequestFailed).
    // Otherwise answers true without waiting: the stored credentials (which then replace the ones
    // in memory) are read, the TLS context is made from the stored settings (see VOKTLSContext)
    // and the host name resolved on a background thread; a request the library refuses (an
    // unknown host) reaches clientConnectRequestFailed, and TLS settings that cannot be used
    // clientTLSSetupFailed or clientKeyPassphraseRequired, on the GUI thread afterwards, leaving
    // the handle unconnected. A request still pending when the handle is given up has no effect.
    bool connectToBroker();
    // Gives the current handle up at once; the network work happens in the background. Keeps
    // isConnected as it was.
    void disconnectFromBroker();
    void setUsername(const QString &username, const QString &password);
    void reconnectWithUsername(const QString &username, const QString &password);
    // Asks for TLS; the default port 1883 becomes 8883.
    void enableTLS();
    void reconnectWithTLS();

    // The certificate the server presented in the latest TLS handshake of the current or last
    // connection; null before any. Any thread.
    VOKCertificateInfo presentedCertificate() const;
    // The protocol and cipher of the connection ("TLSv1.3, TLS_AES_256_GCM_SHA384") while
    // connected with TLS, else empty. Any thread.
    QString tlsConnectionDescription() const;

    // Filters: subscribed at once when connected, and on every connect.
    void registerTopic(const std::shared_ptr<VOKMosquittoTopic> &topic);
    // Removes every registration of that filter object and unsubscribes it.
    void unregisterTopic(const std::shared_ptr<const VOKMosquittoTopic> &topic);
    // Subscribes at QoS 0; false without a handle, for a filter without a callback, or on failure.
    bool subscribe(const VOKMosquittoTopic &topic);
    void unsubscribe(const VOKMosquittoTopic &topic);

    // Publishes at QoS 0 when connected, else queues for the next connect. A null payload
    // publishes a zero-length message.
    void publishTopic(const QString &topic, const QByteArray &data, bool retain);
    // Publishes now at the QoS or fails ("No Connection" when not connected); never queues.
    bool publishTopic(const QString &topic, const QByteArray &data, int qos, bool retain,
                      VOKError *error = nullptr);
    // True for 0; otherwise logs, fills the error (domain "VOKMosquitto") and answers false.
    static bool errorFromCode(int code, VOKError *error = nullptr);

    // "<Class: address>  host:port"
    QString description() const;

    // Where this server's credentials live in the credential store: "VOKMosquitto:host:port".
    // Subclasses that keep their own credentials answer their own service. Any thread.
    virtual QString keychainService() const;

    // What is stored for this server, named by the current host and port (see VOKServerStore).
    // None of these connects or disconnects, except the two reconnect operations. GUI thread.
    QString tlsSettingsKey() const;
    // The credential store is never waited for here (see VOKKeychainQueue): reads answer later,
    // writes are queued, and a connect reads what the writes asked before it have stored.
    // The stored user name and password replace the ones in memory once the store answers;
    // nothing stored: unchanged. Dropped when the client is gone first.
    void loadCredentialsFromKeychain();
    // Uses the pair at once and queues storing it; an empty user name deletes the stored pair
    // instead.
    void saveCredentialsToKeychain(const QString &username, const QString &password);
    // Forgets the pair in memory at once and queues deleting the stored one.
    void deleteCredentialsFromKeychain();
    // The stored TLS settings replace the ones in memory; nothing stored: unchanged.
    void loadTLSSettings();
    void saveTLSSettings() const;
    void deleteTLSSettings() const;
    QString certificatesDirectory() const;
    // A private copy (mode 0600) of the file under the base name, or null when it failed.
    QString copyCertificateToSupport(const QString &sourcePath, const QString &baseName) const;
    // A non-empty path is replaced by its private copy (null when the copy failed).
    void setTLSVerifyMode(qint64 mode, const QString &caCertificatePath);
    void setClientCertificatePath(const QString &certificatePath, const QString &keyPath);
    // The certificate that verify mode 1 accepts, by its SHA-256 fingerprint; saved with the
    // TLS settings.
    void setTrustedCertificateFingerprint(const QString &sha256Fingerprint);
    // Deletes the client certificate and key copies and the key's passphrase, forgets them and
    // saves the TLS settings.
    void clearClientCertificate();
    void deleteCertificateFiles() const;
    // Credentials, TLS settings and certificate copies, in this order.
    void deleteAllStoredData();
    // enableTLS, the setter, saveTLSSettings, then a fresh connection.
    void reconnectWithTLSVerifyMode(qint64 mode, const QString &caCertificatePath);
    void reconnectWithClientCertificate(const QString &certificatePath, const QString &keyPath);
    // Stores the client key's passphrase in the credential store, then a fresh connection.
    void reconnectWithKeyPassphrase(const QString &passphrase);

protected:
    // The message record for a received message; subclasses answer their own record type.
    // Network thread.
    virtual VOKMosquittoMessagePtr createMessage(const mosquitto_message &message) const;

    // Whether the current handle's connection has succeeded at least once. Any thread.
    bool hasConnectedSinceConnect() const { return m_connectedSinceConnect; }

    // Hooks: network thread, except clientConnectRequestFailed, clientTLSSetupFailed and
    // clientKeyPassphraseRequired (owner's thread, from connectToBroker or after it). Overrides
    // call the base version first.
    virtual void clientDidConnect();
    virtual void clientConnectionFailed(int reasonCode);
    // The library could not request the connection; the result is its code, MOSQ_ERR_INVAL for a
    // host name that is not valid and MOSQ_ERR_EAI for one that cannot be resolved. The network
    // thread goes on retrying, as after a lost connection. The base does nothing more:
    // connectToBroker has logged it.
    virtual void clientConnectRequestFailed(int result);
    virtual void clientReceivedMessage(const VOKMosquittoMessagePtr &message);
    virtual void clientDidDisconnect();
    virtual void clientDisconnectedUnexpectedly(int reasonCode);
    // The server's certificate failed verification: the text is OpenSSL's reason when known,
    // else the library's error line.
    virtual void clientTLSError(const QString &text);
    virtual void clientmTLSRequired(const QString &text);
    // A certificate or key file cannot be used; the text says which and why.
    virtual void clientTLSSetupFailed(const QString &text);
    // The client key is encrypted: no passphrase is stored, or the stored one is wrong.
    virtual void clientKeyPassphraseRequired(bool rejected);

    // The library's callbacks, turned into the hooks above. Network thread.
    void mosquittoConnected(int result) override;
    void mosquittoReceivedMessage(const mosquitto_message &message) override;
    void mosquittoDisconnected(int result, int errorNumber) override;
    void mosquittoLogged(int level, const char *text) override;

    // The result check of every tested library call: true for success, else logs the failure
    // (naming the operation) and answers false. Any thread.
    bool checkResult(int result, const char *operation) const;

private:
    VOKServerStore store() const;
    void updateTLSSettings(const std::function<void(VOKTLSSettings &)> &change);
    bool startHandle();
    void requestConnection(const QByteArray &hostText);
    void connectRequestFailed(int result);
    void tlsContextFailed(const VOKTLSContext::Outcome &outcome);
    void setTLSDescription(const QString &description);
    void sendPublishQueue();
    void watchForSilence(bool watch);
    QString tlsVerificationFailure() const;
    bool tlsClientCertificateRequested() const;
    void logHookProblem(const char *hook, const QString &text) const;
    void logReasonCode(const char *hook, int reasonCode) const;

    mutable std::mutex m_propertiesMutex;
    QString m_host;
    int m_port;
    QString m_username;
    QString m_password;
    VOKTLSSettings m_tls;
    std::unique_ptr<VOKMosquittoHandle> m_handle;
    // The TLS context of the latest connect, kept after it for what its handshakes found.
    std::shared_ptr<const VOKTLSContext> m_tlsContext;
    QString m_tlsDescription;
    // Counts the handles given up, so that the answer to an earlier handle's connect request is
    // recognised and ignored. GUI thread.
    quint64 m_connectGeneration = 0;
    // Gives up a connection whose broker has gone silent. GUI thread.
    VOKSilenceWatchdog *m_watchdog;

    // Guards the filters and the publish queue.
    mutable std::recursive_mutex m_lock;
    QList<std::shared_ptr<VOKMosquittoTopic>> m_topics;
    QList<VOKMosquittoPublication> m_publishQueue;
    // The connect hook is sending what was queued.
    bool m_sendingPublishQueue = false;

    std::atomic<int> m_keepaliveSeconds{defaultKeepaliveSeconds};
    std::atomic<bool> m_isConnected{false};
    std::atomic<bool> m_triedTLSFallback{false};
    std::atomic<bool> m_connectedSinceConnect{false};
};

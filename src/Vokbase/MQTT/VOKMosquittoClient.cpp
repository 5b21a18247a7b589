#include "VOKMosquittoClient.h"

#include "VOKDispatch.h"
#include "VOKLog.h"
#include "VOKMosquittoHandle.h"
#include "VOKMosquittoTopic.h"
#include "VOKObjectDescription.h"
#include "VOKServerStore.h"
#include "VOKSilenceWatchdog.h"

#include <QFile>
#include <QPointer>
#include <QUrl>

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <optional>
#include <system_error>

namespace {

constexpr int reconnectDelaySeconds = 2;
constexpr int reconnectDelayMaximumSeconds = 30;
constexpr int keepaliveMinimumSeconds = 5;

QString errorText(int errorNumber)
{
    return QString::fromStdString(std::system_category().message(errorNumber));
}

// The text for the library: null (which the library refuses as invalid) when the text holds a NUL
// character, since the library would silently cut it there.
QByteArray cText(const QString &text)
{
    if (text.contains(QChar(0)))
        return QByteArray();
    return text.toUtf8();
}

const char *orNull(const QByteArray &text)
{
    return text.isNull() ? nullptr : text.constData();
}

// The host name as ASCII for the library: an internationalised name in its ASCII (punycode)
// form. Null, which the library refuses as invalid, when the name has no such form or holds a NUL
// character.
QByteArray asciiHost(const QString &host)
{
    if (host.contains(QChar(0)))
        return QByteArray();
    const bool ascii = std::all_of(host.cbegin(), host.cend(), [](QChar character) { return character.unicode() <= 0x7f; });
    if (ascii)
        return host.toLatin1();
    const QByteArray ace = QUrl::toAce(host);
    return ace.isEmpty() ? QByteArray() : ace;
}

QString orIfEmpty(const QString &text, const QString &fallback)
{
    return text.isEmpty() ? fallback : text;
}

bool logFailure(int result, const char *operation)
{
    if (result == MOSQ_ERR_SUCCESS)
        return true;
    const QString name = QString::fromLatin1(operation);
    if (result == MOSQ_ERR_INVAL) {
        VOK_ERROR(QStringLiteral("%1: MOSQ_ERR_INVAL").arg(name));
    } else if (result == MOSQ_ERR_ERRNO) {
        const int errorNumber = errno;
        VOK_ERROR(QStringLiteral("%1: MOSQ_ERR_ERRNO: %2 %3").arg(name).arg(errorNumber).arg(errorText(errorNumber)));
    } else {
        VOK_ERROR(QStringLiteral("%1: Unknown error #%2").arg(name).arg(result));
    }
    return false;
}

// Sets the credentials (none for an empty user name) and requests the connection, which resolves
// the host name: this may wait on the network. The request's result, or nothing when the
// credentials were refused (logged); the handle then stays unconnected.
std::optional<int> requestOnLibrary(mosquitto *mosq, const std::pair<QString, QString> &credentials,
                                    const QByteArray &hostText, int port, int keepaliveSeconds, bool tls)
{
    const auto &[username, password] = credentials;
    if (!username.isEmpty()) {
        const QByteArray user = username.toUtf8();
        const QByteArray secret = password.isNull() ? QByteArray() : password.toUtf8();
        if (!logFailure(mosquitto_username_pw_set(mosq, user.constData(), orNull(secret)), "mosquitto_username_pw_set"))
            return std::nullopt;
    }
    // An asynchronous TLS connect to a port that refuses it never notices: the library's network
    // thread spins until the keepalive runs out, and cannot be stopped meanwhile. Waiting for the
    // TCP connection and the handshake here, off the GUI thread, fails it at once; the library's
    // own reconnections wait the same way.
    if (tls)
        return mosquitto_connect(mosq, hostText.constData(), port, keepaliveSeconds);
    return mosquitto_connect_async(mosq, hostText.constData(), port, keepaliveSeconds);
}

// Makes the context from the settings (reading the key's passphrase from the store only when a
// client key is set) and hands it to the library handle.
VOKTLSContext::Outcome prepareTLS(VOKTLSContext &context, mosquitto *mosq, const VOKTLSSettings &settings,
                                  const VOKServerStore &store, const QByteArray &hostText)
{
    const QString passphrase = settings.clientCertificatePath.isEmpty() ? QString() : store.loadKeyPassphrase();
    const VOKTLSContext::Outcome outcome = context.configure(settings, QString::fromLatin1(hostText), passphrase);
    if (outcome.problem == VOKTLSContext::Problem::None && !context.applyTo(mosq))
        return {VOKTLSContext::Problem::SetupFailed, QStringLiteral("The MQTT library refuses the TLS context")};
    return outcome;
}

int publish(mosquitto *mosq, const QString &topic, const QByteArray &data, int qos, bool retain)
{
    if (data.size() > INT_MAX)
        return MOSQ_ERR_PAYLOAD_SIZE;
    const QByteArray topicText = cText(topic);
    return mosquitto_publish(mosq, nullptr, orNull(topicText), int(data.size()),
                             data.isEmpty() ? nullptr : data.constData(), qos, retain);
}

} // namespace

VOKMosquittoClient::VOKMosquittoClient(const QString &host, int port, QObject *parent)
    : QObject(parent)
    , m_host(host)
    , m_port(port)
    , m_watchdog(new VOKSilenceWatchdog(
          [this] {
              mosquitto *const handle = mosq();
              return handle ? mosquitto_socket(handle) : -1;
          },
          this))
{
}

VOKMosquittoClient::~VOKMosquittoClient()
{
    disconnectFromBroker();
}

QString VOKMosquittoClient::host() const
{
    const std::lock_guard<std::mutex> locker(m_propertiesMutex);
    return m_host;
}

int VOKMosquittoClient::port() const
{
    const std::lock_guard<std::mutex> locker(m_propertiesMutex);
    return m_port;
}

QString VOKMosquittoClient::username() const
{
    const std::lock_guard<std::mutex> locker(m_propertiesMutex);
    return m_username;
}

QString VOKMosquittoClient::password() const
{
    const std::lock_guard<std::mutex> locker(m_propertiesMutex);
    return m_password;
}

VOKTLSSettings VOKMosquittoClient::tlsSettings() const
{
    const std::lock_guard<std::mutex> locker(m_propertiesMutex);
    return m_tls;
}

bool VOKMosquittoClient::useTLS() const
{
    return tlsSettings().useTLS;
}

qint64 VOKMosquittoClient::tlsVerifyMode() const
{
    return tlsSettings().tlsVerifyMode;
}

QString VOKMosquittoClient::caCertificatePath() const
{
    return tlsSettings().caCertificatePath;
}

QString VOKMosquittoClient::clientCertificatePath() const
{
    return tlsSettings().clientCertificatePath;
}

QString VOKMosquittoClient::clientKeyPath() const
{
    return tlsSettings().clientKeyPath;
}

void VOKMosquittoClient::setKeepaliveSeconds(int seconds)
{
    m_keepaliveSeconds = std::clamp(seconds, keepaliveMinimumSeconds, int(UINT16_MAX));
}

mosquitto *VOKMosquittoClient::mosq() const
{
    const std::lock_guard<std::mutex> locker(m_propertiesMutex);
    return m_handle ? m_handle->get() : nullptr;
}

QList<std::shared_ptr<VOKMosquittoTopic>> VOKMosquittoClient::topics() const
{
    const std::lock_guard<std::recursive_mutex> locker(m_lock);
    return m_topics;
}

QList<VOKMosquittoPublication> VOKMosquittoClient::publishQueue() const
{
    const std::lock_guard<std::recursive_mutex> locker(m_lock);
    return m_publishQueue;
}

QString VOKMosquittoClient::description() const
{
    return QStringLiteral("%1  %2:%3")
        .arg(vokObjectDescription(metaObject()->className(), this), host())
        .arg(port());
}

// MARK: - Connection

QString VOKMosquittoClient::keychainService() const
{
    return QStringLiteral("VOKMosquitto:%1:%2").arg(host()).arg(port());
}

bool VOKMosquittoClient::connectToBroker()
{
    if (mosq()) {
        VOK_WARNING(QStringLiteral("Beep: -connect called multiple times for %1").arg(description()));
        return false;
    }
    loadTLSSettings();

    std::unique_ptr<VOKMosquittoHandle> handle = VOKMosquittoHandle::create(this);
    if (!handle) {
        VOK_WARNING(QStringLiteral("Beep: Error initializing mosquitto!"));
        return false;
    }
    VOKMosquittoHandle &created = *handle;
    {
        const std::lock_guard<std::mutex> locker(m_propertiesMutex);
        m_handle = std::move(handle);
    }
    m_connectedSinceConnect = false;
    if (!checkResult(mosquitto_reconnect_delay_set(created.get(), reconnectDelaySeconds,
                                                   reconnectDelayMaximumSeconds, false),
                     "mosquitto_reconnect_delay_set"))
        return false;
    created.installCallbacks();
    return startHandle();
}

bool VOKMosquittoClient::startHandle()
{
    mosquitto *const mosq = this->mosq();
    // The loop must run before the connection is requested: a refused first attempt is retried
    // only by a running loop.
    if (!checkResult(mosquitto_loop_start(mosq), "mosquitto_loop_start"))
        return false;
    const QByteArray hostText = asciiHost(host());
    if (hostText.isNull()) {
        // Not a host name at all: nothing to look up, so the request fails at once.
        connectRequestFailed(MOSQ_ERR_INVAL);
        return false;
    }
    requestConnection(hostText);
    return true;
}

// The credential store, the certificate files and the name resolution may all keep a caller
// waiting (a keyring asking to be unlocked, a slow DNS server), so the request is made on a
// background thread, which reads the store in its queue's order. That thread never touches the
// client: the answer comes back to the GUI thread, where a client that is gone, or has given this
// handle up, ignores it. The TLS context is the client's from the start, so that the network
// thread's hooks can ask it what a failed handshake found.
void VOKMosquittoClient::requestConnection(const QByteArray &hostText)
{
    const VOKServerStore store = this->store();
    const std::pair<QString, QString> inMemory{username(), password()};
    const VOKTLSSettings tls = tlsSettings();
    const std::shared_ptr<VOKTLSContext> context = tls.useTLS ? std::make_shared<VOKTLSContext>() : nullptr;
    {
        const std::lock_guard<std::mutex> locker(m_propertiesMutex);
        m_tlsContext = context;
    }
    const int port = this->port();
    const int keepalive = m_keepaliveSeconds;
    const quint64 generation = m_connectGeneration;
    const QPointer<VOKMosquittoClient> self(this);
    m_handle->runInBackground([self, generation, store, inMemory, tls, context, hostText, port, keepalive](mosquitto *mosq) {
        const auto stored = store.loadCredentials();
        const VOKTLSContext::Outcome prepared = context ? prepareTLS(*context, mosq, tls, store, hostText)
                                                        : VOKTLSContext::Outcome();
        const std::optional<int> result = prepared.problem == VOKTLSContext::Problem::None
            ? requestOnLibrary(mosq, stored.value_or(inMemory), hostText, port, keepalive, context != nullptr)
            : std::nullopt;
        vokOnMain([self, generation, stored, prepared, result] {
            if (!self || self->m_connectGeneration != generation)
                return;
            if (stored)
                self->setUsername(stored->first, stored->second);
            if (prepared.problem != VOKTLSContext::Problem::None)
                self->tlsContextFailed(prepared);
            else if (result && *result != MOSQ_ERR_SUCCESS)
                self->connectRequestFailed(*result);
        });
    });
}

void VOKMosquittoClient::connectRequestFailed(int result)
{
    VOK_ERROR(QStringLiteral("mosquitto_connect_async failed with rc=%1 for %2:%3")
                  .arg(result)
                  .arg(host())
                  .arg(port()));
    clientConnectRequestFailed(result);
}

void VOKMosquittoClient::tlsContextFailed(const VOKTLSContext::Outcome &outcome)
{
    if (outcome.problem == VOKTLSContext::Problem::SetupFailed)
        clientTLSSetupFailed(outcome.text);
    else
        clientKeyPassphraseRequired(outcome.problem == VOKTLSContext::Problem::KeyPassphraseRejected);
}

void VOKMosquittoClient::disconnectFromBroker()
{
    ++m_connectGeneration;
    m_watchdog->stop();
    setTLSDescription(QString());
    std::unique_ptr<VOKMosquittoHandle> handle;
    {
        const std::lock_guard<std::mutex> locker(m_propertiesMutex);
        handle = std::move(m_handle);
    }
    // Destroying the handle detaches this client and tears the connection down in the background.
}

void VOKMosquittoClient::setUsername(const QString &username, const QString &password)
{
    const std::lock_guard<std::mutex> locker(m_propertiesMutex);
    m_username = username;
    m_password = password;
}

void VOKMosquittoClient::reconnectWithUsername(const QString &username, const QString &password)
{
    setUsername(username, password);
    disconnectFromBroker();
    connectToBroker();
}

void VOKMosquittoClient::enableTLS()
{
    const std::lock_guard<std::mutex> locker(m_propertiesMutex);
    m_tls.useTLS = true;
    if (m_port == defaultPort)
        m_port = defaultTLSPort;
}

void VOKMosquittoClient::reconnectWithTLS()
{
    enableTLS();
    disconnectFromBroker();
    connectToBroker();
}

VOKCertificateInfo VOKMosquittoClient::presentedCertificate() const
{
    const std::lock_guard<std::mutex> locker(m_propertiesMutex);
    return m_tlsContext ? m_tlsContext->presentedCertificate() : VOKCertificateInfo();
}

QString VOKMosquittoClient::tlsConnectionDescription() const
{
    const std::lock_guard<std::mutex> locker(m_propertiesMutex);
    return m_tlsDescription;
}

void VOKMosquittoClient::setTLSDescription(const QString &description)
{
    const std::lock_guard<std::mutex> locker(m_propertiesMutex);
    m_tlsDescription = description;
}

bool VOKMosquittoClient::tlsClientCertificateRequested() const
{
    const std::lock_guard<std::mutex> locker(m_propertiesMutex);
    return m_tlsContext && m_tlsContext->clientCertificateRequested();
}

QString VOKMosquittoClient::tlsVerificationFailure() const
{
    const std::lock_guard<std::mutex> locker(m_propertiesMutex);
    return m_tlsContext ? m_tlsContext->verificationFailure() : QString();
}

// MARK: - Stored settings

VOKServerStore VOKMosquittoClient::store() const
{
    return VOKServerStore(host(), port(), keychainService());
}

void VOKMosquittoClient::updateTLSSettings(const std::function<void(VOKTLSSettings &)> &change)
{
    const std::lock_guard<std::mutex> locker(m_propertiesMutex);
    change(m_tls);
}

QString VOKMosquittoClient::tlsSettingsKey() const
{
    return store().tlsSettingsKey();
}

void VOKMosquittoClient::loadCredentialsFromKeychain()
{
    store().loadCredentials(this, [this](const VOKServerStore::Credentials &credentials) {
        if (credentials)
            setUsername(credentials->first, credentials->second);
    });
}

void VOKMosquittoClient::saveCredentialsToKeychain(const QString &username, const QString &password)
{
    if (username.isEmpty()) {
        deleteCredentialsFromKeychain();
        return;
    }
    store().saveCredentials(username, password);
    setUsername(username, password);
}

void VOKMosquittoClient::deleteCredentialsFromKeychain()
{
    store().deleteCredentials();
    setUsername(QString(), QString());
}

void VOKMosquittoClient::loadTLSSettings()
{
    if (const auto stored = store().loadTLSSettings())
        updateTLSSettings([&stored](VOKTLSSettings &settings) { settings = *stored; });
}

void VOKMosquittoClient::saveTLSSettings() const
{
    store().saveTLSSettings(tlsSettings());
}

void VOKMosquittoClient::deleteTLSSettings() const
{
    store().deleteTLSSettings();
}

QString VOKMosquittoClient::certificatesDirectory() const
{
    return store().certificatesDirectory();
}

QString VOKMosquittoClient::copyCertificateToSupport(const QString &sourcePath, const QString &baseName) const
{
    return store().copyCertificateToSupport(sourcePath, baseName);
}

void VOKMosquittoClient::setTLSVerifyMode(qint64 mode, const QString &caCertificatePath)
{
    const QString path = caCertificatePath.isEmpty() ? caCertificatePath
                                                     : copyCertificateToSupport(caCertificatePath, QStringLiteral("ca"));
    updateTLSSettings([&](VOKTLSSettings &settings) {
        settings.tlsVerifyMode = mode;
        settings.caCertificatePath = path;
    });
}

void VOKMosquittoClient::setClientCertificatePath(const QString &certificatePath, const QString &keyPath)
{
    const auto copied = [this](const QString &path, const QString &baseName) {
        return path.isEmpty() ? path : copyCertificateToSupport(path, baseName);
    };
    const QString certificate = copied(certificatePath, QStringLiteral("client_cert"));
    const QString key = copied(keyPath, QStringLiteral("client_key"));
    updateTLSSettings([&](VOKTLSSettings &settings) {
        settings.clientCertificatePath = certificate;
        settings.clientKeyPath = key;
    });
}

void VOKMosquittoClient::setTrustedCertificateFingerprint(const QString &sha256Fingerprint)
{
    updateTLSSettings([&](VOKTLSSettings &settings) { settings.trustedCertificateFingerprint = sha256Fingerprint; });
}

void VOKMosquittoClient::clearClientCertificate()
{
    store().deleteKeyPassphrase();
    for (const QString &path : {clientCertificatePath(), clientKeyPath()}) {
        if (!path.isEmpty())
            QFile::remove(path);
    }
    updateTLSSettings([](VOKTLSSettings &settings) {
        settings.clientCertificatePath = QString();
        settings.clientKeyPath = QString();
    });
    saveTLSSettings();
}

void VOKMosquittoClient::deleteCertificateFiles() const
{
    store().deleteCertificateFiles();
}

void VOKMosquittoClient::deleteAllStoredData()
{
    deleteCredentialsFromKeychain();
    store().deleteKeyPassphrase();
    deleteTLSSettings();
    deleteCertificateFiles();
}

void VOKMosquittoClient::reconnectWithTLSVerifyMode(qint64 mode, const QString &caCertificatePath)
{
    enableTLS();
    setTLSVerifyMode(mode, caCertificatePath);
    saveTLSSettings();
    disconnectFromBroker();
    connectToBroker();
}

void VOKMosquittoClient::reconnectWithClientCertificate(const QString &certificatePath, const QString &keyPath)
{
    enableTLS();
    setClientCertificatePath(certificatePath, keyPath);
    saveTLSSettings();
    disconnectFromBroker();
    connectToBroker();
}

void VOKMosquittoClient::reconnectWithKeyPassphrase(const QString &passphrase)
{
    // The connect reads the store after this save: the queue keeps their order.
    store().saveKeyPassphrase(passphrase);
    disconnectFromBroker();
    connectToBroker();
}

// MARK: - Subscriptions

void VOKMosquittoClient::registerTopic(const std::shared_ptr<VOKMosquittoTopic> &topic)
{
    if (!topic)
        return;
    const std::lock_guard<std::recursive_mutex> locker(m_lock);
    topic->setMqttClient(this);
    m_topics = m_topics + QList<std::shared_ptr<VOKMosquittoTopic>>{topic};
    if (isConnected())
        subscribe(*topic);
}

void VOKMosquittoClient::unregisterTopic(const std::shared_ptr<const VOKMosquittoTopic> &topic)
{
    if (!topic)
        return;
    {
        const std::lock_guard<std::recursive_mutex> locker(m_lock);
        QList<std::shared_ptr<VOKMosquittoTopic>> remaining = m_topics;
        remaining.removeIf([&topic](const auto &registered) { return registered.get() == topic.get(); });
        m_topics = remaining;
    }
    unsubscribe(*topic);
}

bool VOKMosquittoClient::subscribe(const VOKMosquittoTopic &topic)
{
    mosquitto *const mosq = this->mosq();
    if (!mosq || !topic.hasCallback())
        return false;
    const QByteArray filter = cText(topic.topic());
    return checkResult(mosquitto_subscribe(mosq, nullptr, orNull(filter), 0), "mosquitto_subscribe");
}

void VOKMosquittoClient::unsubscribe(const VOKMosquittoTopic &topic)
{
    mosquitto *const mosq = this->mosq();
    if (!mosq)
        return;
    const QByteArray filter = cText(topic.topic());
    mosquitto_unsubscribe(mosq, nullptr, orNull(filter));
}

// MARK: - Publishing

void VOKMosquittoClient::publishTopic(const QString &topic, const QByteArray &data, bool retain)
{
    mosquitto *mosq = nullptr;
    {
        // Deciding under the lock that the connect hook takes to empty the queue means a
        // publication is either sent now or queued before that hook takes the queue. While the
        // hook has not sent every queued one, a new one waits behind them, however connected.
        const std::lock_guard<std::recursive_mutex> locker(m_lock);
        const bool queueing = !isConnected() || m_sendingPublishQueue || !m_publishQueue.isEmpty();
        mosq = queueing ? nullptr : this->mosq();
        if (!mosq) {
            m_publishQueue = m_publishQueue + QList<VOKMosquittoPublication>{{topic, data, retain}};
            return;
        }
    }
    checkResult(publish(mosq, topic, data, 0, retain), "mosquitto_publish");
}

bool VOKMosquittoClient::publishTopic(const QString &topic, const QByteArray &data, int qos,
                                      bool retain, VOKError *error)
{
    mosquitto *const mosq = isConnected() ? this->mosq() : nullptr;
    const int code = mosq ? publish(mosq, topic, data, qos, retain) : notConnectedCode;
    return errorFromCode(code, error);
}

bool VOKMosquittoClient::errorFromCode(int code, VOKError *error)
{
    if (code == MOSQ_ERR_SUCCESS)
        return true;
    QString description = QStringLiteral("Unexpected Error");
    QString suggestion = QStringLiteral("Error code: %1").arg(code);
    if (code == notConnectedCode || code == MOSQ_ERR_INVAL) {
        description = code == notConnectedCode ? QStringLiteral("No Connection")
                                               : QStringLiteral("Invalid input parameters");
        suggestion = QString();
    }
    VOK_ERROR(QStringLiteral("Mosquitto error %1: %2").arg(code).arg(description));
    VOKError::fill(error, VOKError(QStringLiteral("VOKMosquitto"), code, description, suggestion));
    return false;
}

bool VOKMosquittoClient::checkResult(int result, const char *operation) const
{
    return logFailure(result, operation);
}

// MARK: - Library callbacks (network thread)

VOKMosquittoMessagePtr VOKMosquittoClient::createMessage(const mosquitto_message &message) const
{
    return std::make_shared<const VOKMosquittoMessage>(message);
}

void VOKMosquittoClient::mosquittoConnected(int result)
{
    if (result == 0)
        clientDidConnect();
    else
        clientConnectionFailed(result);
}

void VOKMosquittoClient::mosquittoReceivedMessage(const mosquitto_message &message)
{
    clientReceivedMessage(createMessage(message));
}

void VOKMosquittoClient::mosquittoDisconnected(int result, int errorNumber)
{
    if (result == 0) {
        clientDidDisconnect();
        return;
    }
    if (result == MOSQ_ERR_ERRNO) {
        VOK_ERROR(QStringLiteral("Unexpected disconnect, result: %1 (MOSQ_ERR_ERRNO), errno: %2 (%3)")
                      .arg(result)
                      .arg(errorNumber)
                      .arg(errorText(errorNumber)));
    } else {
        VOK_ERROR(QStringLiteral("Unexpected disconnect, result: %1").arg(result));
    }
    clientDisconnectedUnexpectedly(result);
    // A server that wants a client certificate may just close the connection.
    if (!m_connectedSinceConnect && tlsClientCertificateRequested())
        clientmTLSRequired(QStringLiteral("the server requires a client certificate"));
}

void VOKMosquittoClient::mosquittoLogged(int level, const char *text)
{
    const QString line = QString::fromUtf8(text);
    if (level == MOSQ_LOG_WARNING) {
        VOK_WARNING(QStringLiteral("Mosquitto warning: %1").arg(line));
        return;
    }
    if (level != MOSQ_LOG_ERR)
        return;
    VOK_ERROR(QStringLiteral("Mosquitto error: %1").arg(line));
    const QString lower = line.toLower();
    if (lower.contains(QLatin1String("handshake failure")) || lower.contains(QLatin1String("certificate required")))
        clientmTLSRequired(line);
    else if (lower.contains(QLatin1String("ssl")) || lower.contains(QLatin1String("tls"))
             || lower.contains(QLatin1String("certificate")))
        clientTLSError(orIfEmpty(tlsVerificationFailure(), line));
}

// MARK: - Hooks

void VOKMosquittoClient::clientDidConnect()
{
    setTLSDescription(VOKTLSContext::connectionDescription(mosq()));
    m_isConnected = true;
    m_triedTLSFallback = false;
    m_connectedSinceConnect = true;
    for (const std::shared_ptr<VOKMosquittoTopic> &topic : topics())
        subscribe(*topic);
    sendPublishQueue();
    watchForSilence(true);
}

// In the order the library reports connections and losses.
void VOKMosquittoClient::watchForSilence(bool watch)
{
    vokOnMain(this, [this, watch] {
        if (watch && isConnected())
            m_watchdog->start(keepaliveSeconds());
        else
            m_watchdog->stop();
    });
}

void VOKMosquittoClient::sendPublishQueue()
{
    // Publications made meanwhile join the queue (see publishTopic), so this goes on until it
    // finds the queue empty, or the connection gone: then what is left waits for the next one.
    QList<VOKMosquittoPublication> queued;
    for (;;) {
        mosquitto *mosq = nullptr;
        {
            const std::lock_guard<std::recursive_mutex> locker(m_lock);
            m_publishQueue = queued + m_publishQueue;
            queued.clear();
            mosq = isConnected() ? this->mosq() : nullptr;
            m_sendingPublishQueue = mosq && !m_publishQueue.isEmpty();
            if (!m_sendingPublishQueue)
                return;
            queued.swap(m_publishQueue);
        }
        while (!queued.isEmpty() && isConnected()) {
            const VOKMosquittoPublication publication = queued.takeFirst();
            checkResult(publish(mosq, publication.topic, publication.data, 0, publication.retain), "mosquitto_publish");
        }
    }
}

void VOKMosquittoClient::clientConnectionFailed(int reasonCode)
{
    logReasonCode("clientConnectionFailed:", reasonCode);
}

void VOKMosquittoClient::clientConnectRequestFailed(int)
{
    // connectToBroker has logged the result with the host and port.
}

void VOKMosquittoClient::clientReceivedMessage(const VOKMosquittoMessagePtr &message)
{
    for (const std::shared_ptr<VOKMosquittoTopic> &topic : topics())
        topic->handleMessage(message);
}

void VOKMosquittoClient::clientDidDisconnect()
{
    m_isConnected = false;
    setTLSDescription(QString());
    watchForSilence(false);
}

void VOKMosquittoClient::clientDisconnectedUnexpectedly(int reasonCode)
{
    m_isConnected = false;
    setTLSDescription(QString());
    watchForSilence(false);
    logReasonCode("clientDisconnectedUnexpectedly:", reasonCode);
    // A connection that worked once is plain by design: the library's own reconnection carries
    // on. Only a first connection that the broker drops may be a TLS port, worth one TLS retry.
    if (reasonCode != MOSQ_ERR_CONN_LOST || m_connectedSinceConnect || useTLS())
        return;
    if (m_triedTLSFallback.exchange(true))
        return;
    vokOnMain(this, [this] { reconnectWithTLS(); });
}

void VOKMosquittoClient::clientTLSError(const QString &text)
{
    logHookProblem("clientTLSError:", text);
}

void VOKMosquittoClient::clientmTLSRequired(const QString &text)
{
    logHookProblem("clientmTLSRequired:", text);
}

void VOKMosquittoClient::clientTLSSetupFailed(const QString &text)
{
    logHookProblem("clientTLSSetupFailed:", text);
}

void VOKMosquittoClient::clientKeyPassphraseRequired(bool rejected)
{
    logHookProblem("clientKeyPassphraseRequired:",
                   rejected ? QStringLiteral("the stored passphrase does not open the client key")
                            : QStringLiteral("the client key needs a passphrase"));
}

void VOKMosquittoClient::logReasonCode(const char *hook, int reasonCode) const
{
    VOK_ERROR(QStringLiteral("%1  reasonCode: %2  (%3)")
                  .arg(QString::fromLatin1(hook))
                  .arg(reasonCode)
                  .arg(description()));
}

void VOKMosquittoClient::logHookProblem(const char *hook, const QString &text) const
{
    VOK_ERROR(QStringLiteral("%1  error: %2  (%3)").arg(QString::fromLatin1(hook), text, description()));
}

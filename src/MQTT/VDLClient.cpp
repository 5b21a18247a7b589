#include "VDLClient.h"

#include "VDLTopic.h"
#include "VDLTopicPath.h"
#include "VDLTreeChange.h"
#include "VOKClock.h"
#include "VOKDispatch.h"
#include "VOKPreferences.h"
#include "VOKString.h"
#include "VOKUrl.h"

#include <QElapsedTimer>
#include <QMetaMethod>
#include <QSet>
#include <QTimer>

#include <mosquitto.h>

namespace {

// How long the GUI thread waits before taking the next batch of messages: long enough to batch
// a busy broker's messages, short enough to look live.
constexpr int inboxLingerMilliseconds = 2;
// The longest stretch the GUI thread spends filing messages before it serves other events.
constexpr int drainSliceMilliseconds = 10;

QString statusForRefusal(int reasonCode)
{
    switch (reasonCode) {
    case 3:
        return QStringLiteral("Broker unavailable, retrying…");
    case 4:
    case 5:
        return QStringLiteral("Authentication failed");
    default:
        return QStringLiteral("Connection failed, retrying…");
    }
}

// Why the library could not request a connection, by its result.
QString statusForConnectRequestFailure(int result)
{
    switch (result) {
    case MOSQ_ERR_INVAL:
        return QStringLiteral("Invalid host name");
    case MOSQ_ERR_EAI:
        return QStringLiteral("Unknown host");
    default:
        return QStringLiteral("Connection failed, retrying…");
    }
}

} // namespace

VDLClient::VDLClient(const QString &host, int port, QObject *parent)
    : VOKMosquittoClient(host, port, parent)
    , m_treeFilter(new VOKTreeFilter(this))
{
    vdlRegisterMessageType();
    m_treeFilter->setChildrenKeyPath(QStringLiteral("subTopics"));
    m_treeFilter->setAccessors(
        [](const QObject *node) {
            const QList<VDLTopic *> &children = static_cast<const VDLTopic *>(node)->subTopics();
            return QObjectList(children.cbegin(), children.cend());
        },
        [](const QObject *node) -> QObject * { return static_cast<const VDLTopic *>(node)->parentTopic(); });
    m_treeFilter->setFilteredChildrenKeyPath(QStringLiteral("filteredSubTopics"));
}

VDLClient::~VDLClient()
{
    disconnectFromBroker();
}

VDLClientDelegate *VDLClient::delegate() const
{
    return m_delegateIsObject && !m_delegateObject ? nullptr : m_delegate;
}

void VDLClient::setDelegate(VDLClientDelegate *delegate)
{
    m_delegate = delegate;
    m_delegateObject = dynamic_cast<QObject *>(delegate);
    m_delegateIsObject = !m_delegateObject.isNull();
}

QString VDLClient::path() const
{
    const std::lock_guard<std::mutex> locker(m_pathMutex);
    return m_path;
}

QList<VDLTopic *> VDLClient::rootTopics() const
{
    return m_rootTopic ? QList<VDLTopic *>{m_rootTopic.get()} : QList<VDLTopic *>();
}

QString VDLClient::urlScheme() const
{
    return useTLS() ? QStringLiteral("mqtts") : QStringLiteral("mqtt");
}

QString VDLClient::hostUrl() const
{
    return vokServerUrlString(urlScheme(), host(), port());
}

QString VDLClient::urlForTopic(const QString &topic) const
{
    if (topic.isEmpty())
        return hostUrl();
    return hostUrl() + QLatin1Char('/') + vdlPercentEncodedTopic(topic);
}

QString VDLClient::urlS() const
{
    return urlForTopic(
        vokStringByRemovingSuffix(vokStringByRemovingSuffix(path(), QStringLiteral("#")), QStringLiteral("/")));
}

QString VDLClient::keychainService() const
{
    return QStringLiteral("Vindle:%1:%2").arg(host()).arg(port());
}

void VDLClient::connectWithPath(const QString &path)
{
    QString filter = path;
    if (!filter.isEmpty() && !filter.endsWith(QLatin1Char('/')))
        filter.append(QLatin1Char('/'));
    filter.append(QLatin1Char('#'));
    {
        const std::lock_guard<std::mutex> locker(m_pathMutex);
        m_path = filter;
    }
    Q_EMIT pathChanged();
    connectToBroker();
}

VDLTopic *VDLClient::topicAt(QStringView topic, bool createIfNeeded)
{
    VDLTopic *node = m_rootTopic.get();
    VDLTopicLevels levels(topic);
    QStringView level;
    while (node && levels.next(level))
        node = node->subtopicNamed(level, createIfNeeded);
    return node;
}

void VDLClient::setPause(bool pause)
{
    if (pause) {
        if (m_pendingMessages)
            return;
        m_pendingMessages.emplace();
        Q_EMIT pauseChanged();
        return;
    }
    const bool wasPaused = m_pendingMessages.has_value();
    const VDLArrivalBatch held = std::move(m_pendingMessages).value_or(VDLArrivalBatch());
    m_pendingMessages.reset();
    if (wasPaused)
        Q_EMIT pauseChanged();
    const VDLTreeChange change(this);
    if (VDLClientDelegate *const target = delegate())
        target->clientDataWillChange(this);
    for (qsizetype index = 0; index < held.size(); ++index)
        fileMessage(held, index);
    setPendingMessageCount(0);
    if (VDLClientDelegate *const target = delegate())
        target->clientDataDidChange(this);
}

void VDLClient::deleteTopics(const QList<VDLTopic *> &topics)
{
    const VDLTreeChange change(this);
    QStringList cleared;
    for (VDLTopic *const top : topics) {
        // Gathered before the removal: each subtree is walked while it is still whole.
        for (const VDLTopic *node : top->subtreeChildrenFirst()) {
            if (node->latestIsRetained())
                cleared.append(node->path());
        }
        top->removeSubtree();
    }
    for (const QString &path : std::as_const(cleared))
        publishTopic(path, QByteArray(), true);
}

void VDLClient::updateTreeFilter(VOKTreeFilter::Predicate predicate, const QList<VDLTopic *> &roots)
{
    const VDLTreeChange change(this);
    m_treeFilter->setPredicate(std::move(predicate));
    m_treeFilter->updateWithRoots(QObjectList(roots.cbegin(), roots.cend()));
    announceTreeFilterChange();
}

void VDLClient::showOnlyTopics(const QList<VDLTopic *> &topics)
{
    const VDLTreeChange change(this);
    const QSet<const QObject *> passing(topics.cbegin(), topics.cend());
    m_treeFilter->setPredicate([passing](const QObject *node) { return passing.contains(node); });
    m_treeFilter->updateWithPassingNodes(QObjectList(topics.cbegin(), topics.cend()));
    announceTreeFilterChange();
}

void VDLClient::announceTreeFilterChange()
{
    if (VDLTopicChanges *const changes = pendingTopicChanges()) {
        for (QObject *parent : m_treeFilter->changedParents())
            changes->noteFilteredChildrenChanged(static_cast<VDLTopic *>(parent));
    }
    m_treeFilter->fireKVOForChangedParents();
}

void VDLClient::beginTreeChange()
{
    // Most trees are followed by an outline; a headless client (--dump) skips the bookkeeping.
    if (m_treeChangeDepth++ == 0)
        m_collectingChanges = isSignalConnected(QMetaMethod::fromSignal(&VDLClient::topicsChanged));
}

void VDLClient::endTreeChange()
{
    if (--m_treeChangeDepth > 0)
        return;
    m_collectingChanges = false;
    if (m_topicChanges.isEmpty())
        return;
    // Taken first: a follower may change the tree again, which is a batch of its own.
    const VDLTopicChanges changes = std::exchange(m_topicChanges, {});
    Q_EMIT topicsChanged(changes);
}

void VDLClient::setPendingMessageCount(quint64 count)
{
    if (m_pendingMessageCount == count)
        return;
    m_pendingMessageCount = count;
    Q_EMIT pendingMessageCountChanged();
}

void VDLClient::setConnectionError(const QString &text)
{
    if (m_connectionError == text && m_connectionError.isNull() == text.isNull())
        return;
    m_connectionError = text;
    Q_EMIT connectionErrorChanged();
}

// MARK: - Requests from the window

void VDLClient::requestURL(const QString &suffix)
{
    if (const std::optional<QUrl> url = vokUrl(hostUrl() + suffix))
        Q_EMIT openURLRequested(*url);
}

void VDLClient::showBrokerMetadata()
{
    requestURL(QStringLiteral("/$SYS"));
}

void VDLClient::showPublishUI()
{
    requestURL(QStringLiteral("/?value"));
}

void VDLClient::showCredentialsUI()
{
    if (VDLClientDelegate *const target = delegate())
        target->clientRequestsCredentialPrompt(this);
}

void VDLClient::showmTLSUI()
{
    if (VDLClientDelegate *const target = delegate())
        target->clientRequestsmTLSPrompt(this);
}

// MARK: - Messages

VOKMosquittoMessagePtr VDLClient::createMessage(const mosquitto_message &message) const
{
    return std::make_shared<const VDLMessage>(message, m_topicNames.nameFor(message.topic));
}

void VDLClient::mosquittoReceivedMessage(const mosquitto_message &message)
{
    // Messages for the tree are only copied here; objects are made for registered topics alone.
    if (!topics().isEmpty())
        VOKMosquittoClient::mosquittoReceivedMessage(message);
    const qint64 now = VOKClock::current().currentMSecsSinceEpoch();
    if (m_inbox.push(message, m_topicNames.nameFor(message.topic), now))
        vokOnMain(this, [this] { drainInbox(); });
}

void VDLClient::drainInbox()
{
    if (m_backlogFiled == m_backlog.size()) {
        m_inbox.takeAll(m_backlog);
        m_backlogFiled = 0;
        if (m_backlog.isEmpty())
            return;
    }
    // Messages can overtake the queued connect work that creates the root.
    ensureRootTopic();
    {
        const VDLTreeChange change(this);
        // A burst is filed in slices, so the window stays responsive while a flood is worked off.
        QElapsedTimer slice;
        slice.start();
        for (int filed = 1; m_backlogFiled < m_backlog.size(); ++filed) {
            receiveOnMain(m_backlog, m_backlogFiled++);
            if (filed % 64 == 0 && slice.elapsed() >= drainSliceMilliseconds)
                break;
        }
        m_historyBudget.enforce(*m_rootTopic);
    }
    // Keep taking while messages flow; the take that finds nothing ends it.
    QTimer::singleShot(m_backlogFiled == m_backlog.size() ? inboxLingerMilliseconds : 0, this, &VDLClient::drainInbox);
}

void VDLClient::receiveOnMain(const VDLArrivalBatch &batch, qsizetype index)
{
    if (m_pendingMessages) {
        m_pendingMessages->appendFrom(batch, index);
        setPendingMessageCount(quint64(m_pendingMessages->size()));
        return;
    }
    VDLClientDelegate *const target = delegate();
    if (target)
        target->clientDataWillChange(this);
    fileMessage(batch, index);
    if (target)
        target->clientDataDidChange(this);
}

void VDLClient::fileMessage(const VDLArrivalBatch &batch, qsizetype index)
{
    const QByteArray payload = batch.payloadAt(index);
    if (VDLTopic *const node = topicAt(batch.topicAt(index), !payload.isNull()))
        node->addMessage(batch.createdAt(index), payload, batch.qosAt(index), batch.isRetainedAt(index),
                         batch.midAt(index));
}

void VDLClient::followHistoryBudgetPreference()
{
    const auto apply = [this] {
        const qint64 megabytes = VOKPreferences::standard().integerForKey(QLatin1String(VDLHistoryBudget::PreferencesKey));
        setHistoryBudget(quint64(std::max<qint64>(0, megabytes)) * 1024 * 1024);
    };
    apply();
    connect(&VOKPreferences::standard(), &VOKPreferences::valueChanged, this, [apply](const QString &key) {
        if (key == QLatin1String(VDLHistoryBudget::PreferencesKey))
            apply();
    });
}

void VDLClient::setHistoryBudget(quint64 bytes)
{
    m_historyBudget.setLimit(bytes);
    if (m_rootTopic) {
        const VDLTreeChange change(this);
        m_historyBudget.enforce(*m_rootTopic);
    }
}

// MARK: - Connection hooks

void VDLClient::clientDidConnect()
{
    VOKMosquittoClient::clientDidConnect();
    const QByteArray filter = path().toUtf8();
    const bool subscribed = checkResult(mosquitto_subscribe(mosq(), nullptr, filter.constData(), 0),
                                        "mosquitto_subscribe");
    vokOnMain(this, [this, subscribed] { didConnect(subscribed); });
}

void VDLClient::ensureRootTopic()
{
    if (m_rootTopic)
        return;
    m_rootTopic = std::make_unique<VDLTopic>();
    m_rootTopic->setClient(this);
    Q_EMIT rootTopicChanged();
}

void VDLClient::didConnect(bool subscribed)
{
    ensureRootTopic();
    m_rootTopic->setClient(this);
    if (!subscribed)
        return;
    setConnectionError(QString());
    if (VDLClientDelegate *const target = delegate())
        target->clientDidConnectWithPath(this, path());
}

void VDLClient::reportProblem(const QString &text, int reason)
{
    setConnectionError(text);
    if (VDLClientDelegate *const target = delegate())
        target->clientConnectionFailedWithReason(this, reason);
}

void VDLClient::clientConnectionFailed(int reasonCode)
{
    VOKMosquittoClient::clientConnectionFailed(reasonCode);
    vokOnMain(this, [this, reasonCode] { reportProblem(statusForRefusal(reasonCode), reasonCode); });
}

void VDLClient::clientConnectRequestFailed(int result)
{
    VOKMosquittoClient::clientConnectRequestFailed(result);
    vokOnMain(this, [this, result] { reportProblem(statusForConnectRequestFailure(result), -result); });
}

void VDLClient::clientDisconnectedUnexpectedly(int reasonCode)
{
    VOKMosquittoClient::clientDisconnectedUnexpectedly(reasonCode);
    // The library drops every connection the broker refused. The refusal's text ("Authentication
    // failed") says what is wrong, a loss would not: it stays until the next attempt's outcome.
    if (reasonCode == MOSQ_ERR_CONN_REFUSED) {
        vokOnMain(this, [this] {
            if (VDLClientDelegate *const target = delegate())
                target->clientConnectionFailedWithReason(this, 0);
        });
        return;
    }
    // Nothing was lost when the connection never worked (nothing listens on the port).
    const QString text = triedTLSFallback() && !useTLS() ? QStringLiteral("Connection rejected, retrying with TLS…")
        : hasConnectedSinceConnect()                     ? QStringLiteral("Connection lost, retrying…")
                                                         : QStringLiteral("Connection refused, retrying…");
    vokOnMain(this, [this, text] { reportProblem(text, 0); });
}

void VDLClient::reportTLSProblem(const QString &status, const QString &text, TLSProblemCall call)
{
    vokOnMain(this, [this, status, text, call] {
        setConnectionError(status);
        if (VDLClientDelegate *const target = delegate())
            (target->*call)(this, text);
    });
}

void VDLClient::clientTLSError(const QString &text)
{
    VOKMosquittoClient::clientTLSError(text);
    reportTLSProblem(QStringLiteral("TLS error, retrying…"), text, &VDLClientDelegate::clientTLSErrorOccurred);
}

void VDLClient::clientmTLSRequired(const QString &text)
{
    VOKMosquittoClient::clientmTLSRequired(text);
    reportTLSProblem(QStringLiteral("Client certificate required"), text, &VDLClientDelegate::clientMTLSRequired);
}

void VDLClient::clientTLSSetupFailed(const QString &text)
{
    VOKMosquittoClient::clientTLSSetupFailed(text);
    reportTLSProblem(QStringLiteral("TLS setup failed - check certificate settings"), text, &VDLClientDelegate::clientTLSSetupFailed);
}

void VDLClient::clientKeyPassphraseRequired(bool rejected)
{
    VOKMosquittoClient::clientKeyPassphraseRequired(rejected);
    setConnectionError(QStringLiteral("Client key passphrase required"));
    if (VDLClientDelegate *const target = delegate())
        target->clientKeyPassphraseRequired(this, rejected);
}

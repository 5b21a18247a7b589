#pragma once

#include "VDLClientDelegate.h"
#include "VDLMessage.h"
#include "VDLHistoryBudget.h"
#include "VDLMessageInbox.h"
#include "VDLTopicChanges.h"
#include "VDLTopicNameCache.h"
#include "VOKMosquittoClient.h"
#include "VOKTreeFilter.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <memory>
#include <mutex>
#include <optional>

class VDLTopic;
Q_MOC_INCLUDE("VDLTopic.h")

// The broker client of one viewer: subscribes to everything below one path, files every message
// into its live topic tree, can hold messages back while paused, keeps a one-line connection
// status text and tells its delegate about changes.
//
// The tree's changes are announced in batches: filing one slice of the inbox, releasing a pause,
// a deletion, a new filter predicate or a new client each end in one topicsChanged notice naming
// what changed (see VDLTopicChanges and VDLTreeChange). The notice comes after the last
// clientDataDidChange of the batch, and only while something is connected to it.
//
// The network thread only copies each message into an inbox (VDLMessageInbox) that the GUI thread
// takes in batches, in arrival order, and files into the topics' histories in slices; everything else the hooks do reaches the GUI thread
// with vokOnMain, in the order the library reported it. The root topic is made on the GUI thread
// by the first successful connect (or by the first batch, should it overtake that work), and kept
// across reconnects.
//
// Ownership: the client owns its tree, its held-back messages and its tree filter. The delegate
// is not owned; when it is a QObject, the client forgets it when it is destroyed.
// Threads: GUI thread, except the hooks (network thread).
class VDLClient : public VOKMosquittoClient
{
    Q_OBJECT
    Q_PROPERTY(QString connectionError READ connectionError NOTIFY connectionErrorChanged)
    Q_PROPERTY(QString path READ path NOTIFY pathChanged)
    Q_PROPERTY(VDLTopic *rootTopic READ rootTopic NOTIFY rootTopicChanged)
    Q_PROPERTY(QList<VDLTopic *> rootTopics READ rootTopics NOTIFY rootTopicChanged)
    Q_PROPERTY(bool pause READ pause WRITE setPause NOTIFY pauseChanged)
    Q_PROPERTY(quint64 pendingMessageCount READ pendingMessageCount NOTIFY pendingMessageCountChanged)
    Q_PROPERTY(QString urlScheme READ urlScheme)
    Q_PROPERTY(QString hostUrl READ hostUrl)
    Q_PROPERTY(QString urlS READ urlS NOTIFY pathChanged)

public:
    explicit VDLClient(const QString &host, int port = defaultPort, QObject *parent = nullptr);
    ~VDLClient() override;

    VDLClientDelegate *delegate() const;
    void setDelegate(VDLClientDelegate *delegate);
    // Always present; the outline sets its predicate.
    VOKTreeFilter *treeFilter() const { return m_treeFilter; }

    // Null while connected normally.
    QString connectionError() const { return m_connectionError; }
    // The subscription filter, ending in "#".
    QString path() const;
    VDLTopic *rootTopic() const { return m_rootTopic.get(); }
    // The root alone, or empty before the first connect.
    QList<VDLTopic *> rootTopics() const;
    bool pause() const { return m_pendingMessages.has_value(); }
    quint64 pendingMessageCount() const { return m_pendingMessageCount; }
    // The most bytes the tree's histories may hold; 0 (the default) keeps every message.
    quint64 historyBudget() const { return m_historyBudget.limit(); }
    // Sets the budget; follows no preference after.
    void setHistoryBudget(quint64 bytes);
    // Takes the budget from the preferences, now and whenever it changes there.
    void followHistoryBudgetPreference();
    // Told by the tree's topics when their histories grow.
    void historyGrew(qint64 bytes) { m_historyBudget.noteGrowth(bytes); }

    // "mqtts" with TLS, else "mqtt".
    QString urlScheme() const;
    // "scheme://host:port", an IPv6 host in brackets.
    QString hostUrl() const;
    // hostUrl, then "/" and the percent-encoded topic; hostUrl alone for the empty topic.
    QString urlForTopic(const QString &topic) const;
    // The URL of the subscribed path: urlForTopic of the path without its "#" and trailing "/".
    QString urlS() const;

    QString keychainService() const override;

    // Subscribes to path/# (or # for the empty path) and connects.
    void connectWithPath(const QString &path);
    // The node for the topic name, walking (and creating, when asked) one level at a time; null
    // when a level is missing or is "+".
    VDLTopic *topicAt(QStringView topic, bool createIfNeeded = true);
    // Pausing holds messages back; releasing files them all between one will-change/did-change
    // pair.
    void setPause(bool pause);

    // Removes each topic's subtree, one topic after the other, children first (depth first, in
    // order, then the topic), and asks the broker to clear the retained message of every removed
    // topic whose latest message was retained, in the order of removal. The root only loses its
    // children. One notice for all.
    void deleteTopics(const QList<VDLTopic *> &topics);
    // Gives the tree filter a new predicate (an empty one turns it off), computes it again over
    // the trees below roots (the window passes rootTopics) and announces the parents whose
    // filtered children changed, in one notice and through their filteredSubTopics signal.
    void updateTreeFilter(VOKTreeFilter::Predicate predicate, const QList<VDLTopic *> &roots);
    // The same as updateTreeFilter with a predicate that passes exactly these topics, for a
    // caller that has them at hand: only they and their ancestors are visited.
    void showOnlyTopics(const QList<VDLTopic *> &topics);

    // A batch of tree changes; VDLTreeChange opens and ends one. Batches nest: the outermost end
    // announces.
    void beginTreeChange();
    void endTreeChange();
    // Where the tree notes its changes: the open batch's notice while one is open and something
    // follows topicsChanged; null otherwise, and nothing need be noted.
    VDLTopicChanges *pendingTopicChanges() { return m_collectingChanges ? &m_topicChanges : nullptr; }

    // Requests that windows answer: the broker's $SYS topics, the publish window, the prompts.
    void showBrokerMetadata();
    void showPublishUI();
    void showCredentialsUI();
    void showmTLSUI();

Q_SIGNALS:
    void connectionErrorChanged();
    void pathChanged();
    void rootTopicChanged();
    void pauseChanged();
    void pendingMessageCountChanged();
    // What one batch changed in the tree; see VDLTopicChanges for how long its topics live.
    void topicsChanged(const VDLTopicChanges &changes);
    // The application opens the URL (a viewer or a publish window).
    void openURLRequested(const QUrl &url);

protected:
    VOKMosquittoMessagePtr createMessage(const mosquitto_message &message) const override;

    void clientDidConnect() override;
    void clientConnectionFailed(int reasonCode) override;
    void clientConnectRequestFailed(int result) override;
    void clientDisconnectedUnexpectedly(int reasonCode) override;
    void clientTLSError(const QString &text) override;
    void clientmTLSRequired(const QString &text) override;
    void clientTLSSetupFailed(const QString &text) override;
    void clientKeyPassphraseRequired(bool rejected) override;
    void mosquittoReceivedMessage(const mosquitto_message &message) override;

private:
    void announceTreeFilterChange();
    void didConnect(bool subscribed);
    void drainInbox();
    void receiveOnMain(const VDLArrivalBatch &batch, qsizetype index);
    void ensureRootTopic();
    void fileMessage(const VDLArrivalBatch &batch, qsizetype index);
    void setConnectionError(const QString &text);
    void setPendingMessageCount(quint64 count);
    void requestURL(const QString &suffix);
    // The text and the delegate call of a connection problem, on the GUI thread.
    void reportProblem(const QString &text, int reason);
    // The same for a TLS problem: the status text, then the delegate's call with the library text.
    using TLSProblemCall = void (VDLClientDelegate::*)(VDLClient *, const QString &);
    void reportTLSProblem(const QString &status, const QString &text, TLSProblemCall call);

    VOKTreeFilter *m_treeFilter;
    VDLClientDelegate *m_delegate = nullptr;
    QPointer<QObject> m_delegateObject;
    bool m_delegateIsObject = false;
    QString m_connectionError;
    // Written on the GUI thread, read by the connect hook.
    mutable std::mutex m_pathMutex;
    QString m_path;
    std::unique_ptr<VDLTopic> m_rootTopic;
    std::optional<VDLArrivalBatch> m_pendingMessages;
    quint64 m_pendingMessageCount = 0;
    VDLMessageInbox m_inbox;
    // Taken from the inbox and filed up to m_backlogFiled: a burst is worked off in slices. GUI
    // thread.
    VDLArrivalBatch m_backlog;
    qsizetype m_backlogFiled = 0;
    VDLHistoryBudget m_historyBudget;
    mutable VDLTopicNameCache m_topicNames;
    int m_treeChangeDepth = 0;
    bool m_collectingChanges = false;
    VDLTopicChanges m_topicChanges;
};

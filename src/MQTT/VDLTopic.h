#pragma once

#include "VDLMessage.h"
#include "VDLMessageHistory.h"
#include "VDLRepresentedDevice.h"
#include "VOKMarkup.h"
#include "VOKSortDescriptor.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <memory>
#include <optional>

class VDLClient;
Q_MOC_INCLUDE("VDLClient.h")
class VDLDeviceRecognition;
class VDLTopicChanges;

// One node of the live topic tree: one level of a topic name, the complete history of the
// messages received on exactly that topic (kept compactly in a VDLMessageHistory; VDLMessage
// objects are made from it when asked for), and the totals of its subtree.
//
// Costs per message are bounded by the depth of the topic: appending to a history is amortised
// O(1), a child is found by name through a hash, and totals change by differences applied up the
// ancestors. Observers are told after every stored value along the path has its new value, so a
// notified observer always sees consistent totals up to the root. Signals fire when a value
// changes; derived values announce through the signals named in their property declarations.
// Besides, every change is noted in the client's open batch of changes (VDLClient::topicsChanged),
// which is how an outline follows the whole tree; a mutator called outside a batch is a batch of
// its own.
//
// Ownership: a node owns its children (not QObject children: the tree tears itself down without
// recursion, whatever its depth); the root belongs to its client. parent and client are back
// references. A node removed from the tree is deleted later by the event loop.
// Threads: the GUI thread only.
class VDLTopic : public QObject
{
    Q_OBJECT
    Q_PROPERTY(VDLTopic *parent READ parentTopic CONSTANT)
    Q_PROPERTY(QString name READ name CONSTANT)
    Q_PROPERTY(QList<VDLTopic *> subTopics READ subTopics NOTIFY subTopicsChanged)
    Q_PROPERTY(QList<VDLTopic *> filteredSubTopics READ filteredSubTopics NOTIFY filteredSubTopicsChanged)
    Q_PROPERTY(QList<VDLMessagePtr> messages READ messages NOTIFY messagesChanged)
    Q_PROPERTY(VDLMessagePtr latestMessage READ latestMessage NOTIFY messagesChanged)
    Q_PROPERTY(QString rawContent READ rawContent NOTIFY messagesChanged)
    Q_PROPERTY(quint64 totalMessages READ totalMessages NOTIFY totalMessagesChanged)
    Q_PROPERTY(quint64 totalTopics READ totalTopics NOTIFY totalTopicsChanged)
    Q_PROPERTY(quint64 totalRetainedTopics READ totalRetainedTopics NOTIFY totalRetainedTopicsChanged)
    Q_PROPERTY(QString messageSummary READ messageSummary NOTIFY messageSummaryChanged)
    Q_PROPERTY(bool isDeviceProperty READ isDeviceProperty NOTIFY isDevicePropertyChanged)
    Q_PROPERTY(VDLClient *client READ client NOTIFY clientChanged)
    Q_PROPERTY(QDateTime created READ created CONSTANT)
    Q_PROPERTY(QString path READ path CONSTANT)
    Q_PROPERTY(QString urlS READ urlS NOTIFY clientChanged)
    Q_PROPERTY(QUrl latestMessageAsUrl READ latestMessageAsUrl NOTIFY messagesChanged)
    Q_PROPERTY(QString displayName READ displayName NOTIFY clientChanged)
    Q_PROPERTY(bool isLeaf READ isLeaf NOTIFY subTopicsChanged)
    Q_PROPERTY(QString description READ description CONSTANT)

public:
    // The root: no parent, no name, no creation date.
    VDLTopic();
    // A node below the parent, created now (VOKClock). It does not insert itself: subtopicNamed
    // does.
    VDLTopic(VDLTopic *parent, const QString &name);
    ~VDLTopic() override;

    VDLTopic *parentTopic() const { return m_parent; }
    // Null for the root; may be empty (an empty topic level).
    const QString &name() const { return m_name; }
    // Children in order of first appearance.
    const QList<VDLTopic *> &subTopics() const { return m_subTopics; }
    // The children the client's tree filter lets through; all of them without a filter.
    QList<VDLTopic *> filteredSubTopics() const;
    // The kept history, oldest first, each message made on demand: for a few messages use
    // messageAt or latestMessages.
    QList<VDLMessagePtr> messages() const;
    const VDLMessageHistory &history() const { return m_history; }
    // The kept message at that index of history(); the latest is the same object until the next
    // message arrives.
    VDLMessagePtr messageAt(qsizetype index) const;
    VDLMessagePtr latestMessage() const;
    // The newest `count` kept messages (fewer when there are fewer), oldest first.
    QList<VDLMessagePtr> latestMessages(qsizetype count) const;
    // The message received just before this one of this topic, while it is kept; null for
    // another topic's message or one made elsewhere.
    VDLMessagePtr messageBefore(const VDLMessage &message) const;
    bool latestIsRetained() const;
    // Every message received on this topic, the dropped ones included.
    quint64 receivedMessageCount() const { return quint64(m_history.size()) + m_history.droppedCount(); }
    quint64 totalMessages() const { return m_totalMessages; }
    quint64 totalTopics() const { return m_totalTopics; }
    quint64 totalRetainedTopics() const { return m_totalRetainedTopics; }
    // The device rendering as plain text when the node stands for a device and it renders, else
    // the latest message's summary; null without either.
    QString messageSummary() const;
    // The same for display, as markup: the device rendering, or the message summary shown as it is.
    std::optional<VOKMarkup> attributedMessageSummary() const;
    // The client of the tree; set on the root, shared by every node.
    VDLClient *client() const { return m_client; }
    // Sets the client of this node and every node below it.
    void setClient(VDLClient *client);
    // Local time; invalid for the root.
    QDateTime created() const { return m_createdMSecs ? QDateTime::fromMSecsSinceEpoch(m_createdMSecs) : QDateTime(); }
    // The same as a number, cheap enough for comparisons; 0 for the root.
    qint64 createdMSecsSinceEpoch() const { return m_createdMSecs; }

    // The topic name (empty levels kept); null for the root.
    QString path() const;
    // The client's host URL, then "/" and the percent-encoded path when the path is not empty.
    QString urlS() const;
    // The latest message as a publish URL for the client's server (its publish parameters); an
    // empty URL without a message or a client.
    QUrl latestMessageAsUrl() const;
    bool isLeaf() const { return m_subTopics.isEmpty(); }
    // The name; the client's host URL for the root.
    QString displayName() const;
    // Styled values as markup; the outline renders them. "[s:list.bullet.indent]topics
    // [s:list.bullet]messages".
    VOKMarkup infoString() const;
    // The retained marker when the subtree holds exactly one topic with data and it is retained
    // (grey when it lies below this node); none otherwise.
    std::optional<VOKMarkup> isRetainedDisplay() const;
    // The latest message's content; none without a message.
    std::optional<VOKMarkup> attributedContent() const;
    QString rawContent() const;
    // The root first, the parent last; empty for the root.
    QList<VDLTopic *> ancestors() const;
    // Every node of the subtree, this one included, that has messages.
    QSet<VDLTopic *> recursiveTopics();
    // "<VDLTopic: 0x...>  path"
    QString description() const;

    // The child of that name, created (and appended) when missing and asked for; null for "+".
    VDLTopic *subtopicNamed(QStringView name, bool createIfNeeded = true);
    // The existing descendant at the relative path; empty levels are skipped, nothing is created.
    VDLTopic *topicAtRelativePath(const QString &relativePath);

    // Device recognition. A node stands for the first device definition whose match paths all
    // resolve below it; its summary then renders the device from its source topics. Re-evaluated
    // on a node, and on its ancestors up to the deepest match path, whenever it gains or loses a
    // child; a source topic's new message re-renders the nearest device node above it.
    const VDLRepresentedDevice *representedDevice() const;
    // The device's source topics still in the tree, in field order; empty without a device.
    QList<VDLTopic *> deviceSources() const;
    // True while a device on this node or above reads this node.
    bool isDeviceProperty() const { return m_isDeviceProperty; }
    // Set by the device node above that reads this one.
    void setDeviceProperty(bool isDeviceProperty);
    void evaluateDeviceRecognitionUpward();
    void evaluateDeviceRecognition();
    void devicePropertyChanged();

    // Appends a received message to the history and updates totals and summary. A null message
    // is refused with an error line.
    void addMessage(const VDLMessagePtr &message);
    // The same from the message's parts; the payload is copied or shared (VDLMessageHistory).
    void addMessage(qint64 createdMSecs, const QByteArray &payload, int qos, bool retained, int mid);
    // Drops the oldest kept messages, never the latest; counts and totals stay. Answers the
    // change of the history's memory (zero or negative).
    qint64 dropOldestMessages(qsizetype count);
    void recomputeMessageSummary();

    // Removes this node and its subtree, bottom-up, asking the broker to clear the retained
    // message of every removed node whose latest message was retained: the client's
    // deleteTopics. Without a client the nodes are only removed. The root only loses its children.
    void recursiveDelete();
    // Removes this node and its subtree from the tree, bottom-up, without a word to the broker.
    void removeSubtree();
    // Takes the child out of the tree; it is deleted later.
    void removeSubTopic(VDLTopic *child);
    // This node's subtree, children first: depth first, each level in order, this node last.
    QList<VDLTopic *> subtreeChildrenFirst();

    // Appends this node, then depth first every descendant, each level in the given order (arrival
    // order without one).
    void flattenInto(QList<VDLTopic *> &list, const QList<VOKSortDescriptor> &order = {});

Q_SIGNALS:
    void subTopicsChanged();
    void filteredSubTopicsChanged();
    void messagesChanged();
    void totalMessagesChanged();
    void totalTopicsChanged();
    void totalRetainedTopicsChanged();
    void infoStringChanged();
    void isRetainedDisplayChanged();
    void messageSummaryChanged();
    void isDevicePropertyChanged();
    void clientChanged();

private:
    struct TotalsChange
    {
        qint64 messages = 0;
        qint64 topics = 0;
        qint64 retained = 0;
        bool isZero() const { return messages == 0 && topics == 0 && retained == 0; }
    };

    VDLMessagePtr makeMessage(qsizetype index) const;
    // The batch this node's changes are noted in; null when nothing follows them.
    VDLTopicChanges *pendingChanges() const;
    const std::optional<VOKMarkup> &deviceRendering() const;
    void applyTotalsChange(const TotalsChange &change);
    void announceTotalsChange(const TotalsChange &change);
    QList<VDLTopic *> takeChildren();
    QList<VDLTopic *> sortedChildren(const QList<VOKSortDescriptor> &order) const;

    VDLTopic *const m_parent = nullptr;
    const QString m_name;
    const qint64 m_createdMSecs = 0;
    VDLClient *m_client = nullptr;
    QList<VDLTopic *> m_subTopics;
    // Beside the children: a walk of the tree reads both of every topic.
    std::unique_ptr<VDLDeviceRecognition> m_device;
    // Keys view the children's own names.
    QHash<QStringView, VDLTopic *> m_childrenByName;
    VDLMessageHistory m_history;
    // Made when first asked for, until the next message arrives.
    mutable VDLMessagePtr m_latestMessage;
    quint64 m_totalMessages = 0;
    quint64 m_totalTopics = 0;
    quint64 m_totalRetainedTopics = 0;
    bool m_isDeviceProperty = false;
};

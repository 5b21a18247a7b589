#include "VDLTopic.h"

#include "VDLClient.h"
#include "VDLDeviceRecognition.h"
#include "VDLTopicPath.h"
#include "VDLTreeChange.h"
#include "VOKClock.h"
#include "VOKKeyPath.h"
#include "VOKLog.h"
#include "VOKMarkupEscape.h"
#include "VOKMergeSort.h"
#include "VOKObjectDescription.h"
#include "VOKTreeFilter.h"

#include <algorithm>
#include <numeric>
#include <vector>

VDLTopic::VDLTopic() = default;

VDLTopic::VDLTopic(VDLTopic *parent, const QString &name)
    : m_parent(parent)
    , m_name(name)
    , m_createdMSecs(VOKClock::current().currentMSecsSinceEpoch())
    , m_client(parent ? parent->m_client : nullptr)
{
}

VDLTopic::~VDLTopic()
{
    // Each node is emptied before it is deleted, so no destructor ever recurses.
    QList<VDLTopic *> pending = takeChildren();
    while (!pending.isEmpty()) {
        VDLTopic *const node = pending.takeLast();
        pending.append(node->takeChildren());
        delete node;
    }
}

QList<VDLTopic *> VDLTopic::takeChildren()
{
    m_childrenByName.clear();
    return std::exchange(m_subTopics, {});
}

QList<VDLTopic *> VDLTopic::filteredSubTopics() const
{
    const VOKTreeFilter *const filter = m_client ? m_client->treeFilter() : nullptr;
    if (!filter || !filter->predicate())
        return m_subTopics;
    QList<VDLTopic *> visible;
    for (VDLTopic *child : m_subTopics) {
        if (filter->isVisible(child))
            visible.append(child);
    }
    return visible;
}

QList<VDLMessagePtr> VDLTopic::messages() const
{
    return latestMessages(m_history.size());
}

QList<VDLMessagePtr> VDLTopic::latestMessages(qsizetype count) const
{
    QList<VDLMessagePtr> made;
    const qsizetype oldest = std::max<qsizetype>(0, m_history.size() - count);
    made.reserve(m_history.size() - oldest);
    for (qsizetype index = oldest; index < m_history.size(); ++index)
        made.append(messageAt(index));
    return made;
}

VDLMessagePtr VDLTopic::messageBefore(const VDLMessage &message) const
{
    const VDLMessagePtr latest = latestMessage();
    if (!latest || message.sequence() < 0 || message.topic() != latest->topic())
        return VDLMessagePtr();
    return messageAt(qsizetype(message.sequence() - qint64(m_history.droppedCount())) - 1);
}

VDLMessagePtr VDLTopic::messageAt(qsizetype index) const
{
    if (index < 0 || index >= m_history.size())
        return VDLMessagePtr();
    return index == m_history.size() - 1 ? latestMessage() : makeMessage(index);
}

VDLMessagePtr VDLTopic::latestMessage() const
{
    if (!m_latestMessage && !m_history.isEmpty())
        m_latestMessage = makeMessage(m_history.size() - 1);
    return m_latestMessage;
}

VDLMessagePtr VDLTopic::makeMessage(qsizetype index) const
{
    return std::make_shared<const VDLMessage>(path(), m_history.payloadAt(index), m_history.createdAt(index),
                                              m_history.qosAt(index), m_history.isRetainedAt(index),
                                              m_history.midAt(index), m_history.payloadTypeAt(index),
                                              qint64(m_history.droppedCount()) + index);
}

bool VDLTopic::latestIsRetained() const
{
    return !m_history.isEmpty() && m_history.isRetainedAt(m_history.size() - 1);
}

VDLTopicChanges *VDLTopic::pendingChanges() const
{
    return m_client ? m_client->pendingTopicChanges() : nullptr;
}

QString VDLTopic::messageSummary() const
{
    if (m_device) {
        // Symbols have no text: the plain form keeps the characters around them.
        if (const std::optional<VOKMarkup> &rendering = deviceRendering())
            return rendering->plainText().simplified();
    }
    return m_history.isEmpty() ? QString() : latestMessage()->summary();
}

std::optional<VOKMarkup> VDLTopic::attributedMessageSummary() const
{
    if (m_device) {
        if (const std::optional<VOKMarkup> &rendering = deviceRendering())
            return rendering;
    }
    const QString summary = messageSummary();
    if (summary.isNull())
        return std::nullopt;
    return VOKMarkup(vokEscapedForMarkup(summary));
}

const std::optional<VOKMarkup> &VDLTopic::deviceRendering() const
{
    // The rendering looks its sources up below this node, which finding never changes.
    return m_device->rendering(*const_cast<VDLTopic *>(this));
}

void VDLTopic::setClient(VDLClient *client)
{
    const VDLTreeChange change(client);
    QList<VDLTopic *> pending{this};
    while (!pending.isEmpty()) {
        VDLTopic *const node = pending.takeLast();
        if (node->m_client != client) {
            node->m_client = client;
            Q_EMIT node->clientChanged();
            if (VDLTopicChanges *const changes = node->pendingChanges())
                changes->noteDisplayChanged(node);
        }
        pending.append(node->m_subTopics);
    }
}

QString VDLTopic::path() const
{
    if (!m_parent)
        return QString();
    QList<const QString *> names;
    qsizetype length = 0;
    for (const VDLTopic *node = this; node->m_parent; node = node->m_parent) {
        names.append(&node->m_name);
        length += node->m_name.size() + 1;
    }
    QString path;
    path.reserve(length);
    for (auto name = names.crbegin(); name != names.crend(); ++name) {
        if (name != names.crbegin())
            path.append(QLatin1Char('/'));
        path.append(**name);
    }
    return path;
}

QString VDLTopic::urlS() const
{
    return m_client ? m_client->urlForTopic(path()) : QString();
}

QUrl VDLTopic::latestMessageAsUrl() const
{
    const VDLMessagePtr latest = latestMessage();
    if (!latest || !m_client)
        return QUrl();
    return latest->pm().urlWithHost(m_client->host(), m_client->port());
}

QString VDLTopic::displayName() const
{
    if (m_parent)
        return m_name;
    return m_client ? m_client->hostUrl() : QString();
}

VOKMarkup VDLTopic::infoString() const
{
    return VOKMarkup(QStringLiteral("[s:list.bullet.indent]%1 [s:list.bullet]%2").arg(m_totalTopics).arg(m_totalMessages));
}

std::optional<VOKMarkup> VDLTopic::isRetainedDisplay() const
{
    if (m_totalTopics != 1 || m_totalRetainedTopics != 1)
        return std::nullopt;
    return VOKMarkup(QStringLiteral("%1[s:r.square]").arg(isLeaf() ? QString() : QStringLiteral("[c:Gray]")));
}

std::optional<VOKMarkup> VDLTopic::attributedContent() const
{
    const VDLMessagePtr latest = latestMessage();
    return latest ? latest->attributedContent() : std::nullopt;
}

QString VDLTopic::rawContent() const
{
    const VDLMessagePtr latest = latestMessage();
    return latest ? latest->rawContent() : QString();
}

QList<VDLTopic *> VDLTopic::ancestors() const
{
    QList<VDLTopic *> list;
    for (VDLTopic *node = m_parent; node; node = node->m_parent)
        list.append(node);
    std::reverse(list.begin(), list.end());
    return list;
}

QSet<VDLTopic *> VDLTopic::recursiveTopics()
{
    QSet<VDLTopic *> topics;
    QList<VDLTopic *> pending{this};
    while (!pending.isEmpty()) {
        VDLTopic *const node = pending.takeLast();
        if (!node->m_history.isEmpty())
            topics.insert(node);
        pending.append(node->m_subTopics);
    }
    return topics;
}

QString VDLTopic::description() const
{
    return QStringLiteral("%1  %2").arg(vokObjectDescription("VDLTopic", this), vokDescriptionText(path()));
}

// MARK: - Growth

VDLTopic *VDLTopic::subtopicNamed(QStringView name, bool createIfNeeded)
{
    if (name == u"+")
        return nullptr;
    if (VDLTopic *const child = m_childrenByName.value(name))
        return child;
    if (!createIfNeeded)
        return nullptr;
    const VDLTreeChange change(m_client);
    auto child = std::make_unique<VDLTopic>(this, name.toString());
    VDLTopic *const created = child.release();
    m_subTopics.append(created);
    m_childrenByName.insert(QStringView(created->m_name), created);
    Q_EMIT subTopicsChanged();
    Q_EMIT isRetainedDisplayChanged();
    if (VDLTopicChanges *const changes = pendingChanges()) {
        changes->noteChildAdded(this);
        changes->noteDisplayChanged(this);
    }
    // A new node carries no data yet, so the totals above stay as they are.
    evaluateDeviceRecognitionUpward();
    return created;
}

VDLTopic *VDLTopic::topicAtRelativePath(const QString &relativePath)
{
    VDLTopic *node = this;
    VDLTopicLevels levels(relativePath);
    QStringView level;
    while (node && levels.next(level)) {
        if (!level.isEmpty())
            node = node->subtopicNamed(level, false);
    }
    return node;
}

void VDLTopic::addMessage(const VDLMessagePtr &message)
{
    if (!message) {
        VOK_ERROR(QStringLiteral("addMessages: called with nil message!"));
        return;
    }
    addMessage(message->createdMSecsSinceEpoch(), message->data(), message->qos(), message->isRetained(),
               message->mid());
}

void VDLTopic::addMessage(qint64 createdMSecs, const QByteArray &payload, int qos, bool retained, int mid)
{
    const VDLTreeChange change(m_client);
    const bool hadMessages = !m_history.isEmpty();
    const bool wasRetained = latestIsRetained();
    const qint64 grown = m_history.append(createdMSecs, payload, qos, retained, mid);
    m_latestMessage.reset();
    if (m_client)
        m_client->historyGrew(grown);
    Q_EMIT messagesChanged();
    applyTotalsChange({1, hadMessages ? 0 : 1, qint64(retained) - qint64(wasRetained)});
    recomputeMessageSummary();
    if (m_isDeviceProperty && m_parent)
        m_parent->devicePropertyChanged();
}

qint64 VDLTopic::dropOldestMessages(qsizetype count)
{
    const quint64 droppedBefore = m_history.droppedCount();
    const qint64 change = m_history.dropOldest(count);
    if (m_history.droppedCount() != droppedBefore)
        Q_EMIT messagesChanged();
    return change;
}

void VDLTopic::recomputeMessageSummary()
{
    // Computed when read: most summaries of a busy broker are never shown.
    const VDLTreeChange change(m_client);
    if (m_device)
        m_device->forgetRendering();
    Q_EMIT messageSummaryChanged();
    if (VDLTopicChanges *const changes = pendingChanges())
        changes->noteDisplayChanged(this);
}

// MARK: - Device recognition

const VDLRepresentedDevice *VDLTopic::representedDevice() const
{
    return m_device ? m_device->definition() : nullptr;
}

QList<VDLTopic *> VDLTopic::deviceSources() const
{
    return m_device ? m_device->sources() : QList<VDLTopic *>();
}

void VDLTopic::evaluateDeviceRecognitionUpward()
{
    int remaining = VDLRepresentedDevice::maxMatchDepth();
    for (VDLTopic *node = this; node && remaining > 0; node = node->m_parent, --remaining)
        node->evaluateDeviceRecognition();
}

void VDLTopic::evaluateDeviceRecognition()
{
    std::unique_ptr<VDLDeviceRecognition> recognised = VDLDeviceRecognition::recognise(*this);
    if (!recognised && !m_device)
        return;
    if (recognised && m_device && recognised->isSameAs(*m_device))
        return;
    if (m_device)
        m_device->markSources(false);
    m_device = std::move(recognised);
    if (m_device)
        m_device->markSources(true);
    recomputeMessageSummary();
}

void VDLTopic::devicePropertyChanged()
{
    for (VDLTopic *node = this; node; node = node->m_parent) {
        if (node->m_device) {
            node->recomputeMessageSummary();
            return;
        }
    }
}

void VDLTopic::setDeviceProperty(bool isDeviceProperty)
{
    if (m_isDeviceProperty == isDeviceProperty)
        return;
    m_isDeviceProperty = isDeviceProperty;
    Q_EMIT isDevicePropertyChanged();
}

// MARK: - Totals

void VDLTopic::applyTotalsChange(const TotalsChange &change)
{
    if (change.isZero())
        return;
    for (VDLTopic *node = this; node; node = node->m_parent) {
        node->m_totalMessages += change.messages;
        node->m_totalTopics += change.topics;
        node->m_totalRetainedTopics += change.retained;
    }
    for (VDLTopic *node = this; node; node = node->m_parent)
        node->announceTotalsChange(change);
}

void VDLTopic::announceTotalsChange(const TotalsChange &change)
{
    if (change.messages != 0)
        Q_EMIT totalMessagesChanged();
    if (change.topics != 0)
        Q_EMIT totalTopicsChanged();
    if (change.retained != 0)
        Q_EMIT totalRetainedTopicsChanged();
    if (change.messages != 0 || change.topics != 0)
        Q_EMIT infoStringChanged();
    if (change.topics != 0 || change.retained != 0)
        Q_EMIT isRetainedDisplayChanged();
    if (VDLTopicChanges *const changes = pendingChanges())
        changes->noteCountsChanged(this);
}

// MARK: - Deletion

void VDLTopic::recursiveDelete()
{
    if (m_client)
        m_client->deleteTopics({this});
    else
        removeSubtree();
}

void VDLTopic::removeSubtree()
{
    const VDLTreeChange change(m_client);
    for (VDLTopic *const node : subtreeChildrenFirst()) {
        if (node->m_parent)
            node->m_parent->removeSubTopic(node);
    }
}

QList<VDLTopic *> VDLTopic::subtreeChildrenFirst()
{
    struct Frame
    {
        VDLTopic *node;
        qsizetype next = 0;
    };
    QList<VDLTopic *> nodes;
    std::vector<Frame> stack{{this}};
    while (!stack.empty()) {
        Frame &frame = stack.back();
        if (frame.next < frame.node->m_subTopics.size()) {
            stack.push_back({frame.node->m_subTopics[frame.next++]});
            continue;
        }
        nodes.append(frame.node);
        stack.pop_back();
    }
    return nodes;
}

void VDLTopic::removeSubTopic(VDLTopic *child)
{
    const qsizetype index = m_subTopics.indexOf(child);
    if (index < 0)
        return;
    const VDLTreeChange change(m_client);
    m_subTopics.removeAt(index);
    m_childrenByName.remove(QStringView(child->m_name));
    Q_EMIT subTopicsChanged();
    Q_EMIT isRetainedDisplayChanged();
    if (VDLTopicChanges *const changes = pendingChanges()) {
        changes->noteChildRemoved(this, child, index);
        changes->noteDisplayChanged(this);
    }
    applyTotalsChange({-qint64(child->m_totalMessages), -qint64(child->m_totalTopics),
                       -qint64(child->m_totalRetainedTopics)});
    evaluateDeviceRecognitionUpward();
    child->deleteLater();
}

// MARK: - Traversal

QList<VDLTopic *> VDLTopic::sortedChildren(const QList<VOKSortDescriptor> &order) const
{
    if (order.isEmpty())
        return m_subTopics;
    // Each key is read once per child, not once per comparison; the values are then compared
    // by key-less copies of the descriptors.
    std::vector<QVariantList> keys(m_subTopics.size());
    for (qsizetype index = 0; index < m_subTopics.size(); ++index) {
        for (const VOKSortDescriptor &descriptor : order)
            keys[index].append(vokSafeValueForKeyPath(m_subTopics[index], descriptor.key(), false));
    }
    QList<VOKSortDescriptor> comparisons;
    for (const VOKSortDescriptor &descriptor : order)
        comparisons.append(VOKSortDescriptor(QString(), descriptor.ascending(), descriptor.selector()));
    std::vector<qsizetype> indexes(m_subTopics.size());
    std::iota(indexes.begin(), indexes.end(), 0);
    vokMergeSort(indexes, [&](qsizetype left, qsizetype right) {
        for (qsizetype key = 0; key < comparisons.size(); ++key) {
            const int result = comparisons[key].compare(keys[left][key], keys[right][key]);
            if (result != 0)
                return result < 0;
        }
        return false;
    });
    QList<VDLTopic *> sorted;
    sorted.reserve(m_subTopics.size());
    for (const qsizetype index : indexes)
        sorted.append(m_subTopics[index]);
    return sorted;
}

void VDLTopic::flattenInto(QList<VDLTopic *> &list, const QList<VOKSortDescriptor> &order)
{
    QList<VDLTopic *> pending{this};
    while (!pending.isEmpty()) {
        VDLTopic *const node = pending.takeLast();
        list.append(node);
        const QList<VDLTopic *> children = node->sortedChildren(order);
        for (auto child = children.crbegin(); child != children.crend(); ++child)
            pending.append(*child);
    }
}

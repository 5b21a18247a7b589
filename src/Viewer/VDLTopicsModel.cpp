#include "VDLTopicsModel.h"

#include "VDLClient.h"
#include "VDLSummaryCell.h"
#include "VDLTopic.h"
#include "VOKMarkupParser.h"
#include "VOKTreeFilter.h"

namespace {

// Above this many rows of one parent to re-sort, one layout change is cheaper than moves.
constexpr qsizetype MaxMovesPerParent = 8;
// Moves that leave rows out of order (a comparator that is not consistent) end in a sort.
constexpr int MaxMoveRounds = 2;

// The styled cell of the model's markup, for single-line cells.
QVariant attributed(const std::optional<VOKMarkup> &markup)
{
    return markup ? QVariant::fromValue(vokAttributedString(markup->markup())) : QVariant();
}

// A device keeps its rendering; a message's summary is followed by its payload's preview.
QVariant summaryData(const VDLTopic &topic, int role)
{
    const VDLMessagePtr latest = topic.representedDevice() ? VDLMessagePtr() : topic.latestMessage();
    if (role == Qt::DisplayRole)
        return latest ? VDLSummaryCell::displayText(*latest) : topic.messageSummary();
    if (role == VDLTopicsModel::AttributedRole)
        return latest ? QVariant::fromValue(VDLSummaryCell::styled(*latest)) : attributed(topic.attributedMessageSummary());
    if (role == Qt::ToolTipRole && latest)
        return VDLSummaryCell::toolTip(*latest);
    return QVariant();
}

} // namespace

VDLTopicsModel::VDLTopicsModel(QObject *parent)
    : QAbstractItemModel(parent)
{
    // Counts and summaries of a busy broker change thousands of times a second; showing them
    // twenty times a second looks just as live and leaves the GUI thread to the user.
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(FlushMilliseconds);
    connect(&m_flushTimer, &QTimer::timeout, this, &VDLTopicsModel::flushPendingChanges);
}

VDLTopicsModel::~VDLTopicsModel() = default;

void VDLTopicsModel::setRootTopic(VDLTopic *root)
{
    beginResetModel();
    if (m_root)
        m_root->disconnect(this);
    forgetTree();
    m_root = root;
    if (root) {
        connect(root, &QObject::destroyed, this, [this] {
            beginResetModel();
            forgetTree();
            endResetModel();
        });
        connect(root, &VDLTopic::clientChanged, this, &VDLTopicsModel::rootClientChanged);
        follow(root->client());
        showSubtree(root);
    }
    endResetModel();
}

void VDLTopicsModel::follow(VDLClient *client)
{
    QObject::disconnect(m_clientConnection);
    if (client)
        m_clientConnection = connect(client, &VDLClient::topicsChanged, this, &VDLTopicsModel::applyChanges);
}

// Every node takes the root's client with it, and the client is shown in every row.
void VDLTopicsModel::rootClientChanged()
{
    follow(m_root->client());
    for (auto entry = m_entries.cbegin(); entry != m_entries.cend(); ++entry)
        cellsChanged(const_cast<VDLTopic *>(entry.key()));
}

void VDLTopicsModel::forgetTree()
{
    QObject::disconnect(m_clientConnection);
    m_root = nullptr;
    ++m_revision;
    m_entries.clear();
    m_hiddenOrder.clear();
    m_changedRows.clear();
    m_unsortedRows.clear();
    m_flushTimer.stop();
}

void VDLTopicsModel::setComparator(const VDLTopicComparator &comparator)
{
    flushPendingChanges();
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    m_comparator = comparator;
    ++m_revision;
    m_hiddenOrder.clear();
    const QList<const VDLTopic *> shown = m_entries.keys();
    for (const VDLTopic *topic : shown) {
        VDLTopic *const parent = const_cast<VDLTopic *>(topic);
        replaceRows(parent, childrenToShow(parent));
    }
    remapPersistentIndexes();
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// MARK: - Lookups

VDLTopic *VDLTopicsModel::topicAt(const QModelIndex &index)
{
    return static_cast<VDLTopic *>(index.internalPointer());
}

const VOKTreeFilter *VDLTopicsModel::treeFilter() const
{
    const VDLClient *const client = m_root ? m_root->client() : nullptr;
    return client ? client->treeFilter() : nullptr;
}

bool VDLTopicsModel::isShown(const VDLTopic *child) const
{
    const VOKTreeFilter *const filter = treeFilter();
    return !filter || filter->isVisible(child);
}

QList<VDLTopic *> VDLTopicsModel::childrenToShow(VDLTopic *topic) const
{
    QList<VDLTopic *> children = topic->filteredSubTopics();
    m_comparator.sort(children);
    return children;
}

QList<VDLTopic *> VDLTopicsModel::childrenInOrder(VDLTopic *topic) const
{
    const auto entry = m_entries.constFind(topic);
    const qsizetype count = topic->subTopics().size();
    if (entry != m_entries.cend() && entry->rows.size() == count && entry->knownChildren == count)
        return entry->rows;
    // Sorting every parent's hidden children again would dominate a search of a filtered tree:
    // the order is kept, and children that arrived since are sorted in.
    HiddenOrder &order = m_hiddenOrder[topic];
    const QList<VDLTopic *> &children = topic->subTopics();
    for (qsizetype index = order.knownChildren; index < count; ++index)
        order.children.insert(m_comparator.insertionPosition(order.children, children[index]), children[index]);
    order.knownChildren = count;
    return order.children;
}

qsizetype VDLTopicsModel::rowOf(const VDLTopic *topic) const
{
    const VDLTopic *const parent = topic->parentTopic();
    if (!parent)
        return 0;
    const auto entry = m_entries.constFind(topic);
    const auto parentEntry = m_entries.constFind(parent);
    if (entry == m_entries.cend() || parentEntry == m_entries.cend())
        return -1;
    const QList<VDLTopic *> &rows = parentEntry->rows;
    qsizetype &hint = entry->rowHint;
    if (rows.value(hint) == topic)
        return hint;
    // A sibling inserted or removed before the row moves it by one: look there before searching.
    for (const qsizetype near : {hint + 1, hint - 1}) {
        if (rows.value(near) == topic)
            return hint = near;
    }
    return hint = rows.indexOf(topic);
}

QModelIndex VDLTopicsModel::indexOfTopic(const VDLTopic *topic, int column) const
{
    if (!topic || !m_entries.contains(topic) || column < 0 || column >= ColumnCount)
        return QModelIndex();
    const qsizetype row = rowOf(topic);
    return row < 0 ? QModelIndex() : createIndex(int(row), column, const_cast<VDLTopic *>(topic));
}

qsizetype VDLTopicsModel::sortedPosition(const QList<VDLTopic *> &rows, const VDLTopic *topic, qsizetype skip,
                                         const QSet<VDLTopic *> &holes) const
{
    if (m_comparator.order() > 3)
        return rows.size();
    const auto isHole = [&](qsizetype position) {
        return position == skip || holes.contains(rows[position]);
    };
    // Upper bound among the rows that are in order; a probe landing on a hole moves to the next
    // row that is not one.
    qsizetype low = 0;
    qsizetype high = rows.size();
    while (low < high) {
        const qsizetype middle = low + (high - low) / 2;
        qsizetype probe = middle;
        while (probe < high && isHole(probe))
            ++probe;
        if (probe == high || m_comparator.lessThan(topic, rows[probe]))
            high = middle;
        else
            low = probe + 1;
    }
    return low;
}

bool VDLTopicsModel::isInOrderWithNeighbours(const QList<VDLTopic *> &rows, qsizetype position) const
{
    return (position == 0 || !m_comparator.lessThan(rows[position], rows[position - 1]))
        && (position + 1 == rows.size() || !m_comparator.lessThan(rows[position + 1], rows[position]));
}

// MARK: - Model interface

QModelIndex VDLTopicsModel::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || column < 0 || column >= ColumnCount)
        return QModelIndex();
    if (!parent.isValid())
        return row == 0 && m_root ? createIndex(0, column, m_root.data()) : QModelIndex();
    if (parent.column() != NameColumn)
        return QModelIndex();
    const auto entry = m_entries.constFind(topicAt(parent));
    if (entry == m_entries.cend() || row >= entry->rows.size())
        return QModelIndex();
    return createIndex(row, column, entry->rows[row]);
}

QModelIndex VDLTopicsModel::parent(const QModelIndex &child) const
{
    const VDLTopic *const topic = topicAt(child);
    return topic ? indexOfTopic(topic->parentTopic()) : QModelIndex();
}

int VDLTopicsModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return m_root ? 1 : 0;
    if (parent.column() != NameColumn)
        return 0;
    const auto entry = m_entries.constFind(topicAt(parent));
    return entry == m_entries.cend() ? 0 : int(entry->rows.size());
}

int VDLTopicsModel::columnCount(const QModelIndex &) const
{
    return ColumnCount;
}

Qt::ItemFlags VDLTopicsModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QVariant VDLTopicsModel::data(const QModelIndex &index, int role) const
{
    const VDLTopic *const topic = topicAt(index);
    if (!topic)
        return QVariant();
    if (role == TopicRole)
        return QVariant::fromValue(const_cast<VDLTopic *>(topic));
    switch (index.column()) {
    case NameColumn:
        return role == Qt::DisplayRole ? topic->displayName() : QVariant();
    case InfoColumn:
        if (role == Qt::DisplayRole)
            return topic->infoString().plainText().simplified();
        return role == AttributedRole ? attributed(topic->infoString()) : QVariant();
    case RetainedColumn:
        if (role == Qt::DisplayRole)
            return topic->isRetainedDisplay() ? tr("retained") : QVariant();
        return role == AttributedRole ? attributed(topic->isRetainedDisplay()) : QVariant();
    case SummaryColumn:
        if (role == Qt::TextAlignmentRole) {
            const VDLMessagePtr latest = topic->latestMessage();
            const bool right = latest && latest->summaryAlignment() == VDLMessage::RightAlignment;
            return int(Qt::AlignVCenter | (right ? Qt::AlignRight : Qt::AlignLeft));
        }
        return summaryData(*topic, role);
    default:
        return QVariant();
    }
}

QVariant VDLTopicsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QVariant();
    if (role == Qt::DisplayRole) {
        switch (section) {
        case NameColumn:
            return tr("Topic");
        case InfoColumn:
            return tr("Topics / Messages");
        case RetainedColumn:
            return tr("R");
        case SummaryColumn:
            return tr("Value");
        default:
            return QVariant();
        }
    }
    if (role == Qt::ToolTipRole && section == RetainedColumn)
        return tr("Retained");
    return QVariant();
}

// MARK: - Following the tree

void VDLTopicsModel::showSubtree(VDLTopic *top)
{
    QList<VDLTopic *> pending{top};
    while (!pending.isEmpty()) {
        VDLTopic *const topic = pending.takeLast();
        Entry &entry = m_entries[topic];
        entry.rows = childrenToShow(topic);
        entry.knownChildren = topic->subTopics().size();
        pending.append(entry.rows);
    }
}

void VDLTopicsModel::forgetSubtree(VDLTopic *top)
{
    QList<VDLTopic *> pending{top};
    while (!pending.isEmpty()) {
        VDLTopic *const topic = pending.takeLast();
        const auto entry = m_entries.constFind(topic);
        if (entry == m_entries.cend())
            continue;
        pending.append(entry->rows);
        m_entries.erase(entry);
        m_changedRows.remove(topic);
        m_unsortedRows.remove(topic);
    }
}

// Shows new rows under a parent: subtrees that appear are followed from now on and those that
// go are forgotten. The caller brackets it with the layout signals.
void VDLTopicsModel::replaceRows(VDLTopic *parent, const QList<VDLTopic *> &rows)
{
    Entry &entry = m_entries[parent];
    const QList<VDLTopic *> old = std::exchange(entry.rows, rows);
    const QSet<VDLTopic *> kept(rows.cbegin(), rows.cend());
    const QSet<VDLTopic *> before(old.cbegin(), old.cend());
    for (VDLTopic *child : old) {
        if (!kept.contains(child))
            forgetSubtree(child);
    }
    for (VDLTopic *child : rows) {
        if (!before.contains(child))
            showSubtree(child);
    }
}

void VDLTopicsModel::remapPersistentIndexes()
{
    const QModelIndexList old = persistentIndexList();
    QModelIndexList current;
    current.reserve(old.size());
    for (const QModelIndex &index : old)
        current.append(indexOfTopic(topicAt(index), index.column()));
    changePersistentIndexList(old, current);
}

void VDLTopicsModel::applyChanges(const VDLTopicChanges &changes)
{
    // Messages alone move no topic unless the order follows the counts.
    if (!changes.changedParents().isEmpty() || !changes.removals().isEmpty()
        || (m_comparator.dependsOnTotals() && !changes.countChanges().isEmpty()))
        ++m_revision;
    forgetHiddenOrder(changes);
    // Departures first, in the order they happened: the index of each counts against the children
    // known at that moment, which arrivals at the end leave as they are.
    for (const VDLTopicChanges::Removal &removal : changes.removals())
        childRemoved(removal);
    for (VDLTopic *parent : changes.changedParents())
        childrenAdded(parent);
    for (VDLTopic *parent : changes.filterChanges())
        filteredChildrenChanged(parent);
    // Only rows still shown: a removed topic is freed soon after the notice.
    for (VDLTopic *topic : changes.countChanges()) {
        if (m_entries.contains(topic))
            countsChanged(topic);
    }
    for (VDLTopic *topic : changes.displayChanges()) {
        if (m_entries.contains(topic))
            cellsChanged(topic);
    }
    Q_EMIT topicChangesApplied(changes);
}

void VDLTopicsModel::forgetHiddenOrder(const VDLTopicChanges &changes)
{
    if (m_hiddenOrder.isEmpty())
        return;
    // Arrivals are sorted in when asked for; a removed topic's address may come back for a new one.
    for (const VDLTopicChanges::Removal &removal : changes.removals()) {
        m_hiddenOrder.remove(removal.parent);
        m_hiddenOrder.remove(removal.topic);
    }
    if (m_comparator.dependsOnTotals()) {
        for (VDLTopic *topic : changes.countChanges())
            m_hiddenOrder.remove(topic->parentTopic());
    }
}

void VDLTopicsModel::childrenAdded(VDLTopic *parent)
{
    const auto found = m_entries.find(parent);
    if (found == m_entries.end())
        return;
    const QList<VDLTopic *> &children = parent->subTopics();
    const qsizetype known = std::exchange(found->knownChildren, children.size());
    const QModelIndex parentIndex = indexOfTopic(parent);
    for (qsizetype position = known; position < children.size(); ++position) {
        VDLTopic *const child = children[position];
        if (!isShown(child))
            continue;
        const int row = int(sortedPosition(m_entries[parent].rows, child, -1, m_unsortedRows));
        beginInsertRows(parentIndex, row, row);
        m_entries[parent].rows.insert(row, child);
        showSubtree(child);
        endInsertRows();
    }
}

void VDLTopicsModel::childRemoved(const VDLTopicChanges::Removal &removal)
{
    VDLTopic *const parent = removal.parent;
    VDLTopic *const child = removal.topic;
    const auto found = m_entries.find(parent);
    if (found == m_entries.end())
        return;
    // A child that arrived in the same batch was never known.
    if (removal.index < found->knownChildren)
        --found->knownChildren;
    const qsizetype row = rowOf(child);
    if (row < 0)
        return;
    beginRemoveRows(indexOfTopic(parent), int(row), int(row));
    m_entries[parent].rows.removeAt(row);
    forgetSubtree(child);
    endRemoveRows();
}

void VDLTopicsModel::filteredChildrenChanged(VDLTopic *parent)
{
    const auto found = m_entries.constFind(parent);
    if (found == m_entries.cend())
        return;
    const QList<VDLTopic *> rows = childrenToShow(parent);
    if (rows == found->rows)
        return;
    const QPersistentModelIndex parentIndex(indexOfTopic(parent));
    Q_EMIT layoutAboutToBeChanged({parentIndex}, QAbstractItemModel::VerticalSortHint);
    replaceRows(parent, rows);
    remapPersistentIndexes();
    Q_EMIT layoutChanged({parentIndex}, QAbstractItemModel::VerticalSortHint);
}

void VDLTopicsModel::cellsChanged(VDLTopic *topic)
{
    m_changedRows.insert(topic);
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void VDLTopicsModel::countsChanged(VDLTopic *topic)
{
    if (m_comparator.dependsOnTotals() && topic->parentTopic())
        m_unsortedRows.insert(topic);
    cellsChanged(topic);
}

// MARK: - Applying gathered changes

void VDLTopicsModel::flushPendingChanges()
{
    m_flushTimer.stop();
    QHash<VDLTopic *, QList<VDLTopic *>> movedByParent;
    for (VDLTopic *topic : std::exchange(m_unsortedRows, {}))
        movedByParent[topic->parentTopic()].append(topic);
    for (auto moved = movedByParent.cbegin(); moved != movedByParent.cend(); ++moved)
        resortChildren(moved.key(), moved.value());

    // One dataChanged per parent, spanning its changed rows: a tree view pays for every signal
    // with a walk of its visible rows, so their number matters more than their width.
    QHash<VDLTopic *, std::pair<qsizetype, qsizetype>> spans;
    for (VDLTopic *topic : std::exchange(m_changedRows, {})) {
        const qsizetype row = rowOf(topic);
        if (row < 0)
            continue;
        const auto found = spans.find(topic->parentTopic());
        if (found == spans.end())
            spans.insert(topic->parentTopic(), {row, row});
        else
            *found = {std::min(found->first, row), std::max(found->second, row)};
    }
    for (auto span = spans.cbegin(); span != spans.cend(); ++span) {
        const QModelIndex parentIndex = span.key() ? indexOfTopic(span.key()) : QModelIndex();
        Q_EMIT dataChanged(index(int(span->first), NameColumn, parentIndex),
                           index(int(span->second), ColumnCount - 1, parentIndex));
    }
}

void VDLTopicsModel::resortChildren(VDLTopic *parent, const QList<VDLTopic *> &moved)
{
    if (!m_entries.contains(parent))
        return;
    // Rows are in order exactly when every row is in order with its neighbours, and only a
    // changed row can be out of order with one. Most counts change without passing a
    // neighbour's, which two comparisons prove.
    for (int round = 0;; ++round) {
        QList<VDLTopic *> misplaced;
        for (VDLTopic *topic : moved) {
            const qsizetype row = rowOf(topic);
            if (row >= 0 && !isInOrderWithNeighbours(m_entries[parent].rows, row))
                misplaced.append(topic);
        }
        if (misplaced.isEmpty())
            return;
        if (misplaced.size() > MaxMovesPerParent || round == MaxMoveRounds) {
            sortRows(parent);
            return;
        }
        moveIntoPlace(parent, misplaced);
    }
}

void VDLTopicsModel::moveIntoPlace(VDLTopic *parent, const QList<VDLTopic *> &misplaced)
{
    const QModelIndex parentIndex = indexOfTopic(parent);
    // Rows still waiting are holes to the search until their own turn.
    QSet<VDLTopic *> holes(misplaced.cbegin(), misplaced.cend());
    for (VDLTopic *topic : misplaced) {
        holes.remove(topic);
        QList<VDLTopic *> &rows = m_entries[parent].rows;
        const qsizetype from = rowOf(topic);
        const qsizetype before = sortedPosition(rows, topic, from, holes);
        if (before == from || before == from + 1)
            continue;
        beginMoveRows(parentIndex, int(from), int(from), parentIndex, int(before));
        rows.move(from, before > from ? before - 1 : before);
        endMoveRows();
    }
}

void VDLTopicsModel::sortRows(VDLTopic *parent)
{
    const QPersistentModelIndex parentIndex(indexOfTopic(parent));
    Q_EMIT layoutAboutToBeChanged({parentIndex}, QAbstractItemModel::VerticalSortHint);
    // The same rows in a new order: which children are shown changes only with the filter.
    m_comparator.sort(m_entries[parent].rows);
    remapPersistentIndexes();
    Q_EMIT layoutChanged({parentIndex}, QAbstractItemModel::VerticalSortHint);
}

#pragma once

#include "VDLTopicChanges.h"
#include "VDLTopicComparator.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QTimer>

class VDLClient;
class VDLTopic;
class VOKTreeFilter;

// The live topic tree as an outline: the root is the single top row, and every row's children
// are the topic's children that the client's tree filter lets through, in the chosen order.
//
// Changes of the tree become incremental row signals: a new child is inserted at its sorted
// position (binary search), a removed one is removed, a parent whose filtered children changed
// gets a layout change of its own, and a new order re-sorts every level in one layout change.
// Cell changes and the moves they cause (a count that re-sorts a row) are gathered and applied
// together within FlushMilliseconds, or at once by flushPendingChanges(), so a burst of
// messages costs a few hash insertions per message and one dataChanged per touched row; the
// whole model is never reset for a message. Persistent indexes (selection, expansion) follow
// their topics through all of this.
//
// The model learns of changes from the change notices of the root's client (one per batch, see
// VDLClient::topicsChanged), not from the topics one by one: it keeps what it shows of every
// topic the filter lets through, because a row whose children a view has never asked for still
// has to announce its first child. It follows whichever client the root has.
// Ownership: the topics belong to their client; the model follows the root until it is replaced
// or destroyed. GUI thread.
class VDLTopicsModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Column { NameColumn, InfoColumn, RetainedColumn, SummaryColumn, ColumnCount };
    enum Role {
        // The styled value of the cell as a VOKAttributedString; none for plain cells.
        AttributedRole = Qt::UserRole + 1,
        // The row's VDLTopic.
        TopicRole,
    };

    // How long cell changes are gathered before they are shown.
    static constexpr int FlushMilliseconds = 50;

    explicit VDLTopicsModel(QObject *parent = nullptr);
    ~VDLTopicsModel() override;

    VDLTopic *rootTopic() const { return m_root; }
    // Shows another tree (a reset); null shows nothing.
    void setRootTopic(VDLTopic *root);
    const VDLTopicComparator &comparator() const { return m_comparator; }
    void setComparator(const VDLTopicComparator &comparator);

    // The topic of an index of this model; null for the invalid index.
    static VDLTopic *topicAt(const QModelIndex &index);
    // The index of the topic's row; invalid when the topic is not shown.
    QModelIndex indexOfTopic(const VDLTopic *topic, int column = NameColumn) const;
    // The topic's children in the order shown, those the filter hides sorted in among them: the
    // rows themselves when none is hidden.
    QList<VDLTopic *> childrenInOrder(VDLTopic *topic) const;
    // Applies the gathered cell changes and re-sorts now.
    void flushPendingChanges();
    // Moves on whenever the topics childrenInOrder() gives, or their order, may have changed: a
    // new tree, a new order, topics that come or go, counts that move topics in an order by
    // counts. Equal revisions mean the same topics in the same order, with the same devices
    // (recognition follows the tree's shape).
    quint64 revision() const { return m_revision; }

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

Q_SIGNALS:
    // A change notice has been turned into rows: topics it added can be looked up now. The notice
    // is valid only during the call (removed topics are freed soon after).
    void topicChangesApplied(const VDLTopicChanges &changes);

private:
    // What the model knows of one shown topic.
    struct Entry
    {
        // The children shown, in order.
        QList<VDLTopic *> rows;
        // How many of the topic's children (shown or not) have been seen: they lead its list,
        // as children only ever arrive at the end.
        qsizetype knownChildren = 0;
        // Where the topic last was among its parent's rows; checked before use.
        mutable qsizetype rowHint = 0;
    };

    const VOKTreeFilter *treeFilter() const;
    bool isShown(const VDLTopic *child) const;
    QList<VDLTopic *> childrenToShow(VDLTopic *topic) const;
    qsizetype rowOf(const VDLTopic *topic) const;
    // The position before which the topic belongs among the rows, not counting the row at skip
    // nor the holes (rows out of order themselves).
    qsizetype sortedPosition(const QList<VDLTopic *> &rows, const VDLTopic *topic, qsizetype skip,
                             const QSet<VDLTopic *> &holes) const;
    bool isInOrderWithNeighbours(const QList<VDLTopic *> &rows, qsizetype position) const;

    void forgetTree();
    void follow(VDLClient *client);
    void rootClientChanged();
    void showSubtree(VDLTopic *top);
    void forgetSubtree(VDLTopic *top);
    void replaceRows(VDLTopic *parent, const QList<VDLTopic *> &rows);
    void remapPersistentIndexes();

    void applyChanges(const VDLTopicChanges &changes);
    void forgetHiddenOrder(const VDLTopicChanges &changes);
    void childrenAdded(VDLTopic *parent);
    void childRemoved(const VDLTopicChanges::Removal &removal);
    void filteredChildrenChanged(VDLTopic *parent);
    void cellsChanged(VDLTopic *topic);
    void countsChanged(VDLTopic *topic);
    void resortChildren(VDLTopic *parent, const QList<VDLTopic *> &moved);
    void moveIntoPlace(VDLTopic *parent, const QList<VDLTopic *> &misplaced);
    void sortRows(VDLTopic *parent);

    QPointer<VDLTopic> m_root;
    QMetaObject::Connection m_clientConnection;
    VDLTopicComparator m_comparator;
    QHash<const VDLTopic *, Entry> m_entries;
    QSet<VDLTopic *> m_changedRows;
    QSet<VDLTopic *> m_unsortedRows;
    quint64 m_revision = 1;
    // All children in order, for topics some of whose children are hidden; kept until a child
    // leaves or the order changes.
    struct HiddenOrder
    {
        QList<VDLTopic *> children;
        // Children arrive at the end of the topic's list: those past this count are new.
        qsizetype knownChildren = 0;
    };
    mutable QHash<const VDLTopic *, HiddenOrder> m_hiddenOrder;
    QTimer m_flushTimer;
};

#pragma once

#include <QList>
#include <QSet>

class VDLTopic;

// What one batch of work changed in a topic tree: filing a slice of the inbox, releasing a pause,
// deleting topics, filtering the tree again, giving the tree a client. The client announces it
// once, when the batch ends.
//
// Topics are named by pointer. A removed topic is deleted later by the event loop, so a notice
// must be used while it is being announced and never kept past that.
// Ownership: the topics belong to their tree. Threads: the GUI thread only.
class VDLTopicChanges
{
public:
    // A topic taken out of the tree, and where it was: its index among the children its parent
    // had just before it left.
    struct Removal
    {
        VDLTopic *topic = nullptr;
        VDLTopic *parent = nullptr;
        qsizetype index = 0;
    };

    bool isEmpty() const;

    void noteChildAdded(VDLTopic *parent);
    void noteChildRemoved(VDLTopic *parent, VDLTopic *child, qsizetype index);
    void noteCountsChanged(VDLTopic *topic);
    void noteDisplayChanged(VDLTopic *topic);
    void noteFilteredChildrenChanged(VDLTopic *parent);

    // Topics that gained or lost children, each once, in the order first noted (a parent before
    // the children it gained).
    const QList<VDLTopic *> &changedParents() const { return m_changedParents.list; }
    // In the order they left: a subtree leaves children first.
    const QList<Removal> &removals() const { return m_removals; }
    // Topics whose totals changed (which may move them in a count order).
    const QSet<VDLTopic *> &countChanges() const { return m_countChanges; }
    // Topics whose summary, retained display or client changed.
    const QSet<VDLTopic *> &displayChanges() const { return m_displayChanges; }
    // Parents whose children that pass the tree filter changed, each once.
    const QList<VDLTopic *> &filterChanges() const { return m_filterChanges.list; }

private:
    // Each topic once, in the order first noted.
    struct OrderedTopics
    {
        QList<VDLTopic *> list;
        QSet<VDLTopic *> members;
        void insert(VDLTopic *topic);
    };

    OrderedTopics m_changedParents;
    QList<Removal> m_removals;
    QSet<VDLTopic *> m_countChanges;
    QSet<VDLTopic *> m_displayChanges;
    OrderedTopics m_filterChanges;
};

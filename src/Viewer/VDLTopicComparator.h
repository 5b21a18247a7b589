#pragma once

#include "VOKSortDescriptor.h"

#include <QList>

class VDLTopic;

// The order in which sibling topics are shown, chosen by number: 0 by name (trailing numbers
// compared as numbers), 1 by creation time, 2 most sub-topics first, 3 most messages first; any
// other number keeps the order of arrival. Orders 0-3 break remaining ties by the exact name, so
// siblings (whose names differ) never compare equal and every sort is deterministic.
//
// The name comparison is not a strict weak ordering for some mixes of case and digits ("a9" <
// "a10" < "A9" < "a9"), so callers only use algorithms that stay memory-safe and terminate
// whatever the comparator answers: merge sorting and binary search. A plain value; GUI thread
// (it reads live topics).
class VDLTopicComparator
{
public:
    explicit VDLTopicComparator(quint64 order = 0) : m_order(order) {}

    quint64 order() const { return m_order; }
    // -1, 0 or 1.
    int compare(const VDLTopic *left, const VDLTopic *right) const;
    bool lessThan(const VDLTopic *left, const VDLTopic *right) const { return compare(left, right) < 0; }
    // True when a topic's place can change with its counts.
    bool dependsOnTotals() const { return m_order == 2 || m_order == 3; }
    // Stable: equal topics keep their relative order.
    void sort(QList<VDLTopic *> &topics) const;
    // The first position at which the topic could be inserted after every topic that does not
    // sort after it.
    qsizetype insertionPosition(const QList<VDLTopic *> &topics, const VDLTopic *topic) const;

    // The same order as descriptors for VDLTopic::flattenInto, ties broken exactly like the
    // comparison above, so a flattened tree lists siblings as the outline shows them; none for
    // the order of arrival.
    QList<VOKSortDescriptor> sortDescriptors() const;

private:
    quint64 m_order;
};

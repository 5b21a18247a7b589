#include "VDLTopicComparator.h"

#include "VDLTopic.h"
#include "VOKMergeSort.h"
#include "VOKString.h"

#include <algorithm>

namespace {

int compareCounts(quint64 left, quint64 right)
{
    // The larger count first.
    return (left < right) - (left > right);
}

int compareNames(const VDLTopic *left, const VDLTopic *right)
{
    const int order = vokCaseInsensitiveCompareWithTrailingNumber(left->name(), right->name());
    if (order != 0)
        return order;
    const int exact = QString::compare(left->name(), right->name(), Qt::CaseSensitive);
    return (exact > 0) - (exact < 0);
}

} // namespace

int VDLTopicComparator::compare(const VDLTopic *left, const VDLTopic *right) const
{
    switch (m_order) {
    case 0:
        return compareNames(left, right);
    case 1: {
        const qint64 leftCreated = left->createdMSecsSinceEpoch();
        const qint64 rightCreated = right->createdMSecsSinceEpoch();
        if (leftCreated != rightCreated)
            return leftCreated < rightCreated ? -1 : 1;
        return compareNames(left, right);
    }
    case 2:
        if (const int order = compareCounts(left->totalTopics(), right->totalTopics()))
            return order;
        return compareNames(left, right);
    case 3:
        if (const int order = compareCounts(left->totalMessages(), right->totalMessages()))
            return order;
        return compareNames(left, right);
    default:
        return 0;
    }
}

void VDLTopicComparator::sort(QList<VDLTopic *> &topics) const
{
    if (m_order > 3)
        return;
    vokMergeSort(topics, [this](const VDLTopic *left, const VDLTopic *right) { return lessThan(left, right); });
}

qsizetype VDLTopicComparator::insertionPosition(const QList<VDLTopic *> &topics, const VDLTopic *topic) const
{
    const auto position = std::upper_bound(topics.cbegin(), topics.cend(), topic,
                                           [this](const VDLTopic *left, const VDLTopic *right) {
                                               return lessThan(left, right);
                                           });
    return position - topics.cbegin();
}

QList<VOKSortDescriptor> VDLTopicComparator::sortDescriptors() const
{
    // The name, then the exact name for names equal but for case, as compareNames does.
    const QList<VOKSortDescriptor> byName{
        VOKSortDescriptor(QStringLiteral("name"), true, QStringLiteral("vokCaseInsensitiveCompareWithTrailingNumber:")),
        VOKSortDescriptor(QStringLiteral("name"), true)};
    switch (m_order) {
    case 0:
        return byName;
    case 1:
        return QList<VOKSortDescriptor>{VOKSortDescriptor(QStringLiteral("created"), true)} + byName;
    case 2:
        return QList<VOKSortDescriptor>{VOKSortDescriptor(QStringLiteral("totalTopics"), false)} + byName;
    case 3:
        return QList<VOKSortDescriptor>{VOKSortDescriptor(QStringLiteral("totalMessages"), false)} + byName;
    default:
        return {};
    }
}

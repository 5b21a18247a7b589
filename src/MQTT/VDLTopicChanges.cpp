#include "VDLTopicChanges.h"

void VDLTopicChanges::OrderedTopics::insert(VDLTopic *topic)
{
    if (!members.contains(topic)) {
        members.insert(topic);
        list.append(topic);
    }
}

bool VDLTopicChanges::isEmpty() const
{
    return m_changedParents.list.isEmpty() && m_countChanges.isEmpty() && m_displayChanges.isEmpty()
        && m_filterChanges.list.isEmpty();
}

void VDLTopicChanges::noteChildAdded(VDLTopic *parent)
{
    m_changedParents.insert(parent);
}

void VDLTopicChanges::noteChildRemoved(VDLTopic *parent, VDLTopic *child, qsizetype index)
{
    m_changedParents.insert(parent);
    m_removals.append({child, parent, index});
}

void VDLTopicChanges::noteCountsChanged(VDLTopic *topic)
{
    m_countChanges.insert(topic);
}

void VDLTopicChanges::noteDisplayChanged(VDLTopic *topic)
{
    m_displayChanges.insert(topic);
}

void VDLTopicChanges::noteFilteredChildrenChanged(VDLTopic *parent)
{
    m_filterChanges.insert(parent);
}

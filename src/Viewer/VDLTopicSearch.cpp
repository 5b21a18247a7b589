#include "VDLTopicSearch.h"

#include "VDLTopic.h"
#include "VDLTopicsModel.h"

#include <QStringMatcher>

#include <algorithm>
#include <vector>

namespace {

// A topic waiting in the walk, with what its path is built from.
struct Pending
{
    VDLTopic *topic;
    // The length of the parent's path in the walk's buffer.
    qsizetype parentPathLength;
    bool parentIsRoot;
};

} // namespace

void VDLTopicSearch::search(const VDLTopicsModel &model, const QString &text, bool includePayloads,
                            const VDLTopic *anchor)
{
    VDLTopic *const root = model.rootTopic();
    m_matches.clear();
    m_positions.clear();
    m_indexes.clear();
    m_anchorPosition = root && root == anchor ? 0 : -1;
    if (!root || text.isEmpty())
        return;
    // Paths are built one level at a time in one buffer instead of walking up from every topic;
    // the text is prepared once for all of them.
    const QStringMatcher matcher(text, Qt::CaseInsensitive);
    QString path;
    std::vector<Pending> pending;
    const auto pushChildren = [&](VDLTopic *parent, bool parentIsRoot) {
        if (parent->isLeaf())
            return;
        const QList<VDLTopic *> children = model.childrenInOrder(parent);
        for (auto child = children.crbegin(); child != children.crend(); ++child)
            pending.push_back({*child, path.size(), parentIsRoot});
    };
    pushChildren(root, true);
    for (qsizetype position = 1; !pending.empty(); ++position) {
        const Pending next = pending.back();
        pending.pop_back();
        path.truncate(next.parentPathLength);
        if (!next.parentIsRoot)
            path.append(QLatin1Char('/'));
        path.append(next.topic->name());
        if (next.topic == anchor)
            m_anchorPosition = position;
        if (matcher.indexIn(path) >= 0 || matchesBeyondPath(*next.topic, matcher, includePayloads)) {
            m_indexes.insert(next.topic, m_matches.size());
            m_matches.append(next.topic);
            m_positions.append(position);
        }
        pushChildren(next.topic, false);
    }
}

bool VDLTopicSearch::matchesBeyondPath(const VDLTopic &topic, const QStringMatcher &text, bool includePayloads)
{
    if (topic.representedDevice() && text.indexIn(topic.messageSummary()) >= 0)
        return true;
    return includePayloads && text.indexIn(topic.rawContent()) >= 0;
}

QList<VDLTopic *> VDLTopicSearch::matches() const
{
    QList<VDLTopic *> alive;
    alive.reserve(m_matches.size());
    for (const QPointer<VDLTopic> &match : m_matches) {
        if (match)
            alive.append(match);
    }
    return alive;
}

qsizetype VDLTopicSearch::indexOf(const VDLTopic *topic) const
{
    const qsizetype index = m_indexes.value(topic, -1);
    // An address can come back for a new topic after the match it belonged to was deleted.
    return index >= 0 && m_matches.at(index).data() == topic ? index : -1;
}

VDLTopic *VDLTopicSearch::at(qsizetype index) const
{
    return m_matches.at(index);
}

VDLTopic *VDLTopicSearch::step(int direction, const VDLTopic *current) const
{
    if (m_matches.isEmpty())
        return nullptr;
    if (direction != 0 && m_anchorPosition >= 0)
        return stepFromAnchor(direction);
    const qsizetype from = std::max<qsizetype>(indexOf(current), 0);
    const qsizetype count = m_matches.size();
    return at(((from + direction) % count + count) % count);
}

VDLTopic *VDLTopicSearch::stepFromAnchor(int direction) const
{
    if (direction > 0) {
        const auto after = std::upper_bound(m_positions.cbegin(), m_positions.cend(), m_anchorPosition);
        return at(after == m_positions.cend() ? 0 : after - m_positions.cbegin());
    }
    const auto notBefore = std::lower_bound(m_positions.cbegin(), m_positions.cend(), m_anchorPosition);
    return at(notBefore == m_positions.cbegin() ? m_matches.size() - 1 : notBefore - m_positions.cbegin() - 1);
}

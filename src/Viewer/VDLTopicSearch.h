#pragma once

#include "VDLOutlinePaths.h"

#include <QList>
#include <QString>

#include <vector>

class VDLTopic;
class VDLTopicChanges;
class VDLTopicsModel;

// The topics a search text finds below a root, in the order the outline shows them, and the
// steps from one match to the next.
//
// A topic matches when its path contains the text; failing that, when it stands for a device
// whose summary contains it; failing that, when payloads are searched and its latest payload
// contains it. Every test ignores case and nothing else. The root is never a match.
//
// The outline's paths are kept from one search to the next while the model stays as it was, so
// typing into the search reads one buffer instead of the tree. Each match keeps where it stands
// in outline order, so a step to the next or previous match is a binary search. GUI thread (it
// reads live topics). Matches are held by pointer: forget() must hear of every removal.
class VDLTopicSearch
{
public:
    // Searches the tree the model shows (hidden topics included) in the model's order, noting
    // where anchor (the selected topic, may be null) stands among the topics.
    void search(const VDLTopicsModel &model, const QString &text, bool includePayloads, const VDLTopic *anchor);
    // Reads the model's tree for the searches to come, unless it is unchanged since the last read.
    void prepare(const VDLTopicsModel &model) { m_paths.refresh(model); }
    // Drops the topics a change notice removed; the next search walks the tree again.
    void forget(const VDLTopicChanges &changes);
    // Drops every match and what was read of the tree, for a tree that is replaced.
    void clear();

    // The matches in outline order.
    const QList<VDLTopic *> &matches() const { return m_matches; }
    qsizetype count() const { return m_matches.size(); }
    bool isEmpty() const { return m_matches.isEmpty(); }
    // The position of the topic among the matches; -1 when it is none of them.
    qsizetype indexOf(const VDLTopic *topic) const { return m_matches.indexOf(topic); }

    // The match a step in direction (-1, 0 or +1) leads to. Next and previous go from the anchor
    // when there was one, to the first match after it (or before it), wrapping at the ends;
    // otherwise they go from the current match (the first match when current is none of them).
    // Null without matches.
    VDLTopic *step(int direction, const VDLTopic *current) const;

private:
    void collect(const std::vector<char> &matched);
    VDLTopic *stepFromAnchor(int direction) const;

    VDLOutlinePaths m_paths;
    QList<VDLTopic *> m_matches;
    // Where each match stands in outline order (the root is 0), ascending.
    QList<qsizetype> m_positions;
    // Where the anchor stood; -1 without one.
    qsizetype m_anchorPosition = -1;
};

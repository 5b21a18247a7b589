#pragma once

#include "VDLTopic.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>

class QStringMatcher;
class VDLTopicsModel;

// The topics a search text finds below a root, in the order the outline shows them, and the
// steps from one match to the next.
//
// A topic matches when its path contains the text; failing that, when it stands for a device
// whose summary contains it; failing that, when payloads are searched and its latest payload
// contains it. Every test ignores case and nothing else. The root is never a match.
//
// One walk of the tree per search keeps where each match stands in outline order, so a step to
// the next or previous match is a binary search, not a second walk. A plain value; GUI thread
// (it reads live topics). Matches are watched: a topic deleted since the search drops out of
// matches() and is never stepped to.
class VDLTopicSearch
{
public:
    // Searches the tree the model shows (hidden topics included) in the model's order, noting
    // where anchor (the selected topic, may be null) stands among the topics.
    void search(const VDLTopicsModel &model, const QString &text, bool includePayloads, const VDLTopic *anchor);

    // The matches still alive, in outline order.
    QList<VDLTopic *> matches() const;
    qsizetype count() const { return m_matches.size(); }
    bool isEmpty() const { return m_matches.isEmpty(); }
    // The position of the topic among the matches; -1 when it is none of them.
    qsizetype indexOf(const VDLTopic *topic) const;

    // The match a step in direction (-1, 0 or +1) leads to. Next and previous go from the anchor
    // when there was one, to the first match after it (or before it), wrapping at the ends;
    // otherwise they go from the current match (the first match when current is none of them).
    // Null without matches.
    VDLTopic *step(int direction, const VDLTopic *current) const;

    // Whether one topic matches, without its path test (the walk builds paths as it goes).
    static bool matchesBeyondPath(const VDLTopic &topic, const QStringMatcher &text, bool includePayloads);

private:
    VDLTopic *stepFromAnchor(int direction) const;
    VDLTopic *at(qsizetype index) const;

    QList<QPointer<VDLTopic>> m_matches;
    // Where each match stands in the walk, ascending.
    QList<qsizetype> m_positions;
    QHash<const VDLTopic *, qsizetype> m_indexes;
    // Where the anchor stood in the walk; -1 without one.
    qsizetype m_anchorPosition = -1;
};

#pragma once

#include "VOKMosquittoMessage.h"

#include <QString>
#include <QStringList>

#include <memory>

class VOKMosquittoTopic;

// Whether one received message belongs to one topic filter, and if so which levels the "+"
// wildcards matched and what the "#" wildcard covered.
//
// A filter level "+" matches one level, "#" the rest of the topic. A filter without "#" also
// matches every topic that continues below it: a/b matches a/b/c. Levels compare
// case-sensitively, and a wildcard counts only as a whole level.
//
// A value made on the network thread and handed to the filter's callback; read it from any thread.
class VOKMosquittoTopicMatch
{
public:
    // Decides the match at once. A misplaced "#" (not the last filter level) logs an error and
    // still matches.
    VOKMosquittoTopicMatch(std::shared_ptr<const VOKMosquittoTopic> topic,
                           VOKMosquittoMessagePtr message);

    bool match() const { return m_match; }
    const std::shared_ptr<const VOKMosquittoTopic> &topic() const { return m_topic; }
    const VOKMosquittoMessagePtr &message() const { return m_message; }
    // The levels covered by "#", joined with "/"; null when the filter has no "#" or no match.
    QString subTopic() const { return m_subTopic; }
    // The levels matched by "+", in order.
    QStringList matches() const { return m_matches; }

    // "<VOKMosquittoTopicMatch: address>  topic: a/+/#  subTopic match: c/d  matches: (x)"
    QString description() const;

private:
    bool determineMatch();

    std::shared_ptr<const VOKMosquittoTopic> m_topic;
    VOKMosquittoMessagePtr m_message;
    QString m_subTopic;
    QStringList m_matches;
    bool m_match = false;
};

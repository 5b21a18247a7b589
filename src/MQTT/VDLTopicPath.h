#pragma once

#include <QString>
#include <QStringView>

// Topic names as URL paths, and their levels. Pure functions and a value type: any thread.

// The topic with each level percent-encoded as a URL path segment requires, joined with "/":
// spaces, "%", "?", "#" and non-ASCII characters are encoded, so the URL's decoded path gives the
// topic back. Empty levels stay empty.
QString vdlPercentEncodedTopic(const QString &topic);

// Walks the levels of a topic name (split at every "/", empty levels included) without copying:
// the name must outlive the walker.
class VDLTopicLevels
{
public:
    explicit VDLTopicLevels(QStringView topic) : m_topic(topic) {}

    // The next level, or false after the last one.
    bool next(QStringView &level);

private:
    QStringView m_topic;
    qsizetype m_start = 0;
    bool m_done = false;
};

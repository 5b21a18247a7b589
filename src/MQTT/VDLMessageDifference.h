#pragma once

#include "VDLMessage.h"
#include "VOKMarkup.h"

#include <QVariantMap>
#include <QString>

// What changed from one message of a topic to the next, as markup for the value pane, one line
// per change.
//
// Two JSON objects are compared key by key, nested objects key by key again (named by their
// keys joined by dots): "+ key: value" in green for a key added, "- key: value" in red for one
// removed, "~ key: old → new" in dark orange for a value changed, arrays and a value that
// changed its kind included. Other text is compared line by line: "- " removed lines in red,
// "+ " added ones in green, a few unchanged lines around each change for context and a count
// for longer unchanged stretches. Binary payloads are compared by their bytes.
//
// The result is bounded (at most MaximumLines lines, values cut at MaximumValue characters)
// whatever the payloads, and so is the work: texts too long to compare line by line show as
// removed and added whole. Pure functions; any thread.
class VDLMessageDifference
{
public:
    static constexpr qsizetype MaximumLines = 1000;
    static constexpr qsizetype MaximumValue = 200;

    static VOKMarkup between(const VDLMessage &before, const VDLMessage &after);
    static VOKMarkup ofObjects(const QVariantMap &before, const QVariantMap &after);
    static VOKMarkup ofLines(const QString &before, const QString &after);
    static VOKMarkup ofBytes(const QByteArray &before, const QByteArray &after);
};

#pragma once

#include "VOKKVOBlock.h"

#include <QColor>
#include <QList>
#include <QString>

#include <functional>

class VOKAttributedString;

// Marking the viewer's search text where it shows: which stretches of a text match, the colour
// that marks them, marking styled text, and following a viewer's search text. The text
// functions run on any thread.
namespace VDLHighlight {

// A stretch of text: its first character and its length.
struct Range
{
    qsizetype start = 0;
    qsizetype length = 0;

    friend bool operator==(const Range &, const Range &) = default;
};

// The background of a marked stretch: the platform's green at a quarter opacity.
QColor color();

// Every case-insensitive occurrence of the search text, left to right and never overlapping
// ("aa" is found twice in "aaaa", once in "aaa"). Nothing for an empty text or search.
QList<Range> ranges(const QString &text, const QString &search);

// Gives every occurrence of the search text in the styled text the marking background and
// answers the stretches marked. Adjacent marks look like one, but are answered apart.
QList<Range> mark(VOKAttributedString &text, const QString &search);

// Tells `onChange` the proxy's "searchString" now and after every change, for as long as the
// answered token, the proxy and the observer live. A proxy without that property, or none,
// gives a null text once. GUI thread.
VOKKVOBlockPtr observeSearchString(QObject *proxy, QObject *observer,
                                   const std::function<void(const QString &)> &onChange);

} // namespace VDLHighlight

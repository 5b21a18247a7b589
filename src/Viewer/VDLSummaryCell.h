#pragma once

#include "VOKAttributedString.h"

#include <QString>

class VDLMessage;

// What a list shows of one message in its value column: the summary as the message gives it,
// then, in the palette's quieter placeholder colour, the payload's one-line preview
// (VDLPayloadPreview). A text summary shows its text as that one line, control characters as
// symbols, rather than twice. Single-line, cut at the tail by the view.
//
// The tool tip holds the preview's first 1,000 characters as rich text that shows every
// character as written (so markup in a payload is never interpreted) and wraps.
//
// Value functions; GUI thread (the palette).
class VDLSummaryCell
{
public:
    static VOKAttributedString styled(const VDLMessage &message);
    // The summary as a cell's plain text. Views measure that text whole, and a text payload's
    // summary is the whole text: here it is made from the first 1,000 characters only, with "…".
    static QString displayText(const VDLMessage &message);
    // Empty when the message has no preview.
    static QString toolTip(const VDLMessage &message);
};

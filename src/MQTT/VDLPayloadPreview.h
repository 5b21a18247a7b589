#pragma once

#include <QString>

class VDLMessage;

// A one-line look at a message's payload for lists, read from its first bytes only, so a
// 16 MB payload costs no more than a small one: JSON as its compact text
// ({"battery":97,"humidity":42}), text with line breaks, tabs and other control characters shown
// as symbols (⏎, ⇥, ␛), raw data as its first bytes in hexadecimal. Numbers, booleans and
// messages without payload have no preview: their summary says it all. A preview cut short
// ends in "…". Nothing is interpreted: markup in a payload stays characters.
//
// A value function; any thread.
class VDLPayloadPreview
{
public:
    // Enough for any list column.
    static constexpr qsizetype LineCharacters = 300;
    // What a tool tip shows at most.
    static constexpr qsizetype ToolTipCharacters = 1000;
    // Bytes of payload read per character of preview: room for white space a compact form
    // drops, and for multi-byte characters.
    static constexpr qsizetype BytesPerCharacter = 16;
    // Raw data shows this many leading bytes.
    static constexpr qsizetype HexBytes = 8;

    // At most maxCharacters characters, plus "…" when the payload goes on.
    static QString preview(const VDLMessage &message, qsizetype maxCharacters = LineCharacters);

    // The text with control characters and line separators replaced by visible symbols.
    static QString oneLine(const QString &text);
};

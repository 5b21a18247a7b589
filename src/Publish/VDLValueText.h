#pragma once

#include <QString>

// A publish value as a text document shows it, and the value back from the edited document.
//
// A document keeps no line-break characters: a line feed, a carriage return, a CR LF pair and a
// paragraph separator all become a paragraph break (U+2029 in the document's raw text), while
// other characters (no-break spaces, line separators) stay as they are. Reading the value back
// from the document's plain text would therefore change it; instead, the parts the user did not
// touch keep their exact characters, and a paragraph break the user typed becomes a line feed.
//
// Pure functions; any thread.
class VDLValueText
{
public:
    // The raw text (QTextDocument::toRawText) of a document that shows the value.
    static QString shown(const QString &value);
    // The value after the document showing `before` was edited into the raw text `shownNow`;
    // `before` itself when the document shows it unchanged. Never null.
    static QString edited(const QString &before, const QString &shownNow);
};

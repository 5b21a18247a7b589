#pragma once

#include <QByteArray>
#include <QString>

#include <limits>

// Prints JSON text in VOKJSONPrinter's layout straight from its bytes, without building a value:
// for payloads too large to parse into a tree just to show them. Members keep the document's
// order, and strings and numbers stay as written (still valid JSON, as the tree printer's output
// is). With highlighting the text is markup in the tree printer's colours.
//
// Printing stops once the text shows as many characters as the limit (markup tags not counted;
// the last string is cut at a character),
// so the cost follows what is shown, not the payload. Meant for text already known to be JSON;
// anything else prints as far as it goes, never reading past the end. Nesting is followed with
// an explicit stack, so no depth exhausts the call stack.
//
// A value class without state between calls; callable from any thread.
class VOKJSONStreamPrinter
{
public:
    struct Result
    {
        QString text;
        // Whether the whole document was printed.
        bool complete = true;
    };

    explicit VOKJSONStreamPrinter(bool highlight, qsizetype limit = std::numeric_limits<qsizetype>::max())
        : m_highlight(highlight)
        , m_limit(limit)
    {
    }

    Result print(const QByteArray &json) const;

private:
    bool m_highlight;
    qsizetype m_limit;
};

// The longest start of the UTF-8 text that is at most `size` bytes and ends between characters.
QByteArrayView vokUTF8Prefix(QByteArrayView text, qsizetype size);

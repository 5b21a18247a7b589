#pragma once

#include <QString>
#include <QVariant>

// Prints a parsed JSON value (see VOKJSON.h for how values are held) as indented text, keys
// sorted by character code, four spaces per level. Every dictionary and array starts with its
// own indent, also after a key's ": " or an array element's indent. With highlighting the text
// is styled-text markup: keys Brown, strings Green, numbers Blue, null Gray; the JSON text of
// keys and strings is escaped for markup, so data never reads as a tag.
//
// The output is valid JSON with the value's meaning: strings and keys are escaped as JSON
// requires, booleans print as true/false, integers stay exact to 64 bits. Nesting deeper than
// a parsed value can hold (MaxDepth) is not descended into: such a container prints as null and
// logs an ASSERTION, so the printer's recursion stays bounded.
//
// A value class without state between calls; callable from any thread.
class VOKJSONPrinter
{
public:
    // The deepest nesting Qt's parser accepts.
    static constexpr unsigned MaxDepth = 1024;

    explicit VOKJSONPrinter(bool highlight) : m_highlight(highlight) {}

    // The value printed at the indent level.
    QString print(const QVariant &value, unsigned indent) const;

    // Four spaces per level.
    static QString indentString(unsigned level);

    // The text as a JSON string literal, quotes included.
    static QString quoted(const QString &text);

    // Appends the JSON text, with highlighting in the colour (escaped for markup), else as it is.
    static void appendColoured(QString &out, const char *colour, const QString &text, bool highlight);

private:
    void write(QString &out, const QVariant &value, unsigned level) const;
    void writeDictionary(QString &out, const QVariantMap &dictionary, unsigned level) const;
    void writeArray(QString &out, const QVariantList &array, unsigned level) const;
    void writeScalar(QString &out, const QVariant &value, unsigned level) const;

    bool m_highlight;
};

// The printed value at an indent level, with or without colour markup.
QString vokPrettyPrintWithIndent(const QVariant &value, unsigned indent, bool highlight);
// Indent 0, no highlighting.
QString vokPrettyPrint(const QVariant &value);

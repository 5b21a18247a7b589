#include "VDLValueText.h"

#include <algorithm>

namespace {

bool breaksParagraph(QChar character)
{
    // What QTextCursor::insertText turns into a paragraph break.
    return character == QLatin1Char('\n') || character == QLatin1Char('\r') || character == QChar::ParagraphSeparator
        || character == QChar(0xfdd0) || character == QChar(0xfdd1);
}

// How many characters of the value the document shows as its one character at the index.
qsizetype shownUnitLength(const QString &value, qsizetype index)
{
    const bool crlf = value[index] == QLatin1Char('\r') && index + 1 < value.size() && value[index + 1] == QLatin1Char('\n');
    return crlf ? 2 : 1;
}

// Where in the value the shown character at the index begins (the value's end past the last).
qsizetype valueIndex(const QString &value, qsizetype shownIndex)
{
    qsizetype index = 0;
    for (qsizetype shown = 0; shown < shownIndex && index < value.size(); ++shown)
        index += shownUnitLength(value, index);
    return index;
}

// A value that was edited is text, if empty then empty rather than none.
QString asText(const QString &value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

} // namespace

QString VDLValueText::shown(const QString &value)
{
    QString text;
    text.reserve(value.size());
    for (qsizetype index = 0; index < value.size(); index += shownUnitLength(value, index))
        text.append(breaksParagraph(value[index]) ? QChar(QChar::ParagraphSeparator) : value[index]);
    return text;
}

QString VDLValueText::edited(const QString &before, const QString &shownNow)
{
    const QString shownBefore = shown(before);
    if (shownBefore == shownNow)
        return asText(before);
    // The edit lies between the longest common start and the longest common end.
    const qsizetype limit = std::min(shownBefore.size(), shownNow.size());
    qsizetype start = 0;
    while (start < limit && shownBefore[start] == shownNow[start])
        ++start;
    qsizetype end = 0;
    while (end < limit - start && shownBefore[shownBefore.size() - 1 - end] == shownNow[shownNow.size() - 1 - end])
        ++end;
    QString typed = shownNow.mid(start, shownNow.size() - start - end);
    typed.replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
    return asText(before.left(valueIndex(before, start)) + typed
                  + before.mid(valueIndex(before, shownBefore.size() - end)));
}

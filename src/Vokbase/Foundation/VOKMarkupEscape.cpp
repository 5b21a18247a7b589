#include "VOKMarkupEscape.h"

namespace {

// A prefix-free code over two private-use characters, so that escaped pieces can be joined
// in any order and still decode to exactly what went in:
//   "["           -> Bracket
//   Escape        -> Escape Escape
//   Bracket       -> Escape Bracket
constexpr QChar Escape(0xE000);
constexpr QChar Bracket(0xE001);

} // namespace

QString vokEscapedForMarkup(const QString &data)
{
    if (!data.contains(QLatin1Char('[')) && !data.contains(Escape) && !data.contains(Bracket))
        return data;
    QString escaped;
    escaped.reserve(data.size() + 8);
    for (const QChar character : data) {
        if (character == QLatin1Char('['))
            escaped += Bracket;
        else if (character == Escape || character == Bracket)
            escaped += Escape, escaped += character;
        else
            escaped += character;
    }
    return escaped;
}

QString vokUnescapedFromMarkup(const QString &text)
{
    if (!text.contains(Escape) && !text.contains(Bracket))
        return text;
    QString plain;
    plain.reserve(text.size());
    for (qsizetype index = 0; index < text.size(); ++index) {
        const QChar character = text.at(index);
        if (character == Escape && index + 1 < text.size())
            plain += text.at(++index);
        else if (character == Bracket)
            plain += QLatin1Char('[');
        else
            plain += character;
    }
    return plain;
}

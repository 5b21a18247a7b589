#include "VOKMarkup.h"

#include "VOKMarkupEscape.h"

#include <optional>

namespace {

void appendText(QList<VOKMarkup::Token> &tokens, const QString &text)
{
    if (!text.isEmpty())
        tokens.append({VOKMarkup::Token::Kind::Text, vokUnescapedFromMarkup(text)});
}

std::optional<VOKMarkup::Token::Kind> tagKind(QStringView tag)
{
    if (tag == QLatin1String("c:"))
        return VOKMarkup::Token::Kind::Color;
    if (tag == QLatin1String("F:"))
        return VOKMarkup::Token::Kind::Font;
    if (tag == QLatin1String("s:"))
        return VOKMarkup::Token::Kind::Symbol;
    return std::nullopt;
}

} // namespace

QList<VOKMarkup::Token> VOKMarkup::tokens() const
{
    QList<Token> tokens;
    const QStringList segments = m_markup.split(QLatin1Char('['));
    appendText(tokens, segments.first());
    for (qsizetype index = 1; index < segments.size(); ++index) {
        const QString &segment = segments.at(index);
        const qsizetype close = segment.indexOf(QLatin1Char(']'));
        const std::optional<Token::Kind> kind = tagKind(QStringView(segment).left(2));
        if (close < 0 || !kind) {
            appendText(tokens, QLatin1Char('[') + segment);
            continue;
        }
        // A "]" inside the tag letter (as in "[c]") leaves an empty argument.
        tokens.append({*kind, close > 2 ? segment.mid(2, close - 2) : QString()});
        appendText(tokens, segment.mid(close + 1));
    }
    return tokens;
}

QString VOKMarkup::plainText() const
{
    QString text;
    for (const Token &token : tokens()) {
        if (token.kind == Token::Kind::Text)
            text += token.text;
    }
    return text;
}

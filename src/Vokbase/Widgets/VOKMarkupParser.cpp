#include "VOKMarkupParser.h"

#include "VOKColor.h"
#include "VOKFont.h"
#include "VOKLog.h"

#include <QStringList>

#include <charconv>
#include <cmath>

namespace {

// The leading decimal number of a field ("9x" reads 9), or 0. Always with a decimal point: the
// C library's readers follow the user's locale, which Qt installs at start-up.
double leadingNumber(const QString &field)
{
    const QByteArray text = field.trimmed().toLatin1();
    const char *begin = text.constData();
    const char *const end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    double number = 0;
    const auto result = std::from_chars(begin, end, number);
    return result.ec == std::errc() && std::isfinite(number) ? number : 0;
}

} // namespace

VOKMarkupParser::VOKMarkupParser(const VOKTextAttributes &style)
    : m_style(style), m_color(style.foreground), m_font(style.font)
{
}

VOKAttributedString VOKMarkupParser::parse(const VOKMarkup &markup)
{
    for (const VOKMarkup::Token &token : markup.tokens()) {
        switch (token.kind) {
        case VOKMarkup::Token::Kind::Text:
            m_result.vokAdd(token.text, m_style);
            break;
        case VOKMarkup::Token::Kind::Color:
            startColor(token.text);
            break;
        case VOKMarkup::Token::Kind::Font:
            startFont(token.text);
            break;
        case VOKMarkup::Token::Kind::Symbol:
            // The colour run in force covers the attachment like any other character.
            m_result.vokAppendSymbolNamed(token.text);
            break;
        }
    }
    closeColorRun();
    closeFontRun();
    return m_result;
}

void VOKMarkupParser::closeColorRun()
{
    m_result.setForeground(m_colorStart, m_result.length(), m_color);
    m_colorStart = m_result.length();
}

void VOKMarkupParser::closeFontRun()
{
    m_result.setFont(m_fontStart, m_result.length(), m_font);
    m_fontStart = m_result.length();
}

void VOKMarkupParser::startColor(const QString &argument)
{
    closeColorRun();
    if (argument.isEmpty()) {
        m_color = m_style.foreground;
        return;
    }
    const QColor color = vokColorNamed(argument);
    m_color = color.isValid() ? std::optional<QColor>(color) : std::nullopt;
}

void VOKMarkupParser::startFont(const QString &argument)
{
    closeFontRun();
    const QStringList fields = argument.split(QLatin1Char('|'));
    if (fields.size() > 3 || !vokIsFontOperation(fields.first())) {
        VOK_ERROR(QStringLiteral("NSFont selector for font definition '%1' not found!").arg(argument));
        m_font.reset();
        return;
    }
    if (fields.size() == 1)
        return;
    const std::optional<double> weight =
        fields.size() == 3 ? std::optional<double>(leadingNumber(fields.at(2))) : std::nullopt;
    m_font = vokFontFromOperation(fields.first(), leadingNumber(fields.at(1)), weight);
}

VOKAttributedString vokAttributedStringWithStyle(const QString &markup, const VOKTextAttributes &style)
{
    return VOKMarkupParser(style).parse(VOKMarkup(markup));
}

VOKAttributedString vokAttributedString(const QString &markup)
{
    VOKTextAttributes style;
    style.truncatesTail = true;
    return vokAttributedStringWithStyle(markup, style);
}

VOKAttributedString vokAttributedStringNoCLip(const QString &markup)
{
    return vokAttributedStringWithStyle(markup, VOKTextAttributes());
}

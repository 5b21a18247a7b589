#include "VOKMarkupParser.h"

#include "VOKColor.h"
#include "VOKFont.h"
#include "VOKLog.h"
#include "VOKMarkupEscape.h"

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

VOKAttributedString VOKMarkupParser::parse(const QString &markup)
{
    const QStringList segments = markup.split(QLatin1Char('['));
    appendText(segments.first());
    for (qsizetype index = 1; index < segments.size(); ++index)
        parseSegment(segments.at(index));
    closeColorRun();
    closeFontRun();
    return m_result;
}

void VOKMarkupParser::parseSegment(const QString &segment)
{
    const qsizetype close = segment.indexOf(QLatin1Char(']'));
    const QString tag = segment.left(2);
    const bool isTag = tag == QLatin1String("c:") || tag == QLatin1String("F:") || tag == QLatin1String("s:");
    if (close < 0 || !isTag) {
        appendText(QLatin1Char('[') + segment);
        return;
    }
    // A "]" inside the tag letter (as in "[c]") leaves an empty argument.
    const QString argument = close > 2 ? segment.mid(2, close - 2) : QString();
    if (tag == QLatin1String("c:")) {
        startColor(argument);
    } else if (tag == QLatin1String("F:")) {
        startFont(argument);
    } else {
        // The colour run in force covers the attachment like any other character.
        m_result.vokAppendSymbolNamed(argument);
    }
    appendText(segment.mid(close + 1));
}

void VOKMarkupParser::appendText(const QString &text)
{
    m_result.vokAdd(vokUnescapedFromMarkup(text), m_style);
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
    return VOKMarkupParser(style).parse(markup);
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

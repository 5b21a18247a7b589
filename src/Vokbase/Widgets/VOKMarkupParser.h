#pragma once

#include "VOKAttributedString.h"
#include "VOKMarkup.h"

#include <QString>

// Turns markup text into styled text.
//
// The tags are those of VOKMarkup: colour names are VOKColor.h's ("[c:]" returns to the style's
// colour), font operations VOKFont.h's.
//
// The style is handed to every stretch of text; its foreground colour and font are the
// defaults that "[c:]" and the ends of runs return to. One parser per text; GUI thread (colour
// names may read the application palette).
class VOKMarkupParser
{
public:
    explicit VOKMarkupParser(const VOKTextAttributes &style);

    VOKAttributedString parse(const VOKMarkup &markup);

private:
    void closeColorRun();
    void closeFontRun();
    void startColor(const QString &argument);
    void startFont(const QString &argument);

    VOKTextAttributes m_style;
    VOKAttributedString m_result;
    std::optional<QColor> m_color;
    qsizetype m_colorStart = 0;
    std::optional<QFont> m_font;
    qsizetype m_fontStart = 0;
};

// The markup parsed with the style.
VOKAttributedString vokAttributedStringWithStyle(const QString &markup, const VOKTextAttributes &style);
// The same operation under its historical, misspelt name.
inline VOKAttributedString vokAttribuedStringWithStyle(const QString &markup, const VOKTextAttributes &style)
{
    return vokAttributedStringWithStyle(markup, style);
}
// Parsed for a single-line cell: truncated at the tail with an ellipsis.
VOKAttributedString vokAttributedString(const QString &markup);
// Parsed with an empty style (no truncation).
VOKAttributedString vokAttributedStringNoCLip(const QString &markup);

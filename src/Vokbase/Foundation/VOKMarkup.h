#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

// Text in the styled-text markup, as the model produces it: summaries, counts, pretty-printed
// JSON, device renderings. The model only writes markup; the widgets layer turns it into styled
// text (VOKMarkupParser), so nothing below the GUI needs fonts or colours.
//
// Tags: "[c:NAME]" starts a colour ("[c:]" ends it), "[F:OPERATION|SIZE|WEIGHT]" starts a font,
// "[s:NAME]" places a symbol. There is no escape character and tags do not nest; anything else
// in brackets is text. Data put into markup goes through vokEscapedForMarkup (VOKMarkupEscape.h).
//
// A plain value; every function may be called from any thread.
class VOKMarkup
{
public:
    // One piece of markup: text to show (already unescaped) or one tag with its argument.
    struct Token
    {
        enum class Kind { Text, Color, Font, Symbol };
        Kind kind = Kind::Text;
        QString text;

        friend bool operator==(const Token &, const Token &) = default;
    };

    VOKMarkup() = default;
    explicit VOKMarkup(const QString &markup) : m_markup(markup) {}

    const QString &markup() const { return m_markup; }
    bool isEmpty() const { return m_markup.isEmpty(); }

    // The pieces in order; adjacent text is not merged.
    QList<Token> tokens() const;
    // The characters the markup shows, without tags; symbols show no character.
    QString plainText() const;

    friend bool operator==(const VOKMarkup &, const VOKMarkup &) = default;

private:
    QString m_markup;
};

Q_DECLARE_METATYPE(VOKMarkup)

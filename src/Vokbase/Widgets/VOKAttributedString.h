#pragma once

#include "VOKTextAttributes.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QTextDocument;

// Styled text: characters plus runs of attributes (colours, font, tail truncation) and inline
// symbol attachments, each one U+FFFC character. Runs cover the whole text, never overlap and
// adjacent runs always differ, so equal styled texts compare equal.
//
// A model value without widget dependencies; VOKAttributedStringPainter draws it in views.
// Not shared between threads.
class VOKAttributedString
{
public:
    // The character that stands for an attachment.
    static constexpr QChar AttachmentCharacter = QChar(0xFFFC);

    struct Run
    {
        qsizetype start = 0;
        qsizetype length = 0;
        VOKTextAttributes attributes;

        friend bool operator==(const Run &, const Run &) = default;
    };

    VOKAttributedString() = default;
    VOKAttributedString(const QString &text, const VOKTextAttributes &attributes);

    const QString &string() const { return m_text; }
    qsizetype length() const { return m_text.size(); }
    bool isEmpty() const { return m_text.isEmpty(); }
    const QList<Run> &runs() const { return m_runs; }
    // The attributes of one character (default attributes past the end).
    VOKTextAttributes attributesAt(qsizetype index) const;

    // Appends text carrying exactly the attributes.
    void vokAdd(const QString &text, const VOKTextAttributes &attributes);
    // Appends text with the attributes in force at the end.
    void add(const QString &text);
    // Appends one attachment character showing the symbol (drawn in its own colour when one is
    // given, else in the colour of its run). An unknown name gives an attachment without image.
    void vokAppendSymbolNamed(const QString &name, const QColor &color = QColor());

    // Sets (or with none removes) an attribute over the characters [start, end).
    void setForeground(qsizetype start, qsizetype end, const std::optional<QColor> &color);
    void setBackground(qsizetype start, qsizetype end, const std::optional<QColor> &color);
    void setFont(qsizetype start, qsizetype end, const std::optional<QFont> &font);

    // A rich-text document of the text: fonts default to `font`, text and untinted symbols to
    // `textColor`; attachments become images the height of their line.
    std::unique_ptr<QTextDocument> toTextDocument(const QFont &font, const QColor &textColor) const;

    friend bool operator==(const VOKAttributedString &, const VOKAttributedString &) = default;

private:
    void modify(qsizetype start, qsizetype end, const std::function<void(VOKTextAttributes &)> &change);
    // Makes a run begin at the position; answers that run's index.
    qsizetype splitAt(qsizetype position);
    void mergeAround(qsizetype first, qsizetype last);

    QString m_text;
    QList<Run> m_runs;
};

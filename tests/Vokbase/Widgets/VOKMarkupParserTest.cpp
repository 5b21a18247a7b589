#include "DecimalCommaLocale.h"
#include "LogCapture.h"
#include "VOKColor.h"
#include "VOKJSON.h"
#include "VOKJSONPrinter.h"
#include "VOKMarkupEscape.h"
#include "VOKMarkupParser.h"

#include <QGuiApplication>
#include <QPalette>

#include <gtest/gtest.h>

namespace {

const QColor StyleColor(0x11, 0x22, 0x33);

VOKTextAttributes style(bool withColor = true)
{
    VOKTextAttributes attributes;
    attributes.font = QFont(QStringLiteral("Sans"), 11);
    if (withColor)
        attributes.foreground = StyleColor;
    return attributes;
}

// The foreground of every character, as a name per character ("-" for none).
QStringList colours(const VOKAttributedString &text)
{
    QStringList names;
    for (qsizetype index = 0; index < text.length(); ++index) {
        const std::optional<QColor> color = text.attributesAt(index).foreground;
        names.append(!color ? QStringLiteral("-") : *color == StyleColor ? QStringLiteral("C") : vokRgbHexString(*color));
    }
    return names;
}

QStringList repeated(const QString &name, int count)
{
    QStringList names;
    for (int index = 0; index < count; ++index)
        names.append(name);
    return names;
}

} // namespace

TEST(VOKMarkupParser, WorkedExamples)
{
    const QString red = QStringLiteral("FF0000");
    const QString C = QStringLiteral("C");
    const QString attachment(VOKAttributedString::AttachmentCharacter);
    struct Case {
        QString markup;
        QString characters;
        QStringList colours;
        bool styleHasColor = true;
    };
    const Case cases[] = {
        {QStringLiteral("Temp [c:Red]21.5[c:] units [s:r.square]"), QStringLiteral("Temp 21.5 units ") + attachment,
         repeated(C, 5) + repeated(red, 4) + repeated(C, 8)},
        {QStringLiteral("[1,2]"), QStringLiteral("[1,2]"), repeated(C, 5)},
        {QStringLiteral("a[b"), QStringLiteral("a[b"), repeated(C, 3)},
        {QStringLiteral("a[b]c"), QStringLiteral("a[b]c"), repeated(C, 5)},
        {QStringLiteral("[c:Red]a[c:Blue]b"), QStringLiteral("ab"), {red, QStringLiteral("0000FF")}},
        {QStringLiteral("[c:Red]a[c:]b"), QStringLiteral("ab"), {red, C}},
        {QStringLiteral("[c:Red]a[c:]b"), QStringLiteral("ab"), {red, QStringLiteral("-")}, false},
        {QStringLiteral("ab[c:Red]"), QStringLiteral("ab"), {C, C}},
        {QStringLiteral("[s:r.square]tail"), attachment + QStringLiteral("tail"), repeated(C, 5)},
        {QString(), QString(), {}},
        {QStringLiteral("]]"), QStringLiteral("]]"), repeated(C, 2)},
        {QStringLiteral("[[["), QStringLiteral("[[["), repeated(C, 3)},
        {QStringLiteral("[x:Red]y[c]"), QStringLiteral("[x:Red]y[c]"), repeated(C, 11)},
        {QStringLiteral("[c:#FF000080]h"), QStringLiteral("h"), {red}},
    };
    for (const Case &c : cases) {
        const VOKAttributedString text = vokAttributedStringWithStyle(c.markup, style(c.styleHasColor));
        EXPECT_EQ(text.string(), c.characters) << c.markup.toStdString();
        EXPECT_EQ(colours(text), c.colours) << c.markup.toStdString();
    }
    // The misspelt twin is the same operation.
    EXPECT_EQ(vokAttribuedStringWithStyle(QStringLiteral("[c:Red]a"), style()),
              vokAttributedStringWithStyle(QStringLiteral("[c:Red]a"), style()));
}

TEST(VOKMarkupParser, ColourRunsAndFailures)
{
    LogCapture log;
    const VOKAttributedString unknown = vokAttributedStringWithStyle(QStringLiteral("a[c:red]b[c:#ABC]c"), style());
    EXPECT_EQ(colours(unknown), (QStringList{QStringLiteral("C"), QStringLiteral("-"), QStringLiteral("-")}));
    EXPECT_EQ(log.linesContaining(QStringLiteral("WARNING: Unknown color requested: red")).size(), 1);
    EXPECT_EQ(log.linesContaining(QStringLiteral("WARNING: Unknown color requested: #ABC")).size(), 1);

    const VOKAttributedString transparent = vokAttributedStringNoCLip(QStringLiteral("[c:#FF000080]x"));
    EXPECT_EQ(vokRgbaHexString(*transparent.attributesAt(0).foreground), QStringLiteral("FF000080"));

    log.clear();
    const VOKAttributedString system = vokAttributedStringNoCLip(QStringLiteral("[c:NSColor:nothing]x[c:NSColor:textColor]y"));
    EXPECT_EQ(*system.attributesAt(0).foreground, QColor(Qt::red));
    EXPECT_EQ(*system.attributesAt(1).foreground, QGuiApplication::palette().color(QPalette::Text));
    EXPECT_EQ(log.linesContaining(QStringLiteral("ERROR: Can't find color for 'NSColor:nothing'")).size(), 1);
}

TEST(VOKMarkupParser, FontRunsReadNumbersWithADecimalPointUnderAnyLocale)
{
    const DecimalCommaLocale german;
    ASSERT_TRUE(german.isActive());
    LogCapture log;
    const VOKAttributedString text = vokAttributedStringWithStyle(
        QStringLiteral("a[F:systemFontOfSize:|20.5]b[F:boldSystemFontOfSize:]c[F:a|1|2|3]d[F:monospacedSystemFontOfSize:weight:|9x|0.4]e"),
        style());
    EXPECT_EQ(text.string(), QStringLiteral("abcde"));
    EXPECT_EQ(text.attributesAt(0).font, style().font);
    EXPECT_EQ(text.attributesAt(1).font->pointSizeF(), 20.5);
    // A known operation without a size keeps the font in force.
    EXPECT_EQ(text.attributesAt(2).font->pointSizeF(), 20.5);
    EXPECT_FALSE(text.attributesAt(3).font);
    EXPECT_EQ(text.attributesAt(4).font->pointSizeF(), 9);
    EXPECT_EQ(text.attributesAt(4).font->weight(), QFont::Bold);
    EXPECT_EQ(log.linesContaining(QStringLiteral("ERROR: NSFont selector for font definition 'a|1|2|3' not found!")).size(), 1);
    EXPECT_EQ(log.lines().size(), 1);
}

TEST(VOKMarkupParser, SymbolsAndStyles)
{
    const VOKAttributedString symbol = vokAttributedString(QStringLiteral("[s:list.bullet]"));
    ASSERT_EQ(symbol.length(), 1);
    ASSERT_TRUE(symbol.attributesAt(0).attachment);
    EXPECT_EQ(symbol.attributesAt(0).attachment->image->name(), QStringLiteral("list.bullet"));

    const VOKAttributedString missing = vokAttributedStringNoCLip(QStringLiteral("[s:no.such.symbol]"));
    ASSERT_EQ(missing.length(), 1);
    EXPECT_FALSE(missing.attributesAt(0).attachment->image);

    EXPECT_TRUE(vokAttributedString(QStringLiteral("x")).attributesAt(0).truncatesTail);
    EXPECT_FALSE(vokAttributedStringNoCLip(QStringLiteral("x")).attributesAt(0).truncatesTail);
}

TEST(VOKMarkupParser, DataIsNeverReadAsMarkup)
{
    const QString data[] = {QStringLiteral("[c:Red]x"), QStringLiteral("[s:r.square]"), QStringLiteral("[[]]"),
                            QString(QChar(0xE000)) + QChar(0xE001) + QStringLiteral("[") + QChar(0xE000)};
    for (const QString &payload : data) {
        const QString markup = QStringLiteral("[c:Gray]") + vokEscapedForMarkup(payload) + QStringLiteral("[c:]")
                               + vokEscapedForMarkup(payload);
        EXPECT_EQ(vokAttributedStringNoCLip(markup).string(), payload + payload) << payload.toStdString();
    }

    // A payload that looks like markup survives highlighted printing and "format JSON" unchanged.
    const QVariant value = vokJSONValue(QStringLiteral(R"({"[c:Red]k":["[s:r.square]","]["]})"));
    const QString shown = vokAttributedStringNoCLip(vokPrettyPrintWithIndent(value, 0, true)).string();
    EXPECT_EQ(shown, vokPrettyPrint(value));
    EXPECT_EQ(vokJSONValue(shown), value);
}

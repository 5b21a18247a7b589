#include "VDLHistoryMenuLine.h"
#include "VDLPM.h"

#include <QFontMetricsF>
#include <QGuiApplication>

#include <gtest/gtest.h>

TEST(VDLHistoryMenuLine, TruncationFitsTheWidthAndKeepsWholeCharacters)
{
    VOKTextAttributes attributes;
    attributes.font = QGuiApplication::font();
    const QFontMetricsF metrics(*attributes.font);
    const QString ellipsis = QStringLiteral("\u2026");
    const QString text = QStringLiteral("livingroom/sensors/temperature/ground floor/window \U0001F600 end");
    const qreal full = metrics.horizontalAdvance(text);
    for (qreal width = metrics.horizontalAdvance(ellipsis); width < full; width += 7) {
        const QString cut = VDLHistoryMenuLine::truncateString(text, width, attributes);
        ASSERT_TRUE(cut.endsWith(ellipsis)) << width;
        EXPECT_TRUE(text.startsWith(cut.chopped(1))) << width;
        EXPECT_LE(metrics.horizontalAdvance(cut), width) << width;
        EXPECT_FALSE(cut.chopped(1).endsWith(QChar(QChar::highSurrogate(0x1F600)))) << width;
    }
    EXPECT_EQ(VDLHistoryMenuLine::truncateString(QString(), -5, attributes), ellipsis);
    EXPECT_EQ(VDLHistoryMenuLine::truncateString(text, 3, attributes), ellipsis);
    EXPECT_EQ(VDLHistoryMenuLine::truncateString(text, full, attributes), text);
}

TEST(VDLHistoryMenuLine, EntryIsOneLineWithSymbolsFlushRight)
{
    const VOKAttributedString line = VDLHistoryMenuLine::attributedStringWithTabWidth(
        VDLPM(QStringLiteral("a/b"), QStringLiteral("x\r\ny\u2028z"), 2, true), 800);
    EXPECT_TRUE(line.string().startsWith(QStringLiteral("a/b \u2014 x  y z\t")));
    EXPECT_EQ(line.string().count(VOKAttributedString::AttachmentCharacter), 2); // retained, QoS 2
    EXPECT_EQ(line.attributesAt(0).rightTabStop, 800);

    const QString longPath(400, QLatin1Char('p'));
    const VOKAttributedString cut =
        VDLHistoryMenuLine::attributedStringWithTabWidth(VDLPM(longPath, QStringLiteral("value"), 0), 200);
    EXPECT_TRUE(cut.string().contains(QStringLiteral("\u2026 \u2014 \u2026\t")));
    EXPECT_EQ(cut.string().count(VOKAttributedString::AttachmentCharacter), 1);
}

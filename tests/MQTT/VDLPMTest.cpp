#include "VDLPM.h"
#include "VOKKeyPath.h"
#include "VOKMarkupParser.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMetaProperty>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

// What cutting one character at a time would give; the real one must agree.
QString truncatedOneByOne(QString text, qreal width, const VOKTextAttributes &attributes)
{
    const QFontMetricsF metrics(*attributes.font);
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    const qreal available = width - metrics.horizontalAdvance(QStringLiteral("\u2026"));
    while (!text.isEmpty() && metrics.horizontalAdvance(text) > available)
        text.chop(1);
    return text + QStringLiteral("\u2026");
}

} // namespace

TEST(VDLPM, EqualityAndHashCompareAllFourFieldsAndTheValuesKind)
{
    EXPECT_EQ(VDLPM(QStringLiteral("a"), QStringLiteral("1")), VDLPM(QStringLiteral("a"), QStringLiteral("1")));
    EXPECT_EQ(qHash(VDLPM(QStringLiteral("a"), QStringLiteral("1"))), qHash(VDLPM(QStringLiteral("a"), QStringLiteral("1"))));
    EXPECT_NE(VDLPM(QStringLiteral("a"), QStringLiteral("1"), 0), VDLPM(QStringLiteral("a"), QStringLiteral("1"), 1));
    EXPECT_NE(VDLPM(QStringLiteral("a"), QStringLiteral("1")), VDLPM(QStringLiteral("a"), QStringLiteral("1"), 0, true));
    VDLPM styled = VDLPM(QStringLiteral("a"), QString());
    styled.value = vokAttributedStringNoCLip(QStringLiteral("1"));
    EXPECT_NE(styled, VDLPM(QStringLiteral("a"), QStringLiteral("1")));
    EXPECT_EQ(styled.valueAsString(), QStringLiteral("1"));
    EXPECT_TRUE(VDLPM().valueAsString().isNull());
}

TEST(VDLPM, HistoryEntriesRoundTripAndMissingKeysReadAsNone)
{
    const VDLPM original = VDLPM(QStringLiteral("a/b"), QStringLiteral("x\ny"), 2, true);
    EXPECT_EQ(VDLPM::fromDictionary(original.asDictionary()), original);
    const QVariantMap empty = VDLPM().asDictionary();
    EXPECT_EQ(empty.value(QStringLiteral("path")).toString(), QString());
    EXPECT_EQ(empty.value(QStringLiteral("value")).typeId(), QMetaType::QString);

    const VDLPM partial = VDLPM::fromDictionary({{QStringLiteral("qos"), 1}});
    EXPECT_TRUE(partial.path.isNull());
    EXPECT_TRUE(partial.valueAsString().isNull());
    EXPECT_EQ(partial.qos, 1);
    EXPECT_FALSE(partial.doRetain);
}

TEST(VDLPM, KeyPathsReadAndWriteTheValueOfEitherKind)
{
    const QString valueKey = QStringLiteral("value");
    QVariant pm = QVariant::fromValue(VDLPM(QStringLiteral("a"), QStringLiteral("ON")));
    EXPECT_EQ(vokSafeValueForKeyPath(pm, valueKey), QVariant(QStringLiteral("ON")));
    EXPECT_FALSE(vokSafeValueForKeyPath(QVariant::fromValue(VDLPM()), valueKey).isValid()) << "none reads as none";

    const QMetaProperty property = VDLPM::staticMetaObject.property(VDLPM::staticMetaObject.indexOfProperty("value"));
    const VOKAttributedString styled = vokAttributedStringNoCLip(QStringLiteral("[c:Blue]42"));
    ASSERT_TRUE(property.writeOnGadget(pm.data(), QVariant::fromValue(styled)));
    EXPECT_EQ(pm.value<VDLPM>().value, VDLPM::Value(styled));
    EXPECT_EQ(vokSafeValueForKeyPath(pm, valueKey).value<VOKAttributedString>(), styled);
    ASSERT_TRUE(property.writeOnGadget(pm.data(), QStringLiteral("")));
    EXPECT_EQ(pm.value<VDLPM>().value, VDLPM::Value(QStringLiteral("")));
    ASSERT_TRUE(property.writeOnGadget(pm.data(), QVariant()));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(pm.value<VDLPM>().value));
}

TEST(VDLPM, PublishUrls)
{
    EXPECT_EQ(VDLPM(QStringLiteral("a/b"), QStringLiteral("21.5"), 1, true).urlWithHost(QStringLiteral("H"), 1883).toString(),
              QStringLiteral("mqtt://h:1883/a/b?value=21.5&qos=1&retain=1"));
    VDLPM bare;
    bare.path = QStringLiteral("a");
    EXPECT_EQ(bare.urlWithHost(QStringLiteral("h"), 1883).toString(QUrl::FullyEncoded), QStringLiteral("mqtt://h:1883/a"));
    EXPECT_EQ(VDLPM().urlWithHost(QStringLiteral("h"), 1).toString(), QStringLiteral("mqtt://h:1/"));
    EXPECT_EQ(bare.urlWithHost(QStringLiteral("fe80::1"), 1883).toString(), QStringLiteral("mqtt://[fe80::1]:1883/a"));

    // Whatever the parts hold, they read back exactly.
    const VDLPM awkward = VDLPM(QStringLiteral("a b/#/+/?x%"), QStringLiteral("a&b=c+d #e%f?\u00e9"), 2);
    const QUrl url = awkward.urlWithHost(QStringLiteral("broker"), 1884);
    EXPECT_TRUE(url.isValid());
    const QUrl reparsed(url.toString(QUrl::FullyEncoded), QUrl::StrictMode);
    EXPECT_EQ(reparsed.path(QUrl::FullyDecoded), QStringLiteral("/a b/#/+/?x%"));
    EXPECT_EQ(QUrlQuery(reparsed).queryItemValue(QStringLiteral("value"), QUrl::FullyDecoded),
              QStringLiteral("a&b=c+d #e%f?\u00e9"));
    EXPECT_EQ(QUrlQuery(reparsed).queryItemValue(QStringLiteral("qos")), QStringLiteral("2"));
}

TEST(VDLPM, TruncationAgreesWithCuttingOneCharacterAtATime)
{
    VOKTextAttributes attributes;
    attributes.font = QGuiApplication::font();
    const QString text = QStringLiteral("livingroom/sensors/temperature/ground floor/window \U0001F600 end");
    const qreal full = QFontMetricsF(*attributes.font).horizontalAdvance(text);
    for (qreal width = 0; width <= full + 10; width += 7)
        EXPECT_EQ(VDLPM::truncateString(text, width, attributes), truncatedOneByOne(text, width, attributes)) << width;
    EXPECT_EQ(VDLPM::truncateString(QString(), -5, attributes), QStringLiteral("\u2026"));
    EXPECT_EQ(VDLPM::truncateString(text, full, attributes), text);
}

TEST(VDLPM, HistoryMenuLineIsOneLineWithSymbolsFlushRight)
{
    const VOKAttributedString line =
        VDLPM(QStringLiteral("a/b"), QStringLiteral("x\r\ny\u2028z"), 2, true).attributedStringWithTabWidth(800);
    EXPECT_TRUE(line.string().startsWith(QStringLiteral("a/b \u2014 x  y z\t")));
    EXPECT_EQ(line.string().count(VOKAttributedString::AttachmentCharacter), 2); // retained, QoS 2
    EXPECT_EQ(line.attributesAt(0).rightTabStop, 800);

    const QString longPath(400, QLatin1Char('p'));
    const VOKAttributedString cut = VDLPM(longPath, QStringLiteral("value"), 0).attributedStringWithTabWidth(200);
    EXPECT_TRUE(cut.string().contains(QStringLiteral("\u2026 \u2014 \u2026\t")));
    EXPECT_EQ(cut.string().count(VOKAttributedString::AttachmentCharacter), 1);
}

#include "VDLPM.h"
#include "VOKKeyPath.h"

#include <QMetaProperty>
#include <QUrlQuery>

#include <gtest/gtest.h>

TEST(VDLPM, EqualityAndHashCompareAllFourFieldsAndTheValuesKind)
{
    EXPECT_EQ(VDLPM(QStringLiteral("a"), QStringLiteral("1")), VDLPM(QStringLiteral("a"), QStringLiteral("1")));
    EXPECT_EQ(qHash(VDLPM(QStringLiteral("a"), QStringLiteral("1"))), qHash(VDLPM(QStringLiteral("a"), QStringLiteral("1"))));
    EXPECT_NE(VDLPM(QStringLiteral("a"), QStringLiteral("1"), 0), VDLPM(QStringLiteral("a"), QStringLiteral("1"), 1));
    EXPECT_NE(VDLPM(QStringLiteral("a"), QStringLiteral("1")), VDLPM(QStringLiteral("a"), QStringLiteral("1"), 0, true));
    VDLPM styled = VDLPM(QStringLiteral("a"), QString());
    styled.value = VOKMarkup(QStringLiteral("[c:Blue]1[s:r.square]"));
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
    const VOKMarkup styled(QStringLiteral("[c:Blue]42"));
    ASSERT_TRUE(property.writeOnGadget(pm.data(), QVariant::fromValue(styled)));
    EXPECT_EQ(pm.value<VDLPM>().value, VDLPM::Value(styled));
    EXPECT_EQ(vokSafeValueForKeyPath(pm, valueKey).value<VOKMarkup>(), styled);
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

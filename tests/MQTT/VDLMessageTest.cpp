#include "LogCapture.h"
#include "MessageFactory.h"
#include "VOKData.h"
#include "VOKJSONReader.h"

#include <gtest/gtest.h>

namespace {

struct Expected
{
    QByteArray payload;
    VDLPayloadType type;
    QString summary;
    int alignment;
};

} // namespace

TEST(VDLMessage, ClassifiesAndSummarisesPayloads)
{
    const QList<Expected> cases{
        {"21.5", VDLPayloadType::Number, QStringLiteral("# 21.5"), VDLMessage::RightAlignment},
        {" 21.50 ", VDLPayloadType::Number, QStringLiteral("# 21.5"), VDLMessage::RightAlignment},
        {"1e3", VDLPayloadType::Number, QStringLiteral("# 1000"), VDLMessage::RightAlignment},
        {"9007199254740993", VDLPayloadType::Number, QStringLiteral("# 9007199254740993"), VDLMessage::RightAlignment},
        {"on", VDLPayloadType::Text, QStringLiteral("$ on"), VDLMessage::LeftAlignment},
        {"007", VDLPayloadType::Text, QStringLiteral("$ 007"), VDLMessage::LeftAlignment},
        {"true", VDLPayloadType::Boolean, QStringLiteral("true"), VDLMessage::RightAlignment},
        {" true", VDLPayloadType::Number, QStringLiteral("# 1"), VDLMessage::RightAlignment},
        {"{\"a\":\"bcd\"}", VDLPayloadType::JSON, QStringLiteral("{11}"), VDLMessage::LeftAlignment},
        {"[1,2]", VDLPayloadType::JSON, QStringLiteral("{5}"), VDLMessage::LeftAlignment},
        {"\"abc\"", VDLPayloadType::JSON, QStringLiteral("{5}"), VDLMessage::LeftAlignment},
        {"null", VDLPayloadType::JSON, QStringLiteral("{4}"), VDLMessage::LeftAlignment},
        {"{broken", VDLPayloadType::Text, QStringLiteral("$ {broken"), VDLMessage::LeftAlignment},
        {QByteArray("ab\0cd", 5), VDLPayloadType::RawData, QStringLiteral("[5]"), VDLMessage::LeftAlignment},
        {"ab\x1b" "cd", VDLPayloadType::RawData, QStringLiteral("[5]"), VDLMessage::LeftAlignment},
        {"\xff\xfe", VDLPayloadType::RawData, QStringLiteral("[2]"), VDLMessage::LeftAlignment},
    };
    for (const Expected &expected : cases) {
        const VDLMessagePtr message = makeMessage("t", expected.payload);
        EXPECT_EQ(message->type(), expected.type) << expected.payload.constData();
        EXPECT_EQ(message->summary(), expected.summary) << expected.payload.constData();
        EXPECT_EQ(message->summaryAlignment(), expected.alignment) << expected.payload.constData();
    }
}

TEST(VDLMessage, OnlyStrictJSONIsJSONAndEverythingElseFallsToTextOrRawData)
{
    const QByteArray deepest = QByteArray(VOKJSONReader::MaxDepth, '[') + QByteArray(VOKJSONReader::MaxDepth, ']');
    const QList<QByteArray> json{
        R"( {"a" : [1, -0, 0.5, -1.5e-3, 1E+5, true, false, null, {}, []]} )",
        R"(["\"\\\/\b\f\n\r\t\u00e9\ud83d\ude00", "é", ""])",
        R"({"":1,"":2})",
        "\"\\u0000\"",
        deepest,
    };
    for (const QByteArray &payload : json) {
        const VDLMessagePtr message = makeMessage("t", payload);
        EXPECT_EQ(message->type(), VDLPayloadType::JSON) << payload.left(80).constData();
        EXPECT_EQ(message->summary(), QStringLiteral("{%1}").arg(payload.size()));
    }

    // What lenient readers took: each is shown for what it is, text or raw data.
    const QList<QByteArray> text{
        "[1.]", "[.5]", "[-2.]", "[2.e3]", "[01]", "[+1]", "[1e]", "[-]", "[0x10]", "[NaN]", "[Infinity]",
        "[\"a\tb\"]", "[\"a\nb\"]",
        R"(["\a"])", R"(["\x00"])", R"(["\U0041"])", R"(["\u12"])",
        R"(["\ud800"])", R"(["\udc00"])", R"(["\ud800\u0041"])",
        R"({"a":1,})", "[1,]", "[1 2]", R"({"a" 1})", "{a:1}", "['a']", R"("a","b")", "{} x", "{}{}", "[1]]", "[1",
        "[tru]", "[True]", "[nulll]", "[1 /* note */]",
        "\xEF\xBB\xBF{}",
        QByteArray(VOKJSONReader::MaxDepth + 1, '[') + QByteArray(VOKJSONReader::MaxDepth + 1, ']'),
    };
    for (const QByteArray &payload : text) {
        const VDLMessagePtr message = makeMessage("t", payload);
        EXPECT_EQ(message->type(), VDLPayloadType::Text) << payload.left(80).constData();
        EXPECT_EQ(message->summary(), QStringLiteral("$ ") + vokUTF8String(payload));
    }
    for (const QByteArray &payload : {QByteArray("[\"a\x01\"]"), QByteArray("[\"\\n\xff\"]"), QByteArray("{\"\xc3\x28\":1}")})
        EXPECT_EQ(makeMessage("t", payload)->type(), VDLPayloadType::RawData) << payload.constData();

    // The reader that builds values agrees with the one that classifies.
    for (const QList<QByteArray> &group : {json, text})
        for (const QByteArray &payload : group)
            EXPECT_EQ(VOKJSONReader::read(payload, true).isValid(), group == json) << payload.left(80).constData();
}

TEST(VDLMessage, NumbersKeepEveryDigitADoubleWouldChange)
{
    const QList<std::pair<QByteArray, QString>> numbers{
        {"123456789012345678901234567890", QStringLiteral("# 123456789012345678901234567890")},
        {"-18446744073709551617", QStringLiteral("# -18446744073709551617")},
        {"3.14159265358979323846264338327950288", QStringLiteral("# 3.14159265358979323846264338327950288")},
        {"1e400", QStringLiteral("# 1e400")},
        {"2.5e-400", QStringLiteral("# 2.5e-400")},
        {"0.1", QStringLiteral("# 0.1")},
        {"1.50", QStringLiteral("# 1.5")},
        {"-0", QStringLiteral("# 0")},
    };
    for (const auto &[payload, summary] : numbers)
        EXPECT_EQ(makeMessage("t", payload)->summary(), summary);

    const QByteArray document =
        R"({"id":12345678901234567891,"big":-123456789012345678901234567890,"pi":3.14159265358979323846,"x":1.50,"n":[1e400]})";
    const QString printed = makeMessage("t", document)->attributedContent()->plainText();
    for (const char *digits : {"12345678901234567891", "-123456789012345678901234567890", "3.14159265358979323846", "\"x\": 1.5\n", "1e400"})
        EXPECT_TRUE(printed.contains(QLatin1String(digits))) << digits << "\n" << qPrintable(printed);
    // And what is printed reads back as the same values.
    EXPECT_EQ(VOKJSONReader::read(printed.toUtf8(), false), VOKJSONReader::read(document, false));
}

TEST(VDLMessage, EmptyPayloadIsNotAnalysed)
{
    const VDLMessagePtr message = makeMessage("t", QByteArray());
    EXPECT_EQ(message->typeNumber(), 0u);
    EXPECT_TRUE(message->summary().isNull());
    EXPECT_TRUE(message->rawContent().isNull());
    ASSERT_TRUE(message->attributedContent().has_value());
    EXPECT_TRUE(message->attributedContent()->isEmpty());
}

TEST(VDLMessage, DisplayFormsKeepTheReceivedText)
{
    const VDLMessagePtr text = makeMessage("a/b", "hello [c:Red] world", true);
    EXPECT_EQ(text->payloadFirstTerm(), QStringLiteral("hello"));
    EXPECT_EQ(text->attributedContent()->plainText(), QStringLiteral("hello [c:Red] world"));
    const VDLPM pm = text->pm();
    EXPECT_EQ(pm.path, QStringLiteral("a/b"));
    EXPECT_EQ(pm.valueAsString(), QStringLiteral("hello [c:Red] world"));
    EXPECT_EQ(pm.qos, 0);
    EXPECT_TRUE(pm.doRetain);

    EXPECT_EQ(makeMessage("t", "21.50")->attributedContent()->plainText(), QStringLiteral("21.50"));
    EXPECT_EQ(makeMessage("t", QByteArray("\x01\x02\x03\x04\xff", 5))->rawContent(), QStringLiteral("<01020304 ff>"));
    const QString pretty = makeMessage("t", "{\"k\":[1]}")->attributedContent()->plainText();
    EXPECT_TRUE(pretty.contains(QStringLiteral("\"k\""))) << qPrintable(pretty);
}

TEST(VDLMessage, TopLevelStringOrNullHasNoStyledContentAndLogsOnceAndBriefly)
{
    LogCapture log;
    const VDLMessagePtr longString = makeMessage("t", '"' + QByteArray(100000, 'x') + '"');
    // The value pane asks again at every refresh.
    for (int refresh = 0; refresh < 5; ++refresh)
        EXPECT_FALSE(longString->attributedContent().has_value());
    EXPECT_FALSE(makeMessage("t", "null")->attributedContent().has_value());
    const QStringList errors = log.linesContaining(QStringLiteral(": ERROR: "));
    ASSERT_EQ(errors.size(), 2);
    EXPECT_LT(errors.first().size(), 400);
    EXPECT_TRUE(errors.first().contains(QStringLiteral("(100002 bytes)")));
}

TEST(VDLMessage, HostileOrHugePayloadsFallBackSoundly)
{
    LogCapture log;
    const VDLMessagePtr deep = makeMessage("t", QByteArray(100000, '[') + QByteArray(100000, ']'));
    EXPECT_EQ(deep->type(), VDLPayloadType::Text);
    EXPECT_FALSE(deep->attributedContent()->isEmpty());

    const QByteArray digits(400, '7');
    const VDLMessagePtr longNumber = makeMessage("t", digits);
    EXPECT_EQ(longNumber->type(), VDLPayloadType::Number);
    EXPECT_EQ(longNumber->summary(), QStringLiteral("# ") + QString::fromLatin1(digits));

    const QByteArray big(16 * 1024 * 1024, 'x');
    const VDLMessagePtr huge = makeMessage("t", big);
    EXPECT_EQ(huge->type(), VDLPayloadType::Text);
    EXPECT_EQ(huge->summary().size(), big.size() + 2);
    const VDLMessagePtr hugeRaw = makeMessage("t", QByteArray(16 * 1024 * 1024, '\0'));
    EXPECT_EQ(hugeRaw->summary(), QStringLiteral("[16777216]"));
}

TEST(VDLMessage, HomeAssistantDiscoveryNamesDeviceAndEntity)
{
    const QByteArray entity = R"({"name":"T","device":{"name":"D"}})";
    const QByteArray withArea = R"({"name":"T","device":{"name":"D","suggested_area":"K"}})";
    EXPECT_EQ(makeMessage("homeassistant/sensor/x/config", entity)->homeAssistantSummary(), QStringLiteral("D - T"));
    EXPECT_EQ(makeMessage("homeassistant/sensor/x/config", withArea)->homeAssistantSummary(),
              QStringLiteral("[K] D - T"));
    EXPECT_EQ(makeMessage("homeassistant/device/x/config", entity)->homeAssistantSummary(), QStringLiteral("D"));
    EXPECT_TRUE(makeMessage("homeassistant/sensor/x/config", "[1]")->homeAssistantSummary().isNull());
    EXPECT_TRUE(makeMessage("homeassistant/sensor/x/state", entity)->homeAssistantSummary().isNull());
    EXPECT_TRUE(makeMessage("homeassistant/sensor/x/config", R"({"device":"D"})")->homeAssistantSummary().isNull());
}

#include "LogCapture.h"
#include "MockClock.h"
#include "VOKKeyPath.h"
#include "VOKMosquittoMessage.h"

#include <mosquitto.h>

#include <gtest/gtest.h>

namespace {

VOKMosquittoMessagePtr makeMessage(const QByteArray &topic, const QByteArray &payload, int qos = 0,
                                   bool retain = false)
{
    mosquitto_message message{};
    message.mid = 7;
    message.topic = const_cast<char *>(topic.constData());
    message.payload = const_cast<char *>(payload.constData());
    message.payloadlen = int(payload.size());
    message.qos = qos;
    message.retain = retain;
    return std::make_shared<const VOKMosquittoMessage>(message);
}

} // namespace

TEST(VOKMosquittoMessage, CopiesTheLibraryMessage)
{
    const MockClock clock(QDateTime(QDate(2024, 5, 1), QTime(12, 0)));
    QByteArray payload("on");
    const auto message = makeMessage("a/b", payload, 1, true);
    payload[0] = 'X'; // the record keeps its own copy
    EXPECT_EQ(message->topic(), QStringLiteral("a/b"));
    EXPECT_EQ(message->data(), QByteArray("on"));
    EXPECT_EQ(message->mid(), 7);
    EXPECT_EQ(message->qos(), 1);
    EXPECT_TRUE(message->isRetained());
    EXPECT_EQ(message->created(), clock.currentDateTime());
    EXPECT_EQ(message->isRetainedDisplay(), QStringLiteral("[s:r.square]"));
    EXPECT_TRUE(message->description().endsWith(QStringLiteral(">  a/b qos 1 retained: on")));
    EXPECT_TRUE(message->description().startsWith(QStringLiteral("<VOKMosquittoMessage: 0x")));
    EXPECT_TRUE(makeMessage("a", "x")->isRetainedDisplay().isNull());
}

TEST(VOKMosquittoMessage, ZeroLengthPayloadIsNone)
{
    const auto message = makeMessage("a", QByteArray());
    EXPECT_TRUE(message->data().isNull());
    EXPECT_TRUE(message->payload().isNull());
    EXPECT_EQ(message->payloadAsDouble(), 0);
    EXPECT_FALSE(message->json().isValid());
    EXPECT_FALSE(message->jsonF().isValid());
}

TEST(VOKMosquittoMessage, InvalidUTF8KeepsTheBytes)
{
    const QByteArray bytes("\xff\xfe\x80", 3);
    const auto message = makeMessage("\xc3\x28", bytes);
    EXPECT_TRUE(message->topic().isNull());
    EXPECT_EQ(message->data(), bytes);
    EXPECT_TRUE(message->payload().isNull());
    EXPECT_EQ(message->payloadAsDouble(), 0);

    mosquitto_message withoutTopic{};
    EXPECT_EQ(VOKMosquittoMessage(withoutTopic).topic(), QStringLiteral(""));
}

TEST(VOKMosquittoMessage, ReadsTheLeadingNumber)
{
    EXPECT_EQ(makeMessage("a", "42.5")->payloadAsDouble(), 42.5);
    EXPECT_EQ(makeMessage("a", "  -3e2 kW")->payloadAsDouble(), -300);
    EXPECT_EQ(makeMessage("a", "+7")->payloadAsDouble(), 7);
    EXPECT_EQ(makeMessage("a", "42abc")->payloadAsDouble(), 42);
    EXPECT_EQ(makeMessage("a", "abc")->payloadAsDouble(), 0);
    EXPECT_EQ(makeMessage("a", "inf")->payloadAsDouble(), 0);
    EXPECT_EQ(makeMessage("a", "1e999")->payloadAsDouble(), 0);
}

TEST(VOKMosquittoMessage, ParsesJSONWithAndWithoutFragments)
{
    LogCapture log;
    EXPECT_EQ(makeMessage("a", R"({"state":"on"})")->json().toMap().value(QStringLiteral("state")),
              QStringLiteral("on"));
    EXPECT_EQ(makeMessage("a", "[1,2]")->jsonF().toList().size(), 2);
    EXPECT_EQ(makeMessage("a", "42")->jsonF(), QVariant(42.0));
    EXPECT_EQ(makeMessage("a", R"("text")")->jsonF(), QVariant(QStringLiteral("text")));
    EXPECT_TRUE(log.lines().isEmpty());

    EXPECT_FALSE(makeMessage("a", "42")->json().isValid()); // fragments only through jsonF
    EXPECT_FALSE(makeMessage("a", "{nope")->jsonF().isValid());
    EXPECT_FALSE(makeMessage("a", "1, 2")->jsonF().isValid());
    EXPECT_FALSE(makeMessage("a", "1],[2")->jsonF().isValid());
    ASSERT_EQ(log.lines().size(), 4);
    EXPECT_TRUE(log.lines()[1].contains(QStringLiteral(": ERROR: Error creating object from JSON: ")));
    EXPECT_TRUE(log.lines()[1].endsWith(QStringLiteral("\nJSON String: {nope")));
}

TEST(VOKMosquittoMessage, KeyPathsReadThroughSharedRecords)
{
    vokRegisterMosquittoMessageType();
    const QVariant message = QVariant::fromValue(makeMessage("a/b", "21.5"));
    EXPECT_EQ(vokSafeValueForKeyPath(message, QStringLiteral("payload")), QStringLiteral("21.5"));
    EXPECT_EQ(vokSafeValueForKeyPath(message, QStringLiteral("payloadAsDouble")), QVariant(21.5));
}

#include "LogCapture.h"
#include "VOKMosquittoClient.h"
#include "VOKMosquittoTopic.h"
#include "VOKMosquittoTopicMatch.h"

#include <mosquitto.h>

#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

namespace {

VOKMosquittoMessagePtr messageOn(const QByteArray &topic)
{
    mosquitto_message message{};
    message.topic = const_cast<char *>(topic.constData());
    return std::make_shared<const VOKMosquittoMessage>(message);
}

VOKMosquittoTopicMatch matchOf(const QString &filter, const QByteArray &topic)
{
    return VOKMosquittoTopicMatch(std::make_shared<VOKMosquittoTopic>(filter, nullptr), messageOn(topic));
}

} // namespace

TEST(VOKMosquittoTopicMatch, TrailingSlashListensBelowThePrefix)
{
    EXPECT_EQ(VOKMosquittoTopic(QStringLiteral("a/b/"), nullptr).topic(), QStringLiteral("a/b/#"));
    EXPECT_EQ(VOKMosquittoTopic(QStringLiteral("a/b"), nullptr).topic(), QStringLiteral("a/b"));
    const auto match = matchOf(QStringLiteral("a/b/#"), "a/b/c/d");
    EXPECT_TRUE(match.match());
    EXPECT_EQ(match.subTopic(), QStringLiteral("c/d"));
    EXPECT_TRUE(match.matches().isEmpty());
}

TEST(VOKMosquittoTopicMatch, PlusMatchesOneLevelAndPrefixesMatchBelow)
{
    const auto match = matchOf(QStringLiteral("a/+/c"), "a/x/c");
    EXPECT_TRUE(match.match());
    EXPECT_EQ(match.matches(), QStringList{QStringLiteral("x")});
    EXPECT_TRUE(match.subTopic().isNull());
    EXPECT_FALSE(matchOf(QStringLiteral("a/+/c"), "a/x/d").match());
    EXPECT_TRUE(matchOf(QStringLiteral("a/+/c"), "a/x/d").matches().isEmpty());
    EXPECT_EQ(matchOf(QStringLiteral("a/+/c"), "a/x/c/e").matches(), QStringList{QStringLiteral("x")});
    EXPECT_TRUE(matchOf(QStringLiteral("a/b"), "a/b/c").match());
    EXPECT_FALSE(matchOf(QStringLiteral("A/b"), "a/b").match());
    EXPECT_FALSE(matchOf(QStringLiteral("a+/b"), "ax/b").match()); // a wildcard only as a whole level
}

TEST(VOKMosquittoTopicMatch, HashCoversTheRest)
{
    EXPECT_EQ(matchOf(QStringLiteral("a/#"), "a/").subTopic(), QStringLiteral(""));
    EXPECT_FALSE(matchOf(QStringLiteral("a/#"), "a").match());
    EXPECT_EQ(matchOf(QStringLiteral("#"), "x/y/z").subTopic(), QStringLiteral("x/y/z"));
    EXPECT_FALSE(VOKMosquittoTopicMatch(std::make_shared<VOKMosquittoTopic>(QStringLiteral("#"), nullptr),
                                        messageOn("\xff"))
                     .match()); // a topic that is not UTF-8 matches nothing

    LogCapture log;
    const auto misplaced = matchOf(QStringLiteral("a/#/b"), "a/x/b");
    EXPECT_TRUE(misplaced.match());
    EXPECT_EQ(misplaced.subTopic(), QStringLiteral("x/b"));
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines()[0].contains(QStringLiteral(": ERROR: topic wildcard '#' not at end of topic: <VOKMosquittoTopicMatch: 0x")));
    EXPECT_TRUE(log.lines()[0].endsWith(QStringLiteral("  topic: a/#/b  subTopic match: x/b  matches: ()")));
}

TEST(VOKMosquittoTopic, CallsBackOnlyForMatchesAndNeverWithoutCallback)
{
    int calls = 0;
    QStringList seen;
    const auto topic = std::make_shared<VOKMosquittoTopic>(QStringLiteral("home/+/temp"),
                                                           [&](const VOKMosquittoTopicMatch &match) {
                                                               ++calls;
                                                               seen += match.matches();
                                                           });
    topic->handleMessage(messageOn("home/kitchen/temp"));
    topic->handleMessage(messageOn("home/kitchen/humidity"));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seen, QStringList{QStringLiteral("kitchen")});
    topic->unregister(); // not registered anywhere: only drops the callback
    topic->handleMessage(messageOn("home/hall/temp"));
    EXPECT_EQ(calls, 1);
}

TEST(VOKMosquittoTopic, UnregisterOnAnotherThreadNeverCallsAnEmptyCallback)
{
    // Each round races handleMessage against unregister; an emptied callback read after the test
    // would throw std::bad_function_call and end the program.
    for (int round = 0; round < 200; ++round) {
        std::atomic<int> calls{0};
        const auto topic = std::make_shared<VOKMosquittoTopic>(
            QStringLiteral("#"), [&calls](const VOKMosquittoTopicMatch &) { ++calls; });
        const auto message = messageOn("a/b");
        std::unique_ptr<QThread> handler(QThread::create([&] {
            for (int index = 0; index < 50; ++index)
                topic->handleMessage(message);
        }));
        handler->start();
        topic->unregister();
        handler->wait();
        EXPECT_FALSE(topic->hasCallback());
    }
}

TEST(VOKMosquittoTopic, PublishesBelowItsPrefixWithoutAddingASeparator)
{
    VOKMosquittoClient client(QStringLiteral("127.0.0.1"));
    const auto withSlash = std::make_shared<VOKMosquittoTopic>(QStringLiteral("dev/"), nullptr);
    const auto withoutSlash = std::make_shared<VOKMosquittoTopic>(QStringLiteral("dev"), nullptr);
    client.registerTopic(withSlash);
    client.registerTopic(withoutSlash);
    EXPECT_EQ(withSlash->mqttClient(), &client);

    withSlash->publishTopicString(QStringLiteral("cmd"), QStringLiteral("go"), true);
    withoutSlash->publishTopicString(QStringLiteral("cmd"), QStringLiteral("go"), false);
    withSlash->publishTopicNumber(QStringLiteral("n"), 42.5, false);
    withSlash->publishTopicJSON(QStringLiteral("j"), QVariantMap{{QStringLiteral("on"), true}}, false);
    LogCapture log;
    withSlash->publishTopicJSON(QStringLiteral("bad"), QVariant(3), true); // not published at all
    EXPECT_EQ(log.linesContaining(QStringLiteral("Error creating JSON: ")).size(), 1);

    const QList<VOKMosquittoPublication> queue = client.publishQueue();
    ASSERT_EQ(queue.size(), 4);
    EXPECT_EQ(queue[0].topic, QStringLiteral("dev/cmd"));
    EXPECT_TRUE(queue[0].retain);
    EXPECT_EQ(queue[1].topic, QStringLiteral("devcmd"));
    EXPECT_EQ(queue[2].data, QByteArray("42.5"));
    EXPECT_EQ(queue[3].data, QByteArray(R"({"on":true})"));

    withSlash->unregister();
    EXPECT_EQ(client.topics().size(), 1);
}

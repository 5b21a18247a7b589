#include "LogCapture.h"
#include "MessageFactory.h"
#include "MosquittoBroker.h"
#include "TestHosts.h"
#include "TopicNotices.h"
#include "VDLClient.h"
#include "VDLTopic.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int waitMilliseconds = 10000;

// Remembers every delegate call in order.
class RecordingDelegate : public VDLClientDelegate
{
public:
    QStringList calls;
    QList<int> reasons;

    void clientDataWillChange(VDLClient *) override { calls.append(QStringLiteral("will")); }
    void clientDataDidChange(VDLClient *) override { calls.append(QStringLiteral("did")); }
    void clientDidConnectWithPath(VDLClient *, const QString &path) override
    {
        calls.append(QStringLiteral("connected ") + path);
    }
    void clientConnectionFailedWithReason(VDLClient *, int reason) override { reasons.append(reason); }
};

// Exposes the hooks for refusal codes a real broker does not send.
class HookClient : public VDLClient
{
public:
    using VDLClient::VDLClient;
    void refuse(int code) { clientConnectionFailed(code); }
};

struct Viewer
{
    explicit Viewer(int port, const QString &path = QString())
        : client(QStringLiteral("127.0.0.1"), port)
    {
        client.setDelegate(&delegate);
        client.connectWithPath(path);
    }
    bool waitUntilConnected(int connects = 1)
    {
        return QTest::qWaitFor([&] { return delegate.calls.count(QStringLiteral("connected ") + client.path()) >= connects; },
                               waitMilliseconds);
    }
    VDLTopic *topic(const QString &name) { return client.topicAt(name, false); }

    RecordingDelegate delegate;
    VDLClient client;
};

struct Publisher
{
    explicit Publisher(int port) : client(QStringLiteral("127.0.0.1"), port) { client.connectToBroker(); }
    bool waitUntilConnected()
    {
        return QTest::qWaitFor([&] { return client.isConnected(); }, waitMilliseconds);
    }
    void publish(const QString &topic, const QByteArray &payload, bool retain = false)
    {
        client.publishTopic(topic, payload, retain);
    }
    VOKMosquittoClient client;
};

} // namespace

TEST(VDLClient, PathsAndUrls)
{
    VDLClient client(QStringLiteral("::1"), 1884);
    EXPECT_TRUE(client.rootTopics().isEmpty());
    EXPECT_EQ(client.keychainService(), QStringLiteral("Vindle:::1:1884"));
    for (const QString &path : {QStringLiteral("a b/c"), QStringLiteral("a b/c/")}) {
        client.disconnectFromBroker();
        client.connectWithPath(path);
        EXPECT_EQ(client.path(), QStringLiteral("a b/c/#"));
        EXPECT_EQ(client.urlS(), QStringLiteral("mqtt://[::1]:1884/a%20b/c"));
    }
    client.disconnectFromBroker();
    client.connectWithPath(QString());
    EXPECT_EQ(client.path(), QStringLiteral("#"));
    EXPECT_EQ(client.urlS(), QStringLiteral("mqtt://[::1]:1884"));
    client.disconnectFromBroker();
}

TEST(VDLClient, FilesBrokerMessagesIntoTheTree)
{
    LogCapture log;
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    Viewer viewer(broker.port(), QStringLiteral("a"));
    ASSERT_TRUE(viewer.waitUntilConnected());
    ASSERT_EQ(viewer.client.rootTopics().size(), 1);
    Publisher publisher(broker.port());
    ASSERT_TRUE(publisher.waitUntilConnected());

    publisher.publish(QStringLiteral("a/x/y"), "1");
    publisher.publish(QStringLiteral("a/never"), QByteArray());
    publisher.publish(QStringLiteral("a/x/y"), QByteArray());
    publisher.publish(QStringLiteral("b/outside"), "1");
    publisher.publish(QStringLiteral("a/x/z"), "2");
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.topic(QStringLiteral("a/x/z")); }, waitMilliseconds));

    EXPECT_EQ(viewer.topic(QStringLiteral("a/never")), nullptr);
    EXPECT_EQ(viewer.topic(QStringLiteral("b")), nullptr);
    const VDLTopic *const y = viewer.topic(QStringLiteral("a/x/y"));
    ASSERT_NE(y, nullptr);
    EXPECT_EQ(y->messages().size(), 2);
    EXPECT_TRUE(y->messageSummary().isNull());
    EXPECT_EQ(viewer.client.rootTopic()->totalMessages(), 3u);
    EXPECT_EQ(viewer.client.rootTopic()->totalTopics(), 2u);
    EXPECT_EQ(viewer.delegate.calls.count(QStringLiteral("will")), 4);
    EXPECT_EQ(viewer.delegate.calls.mid(1, 2), (QStringList{QStringLiteral("will"), QStringLiteral("did")}));
}

TEST(VDLClient, PauseHoldsMessagesUntilReleased)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    Viewer viewer(broker.port());
    ASSERT_TRUE(viewer.waitUntilConnected());
    Publisher publisher(broker.port());
    ASSERT_TRUE(publisher.waitUntilConnected());

    viewer.client.setPause(true);
    viewer.delegate.calls.clear();
    for (const QByteArray payload : {"1", "2", "3"})
        publisher.publish(QStringLiteral("p"), payload);
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.client.pendingMessageCount() == 3; }, waitMilliseconds));
    viewer.client.setPause(true);
    EXPECT_EQ(viewer.client.pendingMessageCount(), 3u);
    EXPECT_EQ(viewer.topic(QStringLiteral("p")), nullptr);
    EXPECT_TRUE(viewer.delegate.calls.isEmpty());

    TopicNotices notices(viewer.client);
    viewer.client.setPause(false);
    // The release is one batch, announced once after its did-change.
    ASSERT_EQ(notices.list().size(), 1);
    EXPECT_EQ(notices.list()[0].changedParents(), QList<VDLTopic *>{viewer.client.rootTopic()});
    EXPECT_FALSE(viewer.client.pause());
    EXPECT_EQ(viewer.client.pendingMessageCount(), 0u);
    EXPECT_EQ(viewer.delegate.calls, (QStringList{QStringLiteral("will"), QStringLiteral("did")}));
    const VDLTopic *const p = viewer.topic(QStringLiteral("p"));
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->messages().size(), 3);
    EXPECT_EQ(p->messages()[0]->payload(), QStringLiteral("1"));
    EXPECT_EQ(p->messageSummary(), QStringLiteral("# 3"));
}

TEST(VDLClient, RefusalsSetStatusTexts)
{
    LogCapture log;
    MosquittoBroker broker(QStringLiteral("user"), QStringLiteral("secret"));
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    RecordingDelegate delegate;
    VDLClient client(QStringLiteral("127.0.0.1"), broker.port());
    client.setDelegate(&delegate);
    client.setUsername(QStringLiteral("user"), QStringLiteral("wrong"));
    client.connectWithPath(QString());
    // The library reports the refusal, then the loss of the refused connection; the refusal's
    // text stays.
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.reasons.size() >= 2; }, waitMilliseconds));
    EXPECT_EQ(delegate.reasons.mid(0, 2), (QList<int>{5, 0}));
    EXPECT_EQ(client.connectionError(), QStringLiteral("Authentication failed"));
    client.disconnectFromBroker();

    HookClient hooks(QStringLiteral("127.0.0.1"), broker.port());
    hooks.setDelegate(&delegate);
    hooks.refuse(2);
    EXPECT_EQ(hooks.connectionError(), QStringLiteral("Connection failed, retrying…"));
    hooks.refuse(4);
    EXPECT_EQ(hooks.connectionError(), QStringLiteral("Authentication failed"));
    hooks.refuse(3);
    EXPECT_EQ(hooks.connectionError(), QStringLiteral("Broker unavailable, retrying…"));
    EXPECT_EQ(delegate.reasons.mid(delegate.reasons.size() - 3), (QList<int>{2, 4, 3}));

    const qsizetype refusals = delegate.reasons.count(5);
    client.connectToBroker();
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.reasons.count(5) > refusals; }, waitMilliseconds));
    client.reconnectWithUsername(QStringLiteral("user"), QStringLiteral("secret"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.calls.contains(QStringLiteral("connected #")); }, waitMilliseconds));
    EXPECT_TRUE(client.connectionError().isNull());
}

TEST(VDLClient, HostsThatCannotBeReachedNameTheCause)
{
    LogCapture log;
    RecordingDelegate delegate;
    VDLClient invalid(QStringLiteral("\u00e9 x"));
    invalid.setDelegate(&delegate);
    invalid.connectWithPath(QString());
    EXPECT_EQ(invalid.connectionError(), QStringLiteral("Invalid host name"));
    VDLClient unknown(unresolvableHost());
    unknown.setDelegate(&delegate);
    unknown.connectWithPath(QString());
    EXPECT_TRUE(QTest::qWaitFor([&] { return unknown.connectionError() == QStringLiteral("Unknown host"); }));
    EXPECT_EQ(delegate.reasons, (QList<int>{-3, -15}));
}

TEST(VDLClient, LostBrokerIsReportedAndReconnectKeepsTheTree)
{
    LogCapture log;
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    Viewer viewer(broker.port());
    ASSERT_TRUE(viewer.waitUntilConnected());
    {
        Publisher publisher(broker.port());
        ASSERT_TRUE(publisher.waitUntilConnected());
        publisher.publish(QStringLiteral("kept"), "1");
        ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.topic(QStringLiteral("kept")); }, waitMilliseconds));
    }
    broker.stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.delegate.reasons.contains(0); }, waitMilliseconds));
    EXPECT_EQ(viewer.client.connectionError(), QStringLiteral("Connection lost, retrying…"));
    // A viewer that never connected has lost nothing.
    Viewer latecomer(broker.port());
    ASSERT_TRUE(QTest::qWaitFor([&] { return latecomer.delegate.reasons.contains(0); }, waitMilliseconds));
    EXPECT_EQ(latecomer.client.connectionError(), QStringLiteral("Connection refused, retrying…"));
    ASSERT_TRUE(broker.start());
    ASSERT_TRUE(viewer.waitUntilConnected(2));
    EXPECT_TRUE(viewer.client.connectionError().isNull());
    EXPECT_NE(viewer.topic(QStringLiteral("kept")), nullptr);
    EXPECT_EQ(viewer.client.port(), broker.port());

    Publisher publisher(broker.port());
    ASSERT_TRUE(publisher.waitUntilConnected());
    publisher.publish(QStringLiteral("after"), "1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.topic(QStringLiteral("after")); }, waitMilliseconds));
}

TEST(VDLClient, DeletingRetainedTopicsClearsThemOnTheBroker)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    {
        Publisher publisher(broker.port());
        ASSERT_TRUE(publisher.waitUntilConnected());
        publisher.publish(QStringLiteral("r/a"), "1", true);
        publisher.publish(QStringLiteral("r/b"), "2", true);
        Viewer probe(broker.port());
        ASSERT_TRUE(QTest::qWaitFor([&] { return probe.topic(QStringLiteral("r/b")); }, waitMilliseconds));
    }
    Viewer viewer(broker.port());
    Viewer witness(broker.port());
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.topic(QStringLiteral("r/b")) && witness.topic(QStringLiteral("r/b")); },
                                waitMilliseconds));
    EXPECT_EQ(viewer.client.rootTopic()->totalRetainedTopics(), 2u);
    viewer.topic(QStringLiteral("r"))->recursiveDelete();
    EXPECT_EQ(viewer.client.rootTopic()->totalTopics(), 0u);
    // The second subscriber sees the empty retained messages that clear the topics.
    ASSERT_TRUE(QTest::qWaitFor([&] { return witness.client.rootTopic()->totalMessages() == 4; }, waitMilliseconds));
    EXPECT_TRUE(witness.topic(QStringLiteral("r/a"))->latestMessage()->data().isNull());

    // A newcomer gets the broker's retained messages before anything published after it
    // subscribed: once a later marker has arrived, a retained "r" would have too.
    Viewer late(broker.port());
    ASSERT_TRUE(late.waitUntilConnected());
    Publisher marker(broker.port());
    ASSERT_TRUE(marker.waitUntilConnected());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            marker.publish(QStringLiteral("marker"), "1");
            return QTest::qWaitFor([&] { return late.topic(QStringLiteral("marker")) != nullptr; }, 200);
        },
        waitMilliseconds));
    EXPECT_EQ(late.topic(QStringLiteral("r")), nullptr);
}

TEST(VDLClient, NonUTF8TopicsAreShownWithReplacementCharacters)
{
    HookClient client(QStringLiteral("127.0.0.1"));
    QByteArray topic("caf\xe9/x");
    mosquitto_message raw{};
    raw.topic = topic.data();
    struct Access : HookClient
    {
        using HookClient::createMessage;
    };
    const VOKMosquittoMessagePtr message = (client.*(&Access::createMessage))(raw);
    EXPECT_EQ(message->topic(), QString::fromUtf8(topic));
    EXPECT_TRUE(message->topic().contains(QChar::ReplacementCharacter));
}

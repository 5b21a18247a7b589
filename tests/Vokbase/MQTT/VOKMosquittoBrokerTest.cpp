// The client against a real mosquitto broker on loopback.

#include "LogCapture.h"
#include "MosquittoBroker.h"
#include "RecordingClient.h"
#include "VOKDispatch.h"
#include "VOKMosquittoTopic.h"
#include "VOKMosquittoTopicMatch.h"

#include <QMutex>
#include <QTest>

#include <mosquitto.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

const QString loopback = QStringLiteral("127.0.0.1");

bool waitFor(const std::function<bool()> &condition, int msecs = 15000)
{
    return QTest::qWaitFor(condition, msecs);
}

// Collects the messages of one filter, as the network thread delivers them.
class Inbox
{
public:
    std::shared_ptr<VOKMosquittoTopic> filter(const QString &prefix)
    {
        return std::make_shared<VOKMosquittoTopic>(prefix, [this](const VOKMosquittoTopicMatch &match) {
            const QMutexLocker locker(&m_mutex);
            m_offMainThread = m_offMainThread && !vokIsMainThread();
            m_messages.append(match.message());
        });
    }
    QList<VOKMosquittoMessagePtr> messages() const
    {
        const QMutexLocker locker(&m_mutex);
        return m_messages;
    }
    qsizetype size() const { return messages().size(); }
    bool offMainThread() const
    {
        const QMutexLocker locker(&m_mutex);
        return m_offMainThread;
    }

private:
    mutable QMutex m_mutex;
    QList<VOKMosquittoMessagePtr> m_messages;
    bool m_offMainThread = true;
};

// Publishes to one topic as fast as the broker takes it, from a thread of its own, with a handle
// of its own.
class Flooder
{
public:
    Flooder(int port, const char *topic)
        : m_mosq(mosquitto_new(nullptr, true, nullptr))
    {
        mosquitto_loop_start(m_mosq);
        mosquitto_connect(m_mosq, "127.0.0.1", port, 60);
        m_thread = std::thread([this, topic] {
            const QByteArray payload(64, 'x');
            for (int count = 1; !m_stop; ++count) {
                mosquitto_publish(m_mosq, nullptr, topic, int(payload.size()), payload.constData(), 0, false);
                if (count % 200 == 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    }
    ~Flooder()
    {
        m_stop = true;
        m_thread.join();
        mosquitto_disconnect(m_mosq);
        mosquitto_loop_stop(m_mosq, false);
        mosquitto_destroy(m_mosq);
    }
    Flooder(const Flooder &) = delete;
    Flooder &operator=(const Flooder &) = delete;

private:
    mosquitto *m_mosq;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

class VOKMosquittoBroker : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(broker.start()) << broker.errorString().toStdString(); }

    // A client connected to the broker, with the filter registered when one is given.
    std::unique_ptr<RecordingClient> connectedClient(const std::shared_ptr<VOKMosquittoTopic> &filter = nullptr)
    {
        auto client = std::make_unique<RecordingClient>(loopback, broker.port());
        if (filter)
            client->registerTopic(filter);
        EXPECT_TRUE(client->connectToBroker());
        EXPECT_TRUE(waitFor([&] { return client->connects == 1; }));
        return client;
    }

    LogCapture log;
    MosquittoBroker broker;
};

} // namespace

TEST_F(VOKMosquittoBroker, ReceivesOnTheNetworkThreadAndHandsOverToTheMainThread)
{
    Inbox inbox;
    const auto client = connectedClient(inbox.filter(QStringLiteral("t/")));
    EXPECT_TRUE(client->isConnected());
    const QByteArray large(5 * 1024 * 1024, '\xff'); // several megabytes, not UTF-8
    client->publishTopic(QStringLiteral("t/text"), QByteArray("hello"), false);
    client->publishTopic(QStringLiteral("t/large"), large, false);
    ASSERT_TRUE(waitFor([&] { return inbox.size() == 2; }));
    EXPECT_EQ(inbox.messages()[0]->payload(), QStringLiteral("hello"));
    EXPECT_EQ(inbox.messages()[1]->data(), large);
    EXPECT_TRUE(inbox.messages()[1]->payload().isNull());
    EXPECT_TRUE(inbox.offMainThread());
    EXPECT_TRUE(client->hooksOffMainThread);
    EXPECT_TRUE(waitFor([&] { return client->messagesOnMain == 2; }));

    // Registered while connected: subscribed at once. Without a callback: never subscribed.
    Inbox late;
    client->registerTopic(late.filter(QStringLiteral("late")));
    EXPECT_FALSE(client->subscribe(VOKMosquittoTopic(QStringLiteral("t/#"), nullptr)));
    client->publishTopic(QStringLiteral("late"), QByteArray("x"), false);
    EXPECT_TRUE(waitFor([&] { return late.size() == 1; }));
}

TEST_F(VOKMosquittoBroker, QueuedPublicationsFollowTheSubscriptionsInOrder)
{
    RecordingClient client(loopback, broker.port());
    Inbox own;
    client.publishTopic(QStringLiteral("q/1"), QByteArray("one"), false);
    client.publishTopic(QStringLiteral("q/2"), QByteArray(), false);
    client.publishTopic(QStringLiteral("q/3"), QByteArray("three"), true);
    client.registerTopic(own.filter(QStringLiteral("q/")));
    ASSERT_TRUE(client.connectToBroker());
    // The client hears its own queued messages only when its filter was subscribed first.
    ASSERT_TRUE(waitFor([&] { return own.size() == 3; }));
    EXPECT_TRUE(client.publishQueue().isEmpty());
    QStringList topics;
    for (const VOKMosquittoMessagePtr &message : own.messages())
        topics += message->topic();
    EXPECT_EQ(topics, (QStringList{QStringLiteral("q/1"), QStringLiteral("q/2"), QStringLiteral("q/3")}));
    EXPECT_TRUE(own.messages()[1]->data().isNull());
    EXPECT_EQ(own.messages()[0]->qos(), 0);

    Inbox retained; // only q/3 was published retained
    const auto later = connectedClient(retained.filter(QStringLiteral("q/")));
    ASSERT_TRUE(waitFor([&] { return retained.size() == 1; }));
    EXPECT_EQ(retained.messages()[0]->topic(), QStringLiteral("q/3"));
    EXPECT_TRUE(retained.messages()[0]->isRetained());
}

TEST_F(VOKMosquittoBroker, PublishingWithQoSReportsErrors)
{
    Inbox inbox;
    const auto client = connectedClient(inbox.filter(QStringLiteral("p/")));
    VOKError error;
    EXPECT_FALSE(client->publishTopic(QStringLiteral("p/x"), QByteArray("x"), 3, false, &error));
    EXPECT_EQ(error.code(), 3);
    EXPECT_EQ(error.localizedDescription(), QStringLiteral("Invalid input parameters"));
    EXPECT_TRUE(client->publishTopic(QStringLiteral("p/x"), QByteArray("x"), 1, false, &error));
    ASSERT_TRUE(waitFor([&] { return inbox.size() == 1; }));
    EXPECT_EQ(inbox.messages()[0]->qos(), 0); // subscribed at QoS 0
    EXPECT_TRUE(client->publishQueue().isEmpty());
}

TEST_F(VOKMosquittoBroker, ConnectingTwiceWarnsAndKeepsTheConnection)
{
    const auto client = connectedClient();
    mosquitto *const handle = client->mosq();
    EXPECT_FALSE(client->connectToBroker());
    EXPECT_EQ(log.linesContaining(QStringLiteral("WARNING: Beep: -connect called multiple times for")).size(), 1);
    EXPECT_EQ(log.beeps(), 1);
    EXPECT_EQ(client->mosq(), handle);
    EXPECT_TRUE(client->isConnected());
}

TEST_F(VOKMosquittoBroker, RestartedBrokerIsReconnectedWithFiltersAndQueue)
{
    Inbox inbox;
    const auto client = connectedClient(inbox.filter(QStringLiteral("r/")));
    broker.stop();
    ASSERT_TRUE(waitFor([&] { return client->unexpectedDisconnects >= 1; }));
    EXPECT_EQ(client->lastDisconnectCode, MOSQ_ERR_CONN_LOST);
    EXPECT_FALSE(client->isConnected());
    client->publishTopic(QStringLiteral("r/queued"), QByteArray("while away"), false);
    EXPECT_EQ(client->publishQueue().size(), 1);

    ASSERT_TRUE(broker.start()) << broker.errorString().toStdString();
    ASSERT_TRUE(waitFor([&] { return inbox.size() == 1; }, 30000));
    EXPECT_EQ(inbox.messages()[0]->payload(), QStringLiteral("while away"));
    EXPECT_EQ(client->connects, 2);
    // Still the plain server it was: the library reconnected the same handle.
    EXPECT_FALSE(client->useTLS());
    EXPECT_EQ(client->port(), broker.port());
    EXPECT_EQ(log.linesContaining(QStringLiteral("ERROR: Unexpected disconnect, result: 7")).size(), 1);
}

TEST_F(VOKMosquittoBroker, DisconnectReturnsAtOnceAndTheOldHandleIsSilent)
{
    Inbox inbox;
    const auto client = connectedClient(inbox.filter(QStringLiteral("d/")));
    broker.freeze(); // a broker that answers nothing: disconnecting must not wait for it
    client->disconnectFromBroker();
    EXPECT_EQ(client->mosq(), nullptr);
    EXPECT_TRUE(client->isConnected()); // no disconnect callback reaches the client
    EXPECT_TRUE(client->connectToBroker());
    EXPECT_NE(client->mosq(), nullptr);
    broker.thaw();
    ASSERT_TRUE(waitFor([&] { return client->connects == 2; }));
    // A stray copy of "once" through the old handle would come before that handle's copy of the
    // marker published after it, and both connections are served alike.
    client->publishTopic(QStringLiteral("d/x"), QByteArray("once"), false);
    client->publishTopic(QStringLiteral("d/marker"), QByteArray("after"), false);
    ASSERT_TRUE(waitFor([&] { return inbox.size() >= 2; }));
    ASSERT_EQ(inbox.size(), 2);
    EXPECT_EQ(inbox.messages()[1]->topic(), QStringLiteral("d/marker"));
    EXPECT_EQ(client->unexpectedDisconnects, 0);
    EXPECT_EQ(client->connects, 2);
}

TEST_F(VOKMosquittoBroker, DestroyingClientsWhileFloodedIsSafe)
{
    const Flooder flooder(broker.port(), "flood/x");
    // Hears the same flood, to show that it went on after each client was gone.
    std::atomic<int> witnessed{0};
    const auto witness = connectedClient(std::make_shared<VOKMosquittoTopic>(
        QStringLiteral("flood/"), [&witnessed](const VOKMosquittoTopicMatch &) { ++witnessed; }));
    for (int round = 0; round < 8; ++round) {
        // Counted outside the client, to be read once it is gone: deliveries on the network
        // thread, and the work each of them hands to the main thread bound to the client.
        const auto delivered = std::make_shared<std::atomic<int>>(0);
        const auto handedOver = std::make_shared<std::atomic<int>>(0);
        auto client = std::make_unique<RecordingClient>(loopback, broker.port());
        const RecordingClient *const context = client.get();
        client->registerTopic(std::make_shared<VOKMosquittoTopic>(
            QStringLiteral("flood/"), [delivered, handedOver, context](const VOKMosquittoTopicMatch &) {
                ++*delivered;
                vokOnMain(context, [handedOver] { ++*handedOver; });
            }));
        ASSERT_TRUE(client->connectToBroker());
        ASSERT_TRUE(waitFor([&] { return *handedOver > 100; }));
        client.reset(); // while its network thread is inside callbacks
        const int deliveredWhileAlive = *delivered;
        const int handedOverWhileAlive = *handedOver;
        // Main-thread work queued before the reset runs while this waits for more of the flood.
        const int witnessedAtReset = witnessed;
        ASSERT_TRUE(waitFor([&] { return witnessed > witnessedAtReset + 200; })) << "round " << round;
        EXPECT_EQ(*delivered, deliveredWhileAlive) << "round " << round;
        EXPECT_EQ(*handedOver, handedOverWhileAlive) << "round " << round;
    }
}

TEST_F(VOKMosquittoBroker, InternationalisedHostNamesConnectInTheirASCIIForm)
{
    // Full-width digits and full stops: the name whose ASCII form is 127.0.0.1.
    RecordingClient client(QStringLiteral("\uff11\uff12\uff17\uff0e\uff10\uff0e\uff10\uff0e\uff11"), broker.port());
    EXPECT_TRUE(client.connectToBroker());
    EXPECT_TRUE(waitFor([&] { return client.connects == 1; }));
    EXPECT_EQ(client.connectRequestFailures, 0);
}

TEST(VOKMosquittoAuthenticatingBroker, RefusedLoginsReachTheHookAndCredentialsConnect)
{
    LogCapture log;
    MosquittoBroker broker(QStringLiteral("alice"), QStringLiteral("secret"));
    ASSERT_TRUE(broker.start()) << broker.errorString().toStdString();

    RecordingClient wrong(loopback, broker.port());
    wrong.setUsername(QStringLiteral("alice"), QStringLiteral("wrong"));
    RecordingClient anonymous(loopback, broker.port());
    anonymous.setUsername(QString(), QStringLiteral("secret")); // no user name: nothing is sent
    ASSERT_TRUE(wrong.connectToBroker());
    ASSERT_TRUE(anonymous.connectToBroker());
    ASSERT_TRUE(waitFor([&] { return wrong.failures >= 1 && anonymous.failures >= 1; }));
    EXPECT_EQ(wrong.lastFailureCode, 5);
    EXPECT_EQ(anonymous.lastFailureCode, 5);
    EXPECT_FALSE(wrong.isConnected());
    EXPECT_GE(log.linesContaining(QStringLiteral("ERROR: clientConnectionFailed:  reasonCode: 5  (<VOKMosquittoClient")).size(), 2);

    wrong.reconnectWithUsername(QStringLiteral("alice"), QStringLiteral("secret"));
    EXPECT_TRUE(waitFor([&] { return wrong.connects == 1; }));
}

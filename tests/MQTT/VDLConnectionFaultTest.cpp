// A viewer reaches its broker through a FaultProxy that stalls, cuts or slows the link. Whatever
// the network does, the viewer has to notice a dead link in time, say so, come back by itself
// with its subscriptions, send what was published meanwhile in order, and never file a message
// it did not receive whole.

#include "FaultProxy.h"
#include "MosquittoBroker.h"
#include "VDLClient.h"
#include "VDLTopic.h"
#include "VOKMosquittoTopic.h"
#include "VOKMosquittoTopicMatch.h"

#include <QMutex>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

constexpr int waitMilliseconds = 10000;
constexpr int keepaliveSeconds = 5;
const QString lostText = QStringLiteral("Connection lost, retrying…");

class CountingDelegate : public VDLClientDelegate
{
public:
    int connects = 0;
    QList<int> reasons;

    void clientDataWillChange(VDLClient *) override {}
    void clientDataDidChange(VDLClient *) override {}
    void clientDidConnectWithPath(VDLClient *, const QString &) override { ++connects; }
    void clientConnectionFailedWithReason(VDLClient *, int reason) override { reasons.append(reason); }
};

// The payloads a filter received, in order; filled on the network thread.
class Received
{
public:
    std::shared_ptr<VOKMosquittoTopic> filter(const QString &prefix)
    {
        return std::make_shared<VOKMosquittoTopic>(prefix, [this](const VOKMosquittoTopicMatch &match) {
            const QMutexLocker locker(&m_mutex);
            m_payloads.append(match.message()->data());
        });
    }
    QList<QByteArray> payloads() const
    {
        const QMutexLocker locker(&m_mutex);
        return m_payloads;
    }

private:
    mutable QMutex m_mutex;
    QList<QByteArray> m_payloads;
};

// A broker, a viewer of "fault/#" behind the proxy with a filter of its own on "side/", and an
// observer connected to the broker directly.
class FaultyLink : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
        proxy = std::make_unique<FaultProxy>(broker.port());
        ASSERT_TRUE(proxy->listen());
        observer = std::make_unique<VOKMosquittoClient>(QStringLiteral("127.0.0.1"), broker.port());
        observer->registerTopic(observed.filter(QStringLiteral("fault/offline")));
        observer->connectToBroker();
        ASSERT_TRUE(QTest::qWaitFor([&] { return observer->isConnected(); }, waitMilliseconds));
        viewer = std::make_unique<VDLClient>(QStringLiteral("127.0.0.1"), proxy->port());
    }

    void connectViewer(int keepalive = VOKMosquittoClient::defaultKeepaliveSeconds)
    {
        viewer->setDelegate(&delegate);
        viewer->setKeepaliveSeconds(keepalive);
        viewer->registerTopic(sideFilter.filter(QStringLiteral("side/")));
        viewer->connectWithPath(QStringLiteral("fault"));
        waitUntilSubscribed(QStringLiteral("fault/ready"));
    }

    // The viewer's own publication comes back once the broker has its subscription: packets of
    // one connection are handled in order.
    void waitUntilSubscribed(const QString &marker)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.connects > 0; }, waitMilliseconds));
        viewer->publishTopic(marker, "1", false);
        ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->topicAt(marker, false); }, waitMilliseconds));
    }

    // Publications made while the link is down go out in order once it is back, and every
    // subscription, the viewer's path and its registered filter, is made again.
    void expectRecoveryAfterLoss()
    {
        ASSERT_EQ(viewer->connectionError(), lostText);
        ASSERT_TRUE(delegate.reasons.contains(0));
        const int connects = delegate.connects;
        const QList<QByteArray> numbered{"1", "2", "3", "4", "5"};
        for (const QByteArray &number : numbered)
            viewer->publishTopic(QStringLiteral("fault/offline"), number, false);
        proxy->recover();
        ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.connects > connects; }, waitMilliseconds));
        EXPECT_TRUE(viewer->connectionError().isNull());
        EXPECT_TRUE(QTest::qWaitFor([&] { return observed.payloads() == numbered; }, waitMilliseconds))
            << observed.payloads().size() << " of 5 arrived";

        waitUntilSubscribed(QStringLiteral("fault/after"));
        observer->publishTopic(QStringLiteral("side/after"), "s", false);
        EXPECT_TRUE(QTest::qWaitFor([&] { return sideFilter.payloads().contains("s"); }, waitMilliseconds));
    }

    MosquittoBroker broker;
    std::unique_ptr<FaultProxy> proxy;
    Received observed;
    CountingDelegate delegate;
    Received sideFilter;
    std::unique_ptr<VOKMosquittoClient> observer;
    std::unique_ptr<VDLClient> viewer;
};

} // namespace

// Stands for a broker behind a NAT box that forgot the connection: nothing arrives, nothing fails.
TEST_F(FaultyLink, StalledLinkIsNoticedWithinOneAndAHalfKeepalivesAndRecovered)
{
    connectViewer(keepaliveSeconds);
    proxy->stall();
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer->connectionError() == lostText; }, keepaliveSeconds * 1500))
        << "the dead link was not noticed within 1.5 keep-alive intervals";
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->connectionError() == lostText; }, waitMilliseconds));
    expectRecoveryAfterLoss();
}

TEST_F(FaultyLink, LinkCutInsideALargeRetainedMessageFilesOnlyTheWholeMessage)
{
    connectViewer();
    QByteArray large(4 * 1024 * 1024, '\0');
    for (qsizetype index = 0; index < large.size(); ++index)
        large[index] = char(index % 251);
    proxy->cutAfter(1024 * 1024);
    observer->publishTopic(QStringLiteral("fault/large"), large, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->connectionError() == lostText; }, waitMilliseconds));
    EXPECT_EQ(viewer->topicAt(QStringLiteral("fault/large"), false), nullptr);

    proxy->stall();
    expectRecoveryAfterLoss();
    const VDLTopic *const topic = viewer->topicAt(QStringLiteral("fault/large"), false);
    ASSERT_NE(topic, nullptr);
    ASSERT_EQ(topic->messages().size(), 1);
    EXPECT_TRUE(topic->messages().constFirst()->data() == large);
}

// Speed is for the benches: this only shows that a slow link loses nothing and that the window
// is served while the messages trickle in.
TEST_F(FaultyLink, SlowLinkStillFillsTheTreeWhileTheWindowIsServed)
{
    proxy->setDelay(500);
    connectViewer();
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(50);
    for (int index = 0; index < 200; ++index)
        observer->publishTopic(QStringLiteral("fault/t%1").arg(index % 4), QByteArray::number(index), false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->rootTopic()->totalMessages() == 201; }, waitMilliseconds))
        << viewer->rootTopic()->totalMessages();
    EXPECT_EQ(viewer->topicAt(QStringLiteral("fault/t3"), false)->messages().size(), 50);
    EXPECT_GT(ticks, 0);
}

// The library reports the connection on its own thread while the window goes on publishing:
// what the window publishes then must wait behind what it published before.
TEST_F(FaultyLink, PublicationsDuringTheConnectWaitBehindTheQueuedOnes)
{
    VOKMosquittoClient sender(QStringLiteral("127.0.0.1"), broker.port());
    // Many filters to subscribe keep the connect hook busy long enough to be met by publications.
    for (int index = 0; index < 10000; ++index)
        sender.registerTopic(std::make_shared<VOKMosquittoTopic>(QStringLiteral("busy/%1").arg(index),
                                                                 [](const VOKMosquittoTopicMatch &) {}));
    int published = 0;
    int publishedConnected = 0;
    QTimer publisher;
    QObject::connect(&publisher, &QTimer::timeout, [&] {
        publishedConnected += sender.isConnected() ? 1 : 0;
        sender.publishTopic(QStringLiteral("fault/offline"), QByteArray::number(++published), false);
        if (publishedConnected == 20)
            publisher.stop();
    });
    publisher.start(0);
    sender.connectToBroker();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !publisher.isActive() && observed.payloads().size() == published; },
                                waitMilliseconds))
        << observed.payloads().size() << " of " << published << " arrived";
    QByteArrayList expected;
    for (int number = 1; number <= published; ++number)
        expected.append(QByteArray::number(number));
    EXPECT_EQ(QByteArrayList(observed.payloads()).join(' '), expected.join(' '));
}

#include "LogCapture.h"
#include "MosquittoBroker.h"
#include "RecordingClient.h"
#include "TestHosts.h"

#include <QTest>
#include <QThread>

#include <mosquitto.h>

#include <gtest/gtest.h>

namespace {

// Runs the work on a thread of its own, as the library's network thread would.
void runOffMainThread(const std::function<void()> &work)
{
    std::unique_ptr<QThread> thread(QThread::create(work));
    thread->start();
    thread->wait();
}

} // namespace

TEST(VOKMosquittoClient, ErrorsFromResultCodes)
{
    LogCapture log;
    VOKError error;
    EXPECT_TRUE(VOKMosquittoClient::errorFromCode(0, &error));
    EXPECT_TRUE(error.isNull());

    EXPECT_FALSE(VOKMosquittoClient::errorFromCode(-4242, &error));
    EXPECT_EQ(error, VOKError(QStringLiteral("VOKMosquitto"), -4242, QStringLiteral("No Connection")));
    EXPECT_FALSE(VOKMosquittoClient::errorFromCode(3, &error));
    EXPECT_EQ(error.localizedDescription(), QStringLiteral("Invalid input parameters"));
    EXPECT_TRUE(error.localizedRecoverySuggestion().isNull());
    EXPECT_FALSE(VOKMosquittoClient::errorFromCode(4, &error));
    EXPECT_EQ(error.localizedDescription(), QStringLiteral("Unexpected Error"));
    EXPECT_EQ(error.localizedRecoverySuggestion(), QStringLiteral("Error code: 4"));
    EXPECT_FALSE(VOKMosquittoClient::errorFromCode(4));
    EXPECT_EQ(log.linesContaining(QStringLiteral(": ERROR: Mosquitto error 4: Unexpected Error")).size(), 2);
}

TEST(VOKMosquittoClient, OfflinePublishingQueuesOnlyWithoutQoS)
{
    LogCapture log;
    VOKMosquittoClient client(QStringLiteral("127.0.0.1"));
    VOKError error;
    EXPECT_FALSE(client.publishTopic(QStringLiteral("a"), QByteArray("x"), 1, false, &error));
    EXPECT_EQ(error.code(), VOKMosquittoClient::notConnectedCode);
    EXPECT_TRUE(client.publishQueue().isEmpty());
    client.publishTopic(QStringLiteral("a"), QByteArray(), true);
    ASSERT_EQ(client.publishQueue().size(), 1);
    EXPECT_TRUE(client.publishQueue()[0].data.isNull());
}

TEST(VOKMosquittoClient, EnableTLSMovesOnlyTheDefaultPort)
{
    VOKMosquittoClient standard(QStringLiteral("h"));
    standard.enableTLS();
    EXPECT_TRUE(standard.useTLS());
    EXPECT_EQ(standard.port(), 8883);
    VOKMosquittoClient other(QStringLiteral("h"), 1884);
    other.enableTLS();
    EXPECT_EQ(other.port(), 1884);
    EXPECT_TRUE(other.description().endsWith(QStringLiteral(">  h:1884")));
}

TEST(VOKMosquittoClient, ASecondConnectIsRefusedUntilDisconnect)
{
    LogCapture log;
    RecordingClient client(QStringLiteral("127.0.0.1"), MosquittoBroker().choosePort());
    EXPECT_TRUE(client.connectToBroker());
    mosquitto *const first = client.mosq();
    EXPECT_FALSE(client.connectToBroker());
    EXPECT_EQ(client.mosq(), first);
    EXPECT_EQ(log.linesContaining(QStringLiteral(": WARNING: Beep: -connect called multiple times for <VOKMosquittoClient")).size(), 1);
    EXPECT_EQ(log.beeps(), 1);
    client.disconnectFromBroker();
    EXPECT_EQ(client.mosq(), nullptr);
}

TEST(VOKMosquittoClient, HostsTheLibraryCannotUseFailTheConnectAndReachTheHook)
{
    LogCapture log;
    // No ASCII form, or a NUL that would cut the name short: not a host name at all.
    for (const QString &host : {QStringLiteral("\u00e9 x"), QStringLiteral("127.0.0.1") + QChar(0) + QStringLiteral("evil")}) {
        RecordingClient client(host);
        EXPECT_FALSE(client.connectToBroker());
        EXPECT_EQ(client.connectRequestFailures, 1);
        EXPECT_EQ(client.lastConnectRequestResult, MOSQ_ERR_INVAL);
    }
    EXPECT_EQ(log.linesContaining(QStringLiteral(": ERROR: mosquitto_connect_async failed with rc=3 for \u00e9 x:1883")).size(), 1);

    // An internationalised name is looked up in its ASCII form, so it is unknown rather than invalid.
    // The look-up happens in the background and its failure reaches the hook afterwards.
    for (const QString &host : {unresolvableHost(), unresolvableHost(QStringLiteral("b\u00fccher"))}) {
        RecordingClient client(host);
        EXPECT_TRUE(client.connectToBroker());
        ASSERT_TRUE(QTest::qWaitFor([&] { return client.connectRequestFailures == 1; }));
        EXPECT_EQ(client.lastConnectRequestResult, MOSQ_ERR_EAI);
    }
}

TEST(VOKMosquittoClient, LibraryLogLinesAreClassified)
{
    LogCapture log;
    RecordingClient client(QStringLiteral("h"));
    client.simulateLog(MOSQ_LOG_ERR, "OpenSSL Error[0]: error:0A000086:SSL routines::certificate verify failed");
    EXPECT_EQ(client.tlsErrors, 1);
    client.simulateLog(MOSQ_LOG_ERR, "ssl/tls alert certificate required");
    EXPECT_EQ(client.mTLSRequests, 1);
    EXPECT_EQ(client.tlsErrors, 1);
    client.simulateLog(MOSQ_LOG_ERR, "Bad Certificate");
    client.simulateLog(MOSQ_LOG_ERR, "TLS handshake timed out");
    EXPECT_EQ(client.tlsErrors, 3);
    client.simulateLog(MOSQ_LOG_ERR, "SSL3 alert: Handshake Failure");
    EXPECT_EQ(client.mTLSRequests, 2);
    client.simulateLog(MOSQ_LOG_ERR, "Connection refused");
    client.simulateLog(MOSQ_LOG_WARNING, "TLS is odd");
    client.simulateLog(MOSQ_LOG_NOTICE, "SSL notice");
    EXPECT_EQ(client.tlsErrors, 3);
    EXPECT_EQ(client.mTLSRequests, 2);
    EXPECT_EQ(log.linesContaining(QStringLiteral(": ERROR: Mosquitto error: ")).size(), 6);
    EXPECT_EQ(log.linesContaining(QStringLiteral(": WARNING: Mosquitto warning: TLS is odd")).size(), 1);
    EXPECT_EQ(log.linesContaining(QStringLiteral(": ERROR: clientmTLSRequired:  error: SSL3 alert: Handshake Failure  (<")).size(), 1);
}

TEST(VOKMosquittoClient, TLSFallbackOnlyOnceAndOnlyBeforeAFirstSuccess)
{
    LogCapture log;
    RecordingClient neverConnected(QStringLiteral("127.0.0.1"));
    runOffMainThread([&neverConnected] {
        neverConnected.simulateLostConnection(MOSQ_ERR_CONN_LOST);
        neverConnected.simulateLostConnection(MOSQ_ERR_CONN_LOST);
    });
    EXPECT_TRUE(neverConnected.triedTLSFallback());
    EXPECT_FALSE(neverConnected.useTLS()); // queued to the main thread, not run yet
    ASSERT_TRUE(QTest::qWaitFor([&] { return neverConnected.useTLS(); }, 5000));
    EXPECT_EQ(neverConnected.port(), 8883);
    EXPECT_NE(neverConnected.mosq(), nullptr);

    RecordingClient connectedOnce(QStringLiteral("127.0.0.1"));
    connectedOnce.simulateConnected();
    runOffMainThread([&connectedOnce] { connectedOnce.simulateLostConnection(MOSQ_ERR_CONN_LOST); });
    RecordingClient otherCode(QStringLiteral("127.0.0.1"));
    runOffMainThread([&otherCode] { otherCode.simulateLostConnection(MOSQ_ERR_ERRNO); });
    QCoreApplication::processEvents();
    EXPECT_FALSE(connectedOnce.triedTLSFallback());
    EXPECT_FALSE(otherCode.triedTLSFallback());
    EXPECT_FALSE(connectedOnce.useTLS() || otherCode.useTLS());
}

TEST(VOKMosquittoClient, FallbackQueuedByAClientThatIsGoneIsDropped)
{
    LogCapture log;
    RecordingClient staying(QStringLiteral("127.0.0.1"));
    auto going = std::make_unique<RecordingClient>(QStringLiteral("127.0.0.1"));
    const QString goingDescription = going->description();
    for (RecordingClient *client : {&staying, going.get()})
        runOffMainThread([client] { client->simulateLostConnection(MOSQ_ERR_CONN_LOST); });
    log.clear();
    going.reset();
    // Only the client that is still there retries with TLS.
    ASSERT_TRUE(QTest::qWaitFor([&] { return staying.useTLS(); }, 5000));
    QCoreApplication::processEvents();
    EXPECT_TRUE(log.linesContaining(goingDescription).isEmpty());
}

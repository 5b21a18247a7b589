#include "MosquittoBroker.h"
#include "VDLPubClient.h"
#include "VOKKeychainHelper.h"
#include "VOKMemoryKeychainBackend.h"
#include "VOKPreferences.h"

#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QStringList paths(const QList<VDLPM> &history)
{
    QStringList result;
    for (const VDLPM &entry : history)
        result.append(QStringLiteral("%1=%2/%3").arg(entry.path, entry.valueAsString()).arg(entry.qos));
    return result;
}

struct PubClientTest : ::testing::Test
{
    ~PubClientTest() override
    {
        VDLPubClient::deleteHistoryForHost(QStringLiteral("h"), 1);
        VOKPreferences::standard().removeObjectForKey(QStringLiteral("VDLPubClientMaxHistoryCount"));
    }
};

} // namespace

TEST_F(PubClientTest, HistoryIsNewestFirstWithoutDuplicatesAndCapped)
{
    VDLPubClient client(QStringLiteral("h"), 1);
    client.addToHistory(VDLPM(QStringLiteral("t"), QStringLiteral("v"), 0));
    client.addToHistory(VDLPM(QStringLiteral("t"), QStringLiteral("v"), 1));
    client.addToHistory(VDLPM(QStringLiteral("t"), QStringLiteral("v"), 0));
    EXPECT_EQ(paths(client.history()), QStringList({QStringLiteral("t=v/0"), QStringLiteral("t=v/1")}));

    for (int index = 0; index < 25; ++index)
        client.addToHistory(VDLPM(QStringLiteral("n%1").arg(index), QStringLiteral("v")));
    ASSERT_EQ(client.history().size(), 20);
    EXPECT_EQ(client.history().first().path, QStringLiteral("n24"));
    EXPECT_EQ(client.history().last().path, QStringLiteral("n5"));

    // It survives in the preferences, and entries that are not dictionaries are skipped.
    QVariantList stored = VOKPreferences::standard().arrayForKey(client.historyKey());
    stored.insert(1, QStringLiteral("not an entry"));
    VOKPreferences::standard().setObject(stored, client.historyKey());
    EXPECT_EQ(VDLPubClient(QStringLiteral("h"), 1).history(), client.history());

    VOKPreferences::standard().setObject(0, QStringLiteral("VDLPubClientMaxHistoryCount"));
    client.addToHistory(VDLPM(QStringLiteral("x"), QStringLiteral("y")));
    EXPECT_TRUE(client.history().isEmpty());

    VDLPubClient::deleteHistoryForHost(QStringLiteral("h"), 1);
    EXPECT_TRUE(VDLPubClient(QStringLiteral("h"), 1).history().isEmpty());
}

TEST_F(PubClientTest, SharedWhileHeldAndFreshAfterwards)
{
    auto first = VDLPubClient::clientWithHost(QStringLiteral("127.0.0.1"), 1);
    EXPECT_EQ(VDLPubClient::clientWithHost(QStringLiteral("127.0.0.1"), 1), first);
    EXPECT_NE(VDLPubClient::clientWithHost(QStringLiteral("127.0.0.1"), 2), first);
    const std::weak_ptr<VDLPubClient> forgotten = first;
    first.reset();
    EXPECT_TRUE(forgotten.expired()); // the table does not keep it alive
    const auto second = VDLPubClient::clientWithHost(QStringLiteral("127.0.0.1"), 1);
    EXPECT_EQ(second->keychainService(), QStringLiteral("Vindle:127.0.0.1:1"));
}

TEST_F(PubClientTest, PublishesWithEachQoSAndRefusesWhenNotConnected)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << broker.errorString().toStdString();
    VDLPubClient offline(QStringLiteral("127.0.0.1"), broker.port());
    VOKError error;
    EXPECT_FALSE(offline.publish(VDLPM(QStringLiteral("p"), QStringLiteral("x")), &error));
    EXPECT_EQ(error.domain(), QStringLiteral("VDLPubClient"));
    EXPECT_EQ(error.code(), -1);
    EXPECT_EQ(error.localizedDescription(), QStringLiteral("Not connected"));
    EXPECT_TRUE(offline.history().isEmpty());

    const auto client = VDLPubClient::clientWithHost(QStringLiteral("127.0.0.1"), broker.port());
    ASSERT_TRUE(QTest::qWaitFor([&] { return client->isConnected(); }, 15000));
    for (int qos = 0; qos <= 2; ++qos)
        ASSERT_TRUE(client->publish(VDLPM(QStringLiteral("pub/%1").arg(qos), QStringLiteral("v%1").arg(qos), qos, true)));
    EXPECT_FALSE(client->publish(VDLPM(QStringLiteral("pub/bad"), QStringLiteral("x"), 3), &error));
    EXPECT_EQ(client->history().size(), 3);

    QProcess subscriber;
    subscriber.start(QStringLiteral("mosquitto_sub"),
                     {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(broker.port()),
                      QStringLiteral("-q"), QStringLiteral("2"), QStringLiteral("-t"), QStringLiteral("pub/#"),
                      QStringLiteral("-C"), QStringLiteral("3"), QStringLiteral("-W"), QStringLiteral("10"),
                      QStringLiteral("-F"), QStringLiteral("%q %t %p")});
    ASSERT_TRUE(subscriber.waitForFinished(15000));
    QStringList lines = QString::fromUtf8(subscriber.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.sort();
    EXPECT_EQ(lines, QStringList({QStringLiteral("0 pub/0 v0"), QStringLiteral("1 pub/1 v1"),
                                  QStringLiteral("2 pub/2 v2")}));
    client->deleteHistory();
}

TEST_F(PubClientTest, LogsInWithTheCredentialsTheViewerStored)
{
    MosquittoBroker broker(QStringLiteral("alice"), QStringLiteral("secret"));
    ASSERT_TRUE(broker.start()) << broker.errorString().toStdString();
    const QString service = QStringLiteral("Vindle:127.0.0.1:%1").arg(broker.port());
    VOKKeychainHelper::setPassword(QStringLiteral("secret"), service, QStringLiteral("alice"));

    const auto client = VDLPubClient::clientWithHost(QStringLiteral("127.0.0.1"), broker.port());
    ASSERT_TRUE(QTest::qWaitFor([&] { return client->isConnected(); }, 15000));
    EXPECT_TRUE(client->publish(VDLPM(QStringLiteral("auth/x"), QStringLiteral("1"))));
    client->deleteHistory();
    VOKKeychainHelper::deleteAllPasswordsForService(service);
}

#include "KeychainTestSupport.h"
#include "LogCapture.h"
#include "MosquittoBroker.h"
#include "RecordingClient.h"
#include "TestHosts.h"
#include "VOKKeychainHelper.h"
#include "VOKMemoryKeychainBackend.h"
#include "VOKMosquittoHandle.h"
#include "VOKPreferences.h"
#include "VOKServerStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

mode_t modeOf(const QString &path)
{
    struct stat status {};
    return stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 0777 : 0;
}

QString writeFile(const QTemporaryDir &folder, const QString &name, const QByteArray &contents)
{
    const QString path = folder.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(contents);
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct StoredSettingsTest : ::testing::Test
{
    StoredSettingsTest() { VOKKeychainHelper::setBackend(keychain); }
    ~StoredSettingsTest() override
    {
        client.deleteAllStoredData();
        settleKeychainQueue();
        VOKKeychainHelper::setBackend(std::make_shared<VOKMemoryKeychainBackend>());
    }

    std::shared_ptr<VOKMemoryKeychainBackend> keychain = std::make_shared<VOKMemoryKeychainBackend>();
    RecordingClient client{QStringLiteral("h"), 8883};
    QTemporaryDir chosen;
};

} // namespace

TEST_F(StoredSettingsTest, CredentialsKeepOneItemAndClearWithAnEmptyName)
{
    client.saveCredentialsToKeychain(QStringLiteral("a"), QStringLiteral("pa"));
    client.saveCredentialsToKeychain(QStringLiteral("b"), QStringLiteral("pb"));
    EXPECT_EQ(client.username(), QStringLiteral("b"));
    ASSERT_TRUE(settleKeychainQueue());
    ASSERT_EQ(keychain->items().size(), 1);
    EXPECT_EQ(keychain->items().first().service, QStringLiteral("VOKMosquitto:h:8883"));
    EXPECT_EQ(keychain->items().first().account, QStringLiteral("b"));

    RecordingClient other(QStringLiteral("h"), 8883);
    other.setUsername(QStringLiteral("kept"), QStringLiteral("kept-pw"));
    other.loadCredentialsFromKeychain();
    ASSERT_TRUE(settleKeychainQueue());
    EXPECT_EQ(other.username(), QStringLiteral("b"));
    EXPECT_EQ(other.password(), QStringLiteral("pb"));

    client.saveCredentialsToKeychain(QString(), QStringLiteral("ignored"));
    EXPECT_TRUE(client.username().isNull());
    EXPECT_TRUE(client.password().isNull());
    ASSERT_TRUE(settleKeychainQueue());
    EXPECT_TRUE(keychain->items().isEmpty());

    // Nothing stored: what is in memory stays.
    other.loadCredentialsFromKeychain();
    ASSERT_TRUE(settleKeychainQueue());
    EXPECT_EQ(other.username(), QStringLiteral("b"));
}

TEST_F(StoredSettingsTest, TLSSettingsRoundTripWithEmptyPathsKept)
{
    EXPECT_EQ(client.tlsSettingsKey(), QStringLiteral("VOKMosquittoTLS:h:8883"));
    client.enableTLS();
    client.setTLSVerifyMode(2, QString());
    client.saveTLSSettings();
    const QVariantMap stored = VOKPreferences::standard().dictionaryForKey(client.tlsSettingsKey());
    EXPECT_EQ(stored.keys(), QStringList({QStringLiteral("caCertificatePath"), QStringLiteral("clientCertificatePath"),
                                          QStringLiteral("clientKeyPath"), QStringLiteral("tlsVerifyMode"),
                                          QStringLiteral("useTLS")}));
    EXPECT_EQ(stored.value(QStringLiteral("caCertificatePath")).toString(), QString());

    RecordingClient reloaded(QStringLiteral("h"), 8883);
    EXPECT_TRUE(reloaded.caCertificatePath().isNull());
    reloaded.loadTLSSettings();
    EXPECT_TRUE(reloaded.useTLS());
    EXPECT_EQ(reloaded.tlsVerifyMode(), 2);
    EXPECT_FALSE(reloaded.caCertificatePath().isNull());
    EXPECT_TRUE(reloaded.caCertificatePath().isEmpty());

    client.deleteTLSSettings();
    EXPECT_FALSE(VOKPreferences::standard().objectForKey(client.tlsSettingsKey()).isValid());
}

TEST_F(StoredSettingsTest, CertificatesAreCopiedPrivately)
{
    const QString source = writeFile(chosen, QStringLiteral("my.crt"), "CA");
    client.setTLSVerifyMode(2, source);
    const QString copy = client.caCertificatePath();
    EXPECT_TRUE(copy.endsWith(QStringLiteral("/Vindle/Certificates/h_8883/ca.crt"))) << copy.toStdString();
    EXPECT_EQ(readFile(copy), QByteArray("CA"));
    EXPECT_EQ(modeOf(copy), mode_t(0600));
    EXPECT_EQ(modeOf(client.certificatesDirectory()), mode_t(0700));
    EXPECT_EQ(modeOf(VOKServerStore::certificatesRoot()), mode_t(0700));

    // Choosing the copy itself keeps it.
    client.setTLSVerifyMode(2, copy);
    EXPECT_EQ(client.caCertificatePath(), copy);
    EXPECT_EQ(readFile(copy), QByteArray("CA"));

    // A key without extension; an empty key path copies only the certificate.
    client.setClientCertificatePath(writeFile(chosen, QStringLiteral("cert.pem"), "C"), QString());
    EXPECT_TRUE(client.clientCertificatePath().endsWith(QStringLiteral("/client_cert.pem")));
    EXPECT_TRUE(client.clientKeyPath().isEmpty());
    client.setClientCertificatePath(QString(), writeFile(chosen, QStringLiteral("key"), "K"));
    EXPECT_TRUE(client.clientKeyPath().endsWith(QStringLiteral("/client_key.")));

    const QString key = client.clientKeyPath();
    client.clearClientCertificate();
    EXPECT_FALSE(QFile::exists(key));
    EXPECT_TRUE(client.clientKeyPath().isNull());
    EXPECT_TRUE(VOKPreferences::standard().dictionaryForKey(client.tlsSettingsKey()).contains(QStringLiteral("useTLS")));
}

TEST_F(StoredSettingsTest, AFailedCopyIsLoggedAndLeavesNoPath)
{
    LogCapture log;
    client.setTLSVerifyMode(1, chosen.filePath(QStringLiteral("missing.crt")));
    EXPECT_TRUE(client.caCertificatePath().isNull());
    EXPECT_EQ(log.linesContaining(QStringLiteral(": ERROR: Failed to copy certificate: ")).size(), 1);
}

TEST_F(StoredSettingsTest, HostNamesStayInsideTheCertificatesFolder)
{
    for (const QString &host : {QStringLiteral("../../etc"), QStringLiteral("a/b"), QStringLiteral(".."),
                                QStringLiteral("..\\x")}) {
        const QString folder = VOKServerStore(host, 1883, QStringLiteral("s")).certificatesDirectory();
        EXPECT_EQ(QFileInfo(folder).absolutePath(), VOKServerStore::certificatesRoot()) << folder.toStdString();
        EXPECT_TRUE(QFileInfo(folder).isDir());
    }
    EXPECT_NE(VOKServerStore(QStringLiteral("a/b"), 1, QString()).certificatesDirectory(),
              VOKServerStore(QStringLiteral("a%2Fb"), 1, QString()).certificatesDirectory());
}

TEST_F(StoredSettingsTest, DeletingAllStoredDataRemovesEveryPart)
{
    client.saveCredentialsToKeychain(QStringLiteral("u"), QStringLiteral("p"));
    client.setTLSVerifyMode(2, writeFile(chosen, QStringLiteral("ca.pem"), "CA"));
    client.saveTLSSettings();
    const QString folder = client.certificatesDirectory();

    client.deleteAllStoredData();
    ASSERT_TRUE(settleKeychainQueue());
    EXPECT_TRUE(keychain->items().isEmpty());
    EXPECT_FALSE(VOKPreferences::standard().objectForKey(client.tlsSettingsKey()).isValid());
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/ca.pem")));
    EXPECT_TRUE(client.username().isNull());
}

namespace {

struct SlowKeychainTest : ::testing::Test
{
    SlowKeychainTest() { VOKKeychainHelper::setBackend(keychain); }
    ~SlowKeychainTest() override
    {
        keychain->letGo(100);
        settleKeychainQueue();
        VOKKeychainHelper::setBackend(std::make_shared<VOKMemoryKeychainBackend>());
    }

    // A broker that wants the stored user "alice", whose credentials wait in the store.
    void startBroker(const QByteArray &storedPassword = "secret")
    {
        ASSERT_TRUE(broker.start()) << broker.errorString().toStdString();
        keychain->contents().addItem(
            {QStringLiteral("VOKMosquitto:127.0.0.1:%1").arg(broker.port()), QStringLiteral("alice"), storedPassword});
    }

    // Lets every call to the store go, from the GUI thread, for as long as the test runs.
    void keepLettingGo()
    {
        QObject::connect(&gui, &QTimer::timeout, [this] { keychain->letGo(); });
        gui.start(10);
    }

    MosquittoBroker broker{QStringLiteral("alice"), QStringLiteral("secret")};
    std::shared_ptr<GatedKeychainBackend> keychain = std::make_shared<GatedKeychainBackend>();
    QTimer gui;
};

} // namespace

TEST_F(SlowKeychainTest, TheWindowKeepsRunningWhileStoredCredentialsAreReadForTheConnect)
{
    ASSERT_NO_FATAL_FAILURE(startBroker());
    keepLettingGo();

    RecordingClient client(QStringLiteral("127.0.0.1"), broker.port());
    client.setUsername(QStringLiteral("kept"), QStringLiteral("kept-pw"));
    ASSERT_TRUE(client.connectToBroker());
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.connects == 1 || client.failures > 0; }, 15000));
    EXPECT_EQ(client.failures, 0);
    EXPECT_GT(keychain->callsStarted, 0);
    EXPECT_EQ(keychain->callsNotLetGo, 0);
    // The stored pair replaces the one in memory once it has been read.
    EXPECT_TRUE(QTest::qWaitFor([&] { return client.username() == QStringLiteral("alice"); }));
    EXPECT_EQ(client.password(), QStringLiteral("secret"));
}

TEST_F(SlowKeychainTest, AConnectGivenUpWhileItsCredentialsAreReadHasNoEffect)
{
    LogCapture log;
    ASSERT_NO_FATAL_FAILURE(startBroker());
    RecordingClient disconnected(QStringLiteral("127.0.0.1"), broker.port());
    auto destroyed = std::make_unique<RecordingClient>(unresolvableHost());
    const QString destroyedDescription = destroyed->description();
    ASSERT_TRUE(disconnected.connectToBroker());
    ASSERT_TRUE(destroyed->connectToBroker());
    // The first read is under way; the second waits behind it in the store's queue.
    ASSERT_TRUE(QTest::qWaitFor([&] { return keychain->callsStarted > 0; }));
    disconnected.disconnectFromBroker();
    destroyed.reset();
    keychain->letGo(3);
    // The teardowns wait for the requests, whose answers are then queued before these events run.
    ASSERT_TRUE(VOKMosquittoHandle::waitForTeardowns(15000));
    QCoreApplication::processEvents();

    EXPECT_EQ(disconnected.connects, 0);
    EXPECT_EQ(disconnected.connectRequestFailures, 0);
    EXPECT_TRUE(disconnected.username().isNull());
    EXPECT_TRUE(log.linesContaining(destroyedDescription).isEmpty());
    EXPECT_TRUE(log.linesContaining(QStringLiteral("mosquitto_connect_async failed")).isEmpty());
}

TEST_F(SlowKeychainTest, SavesDoNotWaitAndAConnectAfterThemReadsWhatWasSaved)
{
    ASSERT_NO_FATAL_FAILURE(startBroker("stale"));
    keepLettingGo();
    RecordingClient client(QStringLiteral("127.0.0.1"), broker.port());
    client.saveCredentialsToKeychain(QStringLiteral("alice"), QStringLiteral("secret"));
    EXPECT_EQ(keychain->callsNotLetGo, 0);

    ASSERT_TRUE(client.connectToBroker());
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.connects == 1 || client.failures > 0; }, 15000));
    EXPECT_EQ(client.failures, 0);
    ASSERT_TRUE(settleKeychainQueue());
    EXPECT_EQ(client.password(), QStringLiteral("secret"));
    ASSERT_EQ(keychain->contents().items().size(), 1);
    EXPECT_EQ(keychain->contents().items().first().secret, QByteArray("secret"));
    EXPECT_EQ(keychain->callsNotLetGo, 0);
}

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
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>

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
    ASSERT_EQ(keychain->items().size(), 1);
    EXPECT_EQ(keychain->items().first().service, QStringLiteral("VOKMosquitto:h:8883"));
    EXPECT_EQ(keychain->items().first().account, QStringLiteral("b"));

    RecordingClient other(QStringLiteral("h"), 8883);
    other.setUsername(QStringLiteral("kept"), QStringLiteral("kept-pw"));
    other.loadCredentialsFromKeychain();
    EXPECT_EQ(other.username(), QStringLiteral("b"));
    EXPECT_EQ(other.password(), QStringLiteral("pb"));

    client.saveCredentialsToKeychain(QString(), QStringLiteral("ignored"));
    EXPECT_TRUE(keychain->items().isEmpty());
    EXPECT_TRUE(client.username().isNull());
    EXPECT_TRUE(client.password().isNull());

    // Nothing stored: what is in memory stays.
    other.loadCredentialsFromKeychain();
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
    EXPECT_TRUE(keychain->items().isEmpty());
    EXPECT_FALSE(VOKPreferences::standard().objectForKey(client.tlsSettingsKey()).isValid());
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/ca.pem")));
    EXPECT_TRUE(client.username().isNull());
}

namespace {

// A credential store whose look-ups each wait, on the thread that makes them, until the test's
// GUI thread lets one go (at most 2 s): a look-up made on the GUI thread itself can never be let
// go in time, and is counted.
class GatedKeychainBackend final : public VOKKeychainBackend
{
public:
    bool addItem(const Item &item) override { return m_items.addItem(item); }
    std::optional<Item> findItem(const QString &service, const QString &account) const override
    {
        ++lookupsStarted;
        if (!m_gate.tryAcquire(1, 2000))
            ++lookupsNotLetGo;
        return m_items.findItem(service, account);
    }
    DeleteResult deleteItems(const QString &service, const QString &account) override
    {
        return m_items.deleteItems(service, account);
    }
    void letGo() const { m_gate.release(); }

    mutable std::atomic<int> lookupsStarted{0};
    mutable std::atomic<int> lookupsNotLetGo{0};

private:
    VOKMemoryKeychainBackend m_items;
    mutable QSemaphore m_gate;
};

struct SlowKeychainTest : ::testing::Test
{
    SlowKeychainTest() { VOKKeychainHelper::setBackend(keychain); }
    ~SlowKeychainTest() override { VOKKeychainHelper::setBackend(std::make_shared<VOKMemoryKeychainBackend>()); }

    // A broker that wants the stored user "alice", whose credentials wait in the store.
    void startBroker()
    {
        ASSERT_TRUE(broker.start()) << broker.errorString().toStdString();
        keychain->addItem({QStringLiteral("VOKMosquitto:127.0.0.1:%1").arg(broker.port()), QStringLiteral("alice"),
                           QByteArray("secret")});
    }

    MosquittoBroker broker{QStringLiteral("alice"), QStringLiteral("secret")};
    std::shared_ptr<GatedKeychainBackend> keychain = std::make_shared<GatedKeychainBackend>();
};

} // namespace

TEST_F(SlowKeychainTest, TheWindowKeepsRunningWhileStoredCredentialsAreReadForTheConnect)
{
    ASSERT_NO_FATAL_FAILURE(startBroker());
    QTimer gui;
    QObject::connect(&gui, &QTimer::timeout, [this] { keychain->letGo(); });
    gui.start(10);

    RecordingClient client(QStringLiteral("127.0.0.1"), broker.port());
    client.setUsername(QStringLiteral("kept"), QStringLiteral("kept-pw"));
    ASSERT_TRUE(client.connectToBroker());
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.connects == 1 || client.failures > 0; }, 15000));
    EXPECT_EQ(client.failures, 0);
    EXPECT_GT(keychain->lookupsStarted, 0);
    EXPECT_EQ(keychain->lookupsNotLetGo, 0);
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
    for (RecordingClient *client : {&disconnected, destroyed.get()}) {
        const int started = keychain->lookupsStarted;
        ASSERT_TRUE(client->connectToBroker());
        ASSERT_TRUE(QTest::qWaitFor([&] { return keychain->lookupsStarted > started; }));
    }
    disconnected.disconnectFromBroker();
    destroyed.reset();
    for (int lookup = 0; lookup < 3; ++lookup)
        keychain->letGo();
    // The teardowns wait for the requests, whose answers are then queued before these events run.
    ASSERT_TRUE(VOKMosquittoHandle::waitForTeardowns(15000));
    QCoreApplication::processEvents();

    EXPECT_EQ(disconnected.connects, 0);
    EXPECT_EQ(disconnected.connectRequestFailures, 0);
    EXPECT_TRUE(disconnected.username().isNull());
    EXPECT_TRUE(log.linesContaining(destroyedDescription).isEmpty());
    EXPECT_TRUE(log.linesContaining(QStringLiteral("mosquitto_connect_async failed")).isEmpty());
}

#include "LogCapture.h"
#include "MosquittoBroker.h"
#include "RecordingClient.h"
#include "VOKKeychainHelper.h"
#include "VOKMemoryKeychainBackend.h"
#include "VOKPreferences.h"
#include "VOKServerStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

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

TEST_F(StoredSettingsTest, StoredCredentialsLetTheClientIntoAnAuthenticatingBroker)
{
    MosquittoBroker broker(QStringLiteral("alice"), QStringLiteral("secret"));
    ASSERT_TRUE(broker.start()) << broker.errorString().toStdString();
    RecordingClient configuring(QStringLiteral("127.0.0.1"), broker.port());
    configuring.saveCredentialsToKeychain(QStringLiteral("alice"), QStringLiteral("secret"));

    RecordingClient fresh(QStringLiteral("127.0.0.1"), broker.port());
    ASSERT_TRUE(fresh.connectToBroker());
    ASSERT_TRUE(QTest::qWaitFor([&] { return fresh.connects == 1 || fresh.failures > 0; }, 15000));
    EXPECT_EQ(fresh.connects, 1);
    EXPECT_EQ(fresh.failures, 0);
    fresh.disconnectFromBroker();
    configuring.deleteAllStoredData();
}

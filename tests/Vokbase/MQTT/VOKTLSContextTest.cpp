// TLS connections against real mosquitto brokers whose certificates are made at test time.

#include "LogCapture.h"
#include "MosquittoBroker.h"
#include "RecordingClient.h"
#include "TestCertificates.h"
#include "VOKMosquittoHandle.h"

#include <QDateTime>
#include <QTest>

#include <mosquitto.h>

#include <gtest/gtest.h>

namespace {

const QString localhost = QStringLiteral("localhost");

bool waitFor(const std::function<bool()> &condition)
{
    return QTest::qWaitFor(condition, 15000);
}

// Sets an environment variable for the lifetime of the object.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char *name, const QString &value)
        : m_name(name)
    {
        qputenv(name, value.toLocal8Bit());
    }
    ~ScopedEnvironment() { qunsetenv(m_name); }

private:
    const char *m_name;
};

class VOKTLSContextTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        certificates = std::make_unique<TestCertificates>();
        ASSERT_TRUE(certificates->create()) << certificates->errorString().toStdString();
    }
    static void TearDownTestSuite() { certificates.reset(); }

    // A TLS broker with the server certificate, started.
    void start(MosquittoBroker &broker, const TestCertificates::Files &server, bool requireCertificate = false)
    {
        broker.setTls({server.certificate, server.key,
                       requireCertificate ? certificates->testCa().certificate : QString(), requireCertificate});
        ASSERT_TRUE(broker.start()) << broker.errorString().toStdString();
    }

    // Waits for the reason the latest handshake failed.
    static QString verificationFailure(RecordingClient &client, int errors = 1)
    {
        if (!waitFor([&] { return client.tlsErrors >= errors; }))
            return QStringLiteral("(no TLS error)");
        return client.lastTLSError();
    }

    static inline std::unique_ptr<TestCertificates> certificates;
};

TEST_F(VOKTLSContextTest, AnUnknownCAIsExplainedWithTheCertificateAndAnImportedCAIsKept)
{
    MosquittoBroker broker;
    start(broker, certificates->server());
    RecordingClient client(localhost, broker.port());
    client.enableTLS();
    client.connectToBroker();
    EXPECT_EQ(verificationFailure(client), QStringLiteral("unable to get local issuer certificate"));
    const VOKCertificateInfo presented = client.presentedCertificate();
    EXPECT_TRUE(presented.subject.contains(QStringLiteral("CN=localhost")));
    EXPECT_TRUE(presented.issuer.contains(QStringLiteral("CN=Vindle Test CA")));
    EXPECT_LT(presented.validFrom, QDateTime::currentDateTimeUtc());
    EXPECT_GT(presented.validUntil, QDateTime::currentDateTimeUtc());
    EXPECT_EQ(presented.sha256Fingerprint.size(), 32 * 3 - 1);
    EXPECT_EQ(client.connects, 0);

    client.reconnectWithTLSVerifyMode(2, certificates->testCa().certificate);
    ASSERT_TRUE(waitFor([&] { return client.connects == 1; }));
    EXPECT_TRUE(client.tlsConnectionDescription().startsWith(QStringLiteral("TLSv1.")));

    // A viewer opened again later finds the stored settings and the copy of the CA.
    RecordingClient reopened(localhost, broker.port());
    reopened.connectToBroker();
    ASSERT_TRUE(waitFor([&] { return reopened.connects == 1; }));
    EXPECT_TRUE(reopened.useTLS());
    EXPECT_NE(reopened.caCertificatePath(), certificates->testCa().certificate);
}

TEST_F(VOKTLSContextTest, AServerTrustedAnywayIsAskedAboutAgainWhenItsCertificateChanges)
{
    MosquittoBroker broker;
    start(broker, certificates->selfSignedServer());
    RecordingClient client(localhost, broker.port());
    client.enableTLS();
    client.connectToBroker();
    EXPECT_EQ(verificationFailure(client), QStringLiteral("self-signed certificate"));

    client.setTrustedCertificateFingerprint(client.presentedCertificate().sha256Fingerprint);
    client.reconnectWithTLSVerifyMode(1, QString());
    ASSERT_TRUE(waitFor([&] { return client.connects == 1; }));

    // The library reconnects by itself to the restarted broker, which now shows another certificate.
    const int errorsBefore = client.tlsErrors;
    broker.stop();
    start(broker, certificates->otherSelfSignedServer());
    EXPECT_EQ(verificationFailure(client, errorsBefore + 1),
              QStringLiteral("the server's certificate is not the one trusted before"));
    EXPECT_EQ(client.connects, 1);
}

TEST_F(VOKTLSContextTest, ExpiredAndMisnamedCertificatesGiveOpenSSLsReason)
{
    const struct
    {
        TestCertificates::Files server;
        QString host;
        QString reason;
    } cases[] = {
        {certificates->expiredServer(), localhost, QStringLiteral("certificate has expired")},
        {certificates->wrongHostServer(), localhost, QStringLiteral("hostname mismatch")},
        {certificates->wrongHostServer(), QStringLiteral("127.0.0.1"), QStringLiteral("IP address mismatch")},
    };
    for (const auto &[server, host, reason] : cases) {
        MosquittoBroker broker;
        start(broker, server);
        RecordingClient client(host, broker.port());
        client.reconnectWithTLSVerifyMode(2, certificates->testCa().certificate);
        EXPECT_EQ(verificationFailure(client), reason);
    }
}

TEST_F(VOKTLSContextTest, TheSystemsTrustedCAsNeedNoPromptAndAPlainClientFallsBackToThem)
{
    MosquittoBroker broker;
    start(broker, certificates->server());
    const ScopedEnvironment trusted("SSL_CERT_FILE", certificates->testCa().certificate);

    // The broker drops the plain attempt: the client tries once more, with TLS, on the same port.
    RecordingClient client(QStringLiteral("127.0.0.1"), broker.port());
    client.connectToBroker();
    ASSERT_TRUE(waitFor([&] { return client.connects == 1; }));
    EXPECT_TRUE(client.useTLS());
    EXPECT_EQ(client.port(), broker.port());
    EXPECT_EQ(client.tlsErrors, 0);
    EXPECT_FALSE(client.triedTLSFallback());
}

TEST_F(VOKTLSContextTest, APortThatRefusesFailsTheConnectAndTheHandleGoesAtOnce)
{
    RecordingClient client(localhost, MosquittoBroker().choosePort());
    client.enableTLS();
    client.connectToBroker();
    ASSERT_TRUE(waitFor([&] { return client.connectRequestFailures == 1; }));
    EXPECT_EQ(client.lastConnectRequestResult, MOSQ_ERR_ERRNO);
    client.disconnectFromBroker();
    EXPECT_TRUE(VOKMosquittoHandle::waitForTeardowns(10000));
}

TEST_F(VOKTLSContextTest, ClientCertificatesAndEncryptedKeysAskForWhatIsMissing)
{
    LogCapture log;
    MosquittoBroker broker;
    start(broker, certificates->server(), true);
    const ScopedEnvironment trusted("SSL_CERT_FILE", certificates->testCa().certificate);
    RecordingClient client(localhost, broker.port());
    client.enableTLS();
    client.connectToBroker();
    ASSERT_TRUE(waitFor([&] { return client.mTLSRequests >= 1; }));

    client.reconnectWithClientCertificate(certificates->client().certificate, certificates->encryptedClientKey());
    ASSERT_TRUE(waitFor([&] { return client.passphraseRequests == 1; }));
    const QString wrong = QStringLiteral("not the passphrase");
    client.reconnectWithKeyPassphrase(wrong);
    ASSERT_TRUE(waitFor([&] { return client.passphraseRejections == 1; }));
    client.reconnectWithKeyPassphrase(QString::fromLatin1(TestCertificates::clientKeyPassphrase));
    ASSERT_TRUE(waitFor([&] { return client.connects == 1; }));

    // The clear key needs no passphrase.
    client.reconnectWithClientCertificate(certificates->client().certificate, certificates->client().key);
    ASSERT_TRUE(waitFor([&] { return client.connects == 2; }));

    for (const QString &secret : {wrong, QString::fromLatin1(TestCertificates::clientKeyPassphrase),
                                  QStringLiteral("PRIVATE KEY")})
        EXPECT_TRUE(log.linesContaining(secret).isEmpty()) << secret.toStdString();
}

} // namespace

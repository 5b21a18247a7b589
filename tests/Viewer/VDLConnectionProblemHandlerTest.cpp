#include "KeychainTestSupport.h"
#include "LogCapture.h"
#include "MosquittoBroker.h"
#include "TestCertificates.h"
#include "VDLClient.h"
#include "VDLConnectionProblemHandler.h"
#include "VDLTopicsViewController.h"
#include "VDLURLOpener.h"
#include "VDLViewerFlagsViewController.h"
#include "VDLViewerViewController.h"
#include "VOKCredentialPrompt.h"
#include "VOKKeychainHelper.h"
#include "VOKMemoryKeychainBackend.h"
#include "VOKPreferences.h"
#include "VOKSecretServiceKeychainBackend.h"
#include "VOKWindow.h"
#include "VOKWindowController.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int waitMilliseconds = 10000;
const QString user = QStringLiteral("alice");
const QString secret = QStringLiteral("s3cret-Pa55");

struct ConnectionProblemsTest : ::testing::Test
{
    void SetUp() override
    {
        // The real store when the tests run beside one (./test.sh provides it), else memory.
        QString reason;
        std::shared_ptr<VOKKeychainBackend> store = VOKSecretServiceKeychainBackend::connectToService(&reason);
        VOKKeychainHelper::setBackend(store ? store : std::make_shared<VOKMemoryKeychainBackend>());
    }

    void TearDown() override
    {
        for (VOKWindowController *controller : VOKWindowController::openControllers())
            controller->window()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        VOKKeychainHelper::setBackend(std::make_shared<VOKMemoryKeychainBackend>());
    }

    static VDLViewerViewController *open(const QString &url)
    {
        VDLURLOpener::open(QUrl(url));
        for (VOKWindowController *controller : VOKWindowController::openControllers()) {
            auto *const viewer = qobject_cast<VDLViewerViewController *>(controller->viewController());
            if (viewer && viewer->window()->isVisible() && url.endsWith(viewer->property("path").toString()))
                return viewer;
        }
        return nullptr;
    }

    // The sheets of a kind now open on the viewer's window.
    template <typename Sheet>
    static QList<Sheet *> sheets(const VDLViewerViewController *viewer)
    {
        QList<Sheet *> open;
        for (Sheet *sheet : viewer->window()->findChildren<Sheet *>()) {
            if (sheet->isVisible())
                open.append(sheet);
        }
        return open;
    }

    static bool waitForPrompt(const VDLViewerViewController *viewer)
    {
        return QTest::qWaitFor([viewer] { return sheets<VOKCredentialPrompt>(viewer).size() == 1; }, waitMilliseconds);
    }

    // The alert titled so that is open on the viewer's window, or null.
    static QMessageBox *alertTitled(const VDLViewerViewController *viewer, const QString &title)
    {
        for (QMessageBox *box : sheets<QMessageBox>(viewer)) {
            if (box->text() == title)
                return box;
        }
        return nullptr;
    }

    static bool waitForAlert(const VDLViewerViewController *viewer, const QString &title)
    {
        return QTest::qWaitFor([&] { return sheets<QMessageBox>(viewer).size() == 1 && alertTitled(viewer, title); },
                               waitMilliseconds);
    }

    static VDLViewerFlagsViewController *flags(const VDLViewerViewController *viewer)
    {
        return viewer->findChild<VDLViewerFlagsViewController *>();
    }

    static void answer(VOKCredentialPrompt *prompt, const QString &username, const QString &password)
    {
        prompt->findChild<QLineEdit *>(QStringLiteral("username"))->setText(username);
        prompt->findChild<QLineEdit *>(QStringLiteral("secureField"))->setText(password);
        prompt->accept();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static void click(QMessageBox *box, const QString &text)
    {
        for (QAbstractButton *button : box->buttons()) {
            if (button->text().replace(QLatin1String("&&"), QLatin1String("&")) == text)
                button->click();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

bool preferencesHold(const QString &text)
{
    QFile preferences(VOKPreferences::standardFilePath());
    return preferences.open(QIODevice::ReadOnly) && preferences.readAll().contains(text.toUtf8());
}

QString fileWith(const QTemporaryDir &folder, const QString &name)
{
    QFile file(folder.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write("-----BEGIN-----\n");
    return file.fileName();
}

} // namespace

TEST_F(ConnectionProblemsTest, ARefusedLoginAsksOnceAndTheAnswerLogsIn)
{
    LogCapture log;
    MosquittoBroker broker(user, secret);
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    VOKMosquittoClient publisher(QStringLiteral("127.0.0.1"), broker.port());
    publisher.setUsername(user, secret);
    publisher.publishTopic(QStringLiteral("home/lamp"), "ON", true);
    publisher.connectToBroker();
    ASSERT_TRUE(QTest::qWaitFor([&] { return publisher.isConnected() && publisher.publishQueue().isEmpty(); },
                                waitMilliseconds));

    const QString service = QStringLiteral("Vindle:127.0.0.1:%1").arg(broker.port());
    VOKKeychainHelper::deleteAllPasswordsForService(service);
    VDLViewerViewController *const viewer = open(QStringLiteral("mqtt://127.0.0.1:%1").arg(broker.port()));
    ASSERT_TRUE(viewer);
    VDLClient *const client = viewer->client();
    ASSERT_TRUE(waitForPrompt(viewer));
    EXPECT_EQ(client->connectionError(), QStringLiteral("Authentication failed"));
    EXPECT_EQ(client->mosq(), nullptr);
    // The client reporting again while the prompt is open raises no second one.
    viewer->topicsPane()->clientConnectionFailedWithReason(client, 5);
    EXPECT_EQ(sheets<VOKCredentialPrompt>(viewer).size(), 1);
    EXPECT_TRUE(viewer->topicsPane()->connectionProblemHandler()->isShowingCredentialPrompt());
    EXPECT_EQ(sheets<VOKCredentialPrompt>(viewer).first()->windowTitle(), QStringLiteral("Authentication Required"));

    // A wrong password asks again; the right one is stored and logs in.
    answer(sheets<VOKCredentialPrompt>(viewer).first(), user, QStringLiteral("wrong"));
    ASSERT_TRUE(waitForPrompt(viewer));
    const QLineEdit *const username =
        sheets<VOKCredentialPrompt>(viewer).first()->findChild<QLineEdit *>(QStringLiteral("username"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return username->text() == user; }, waitMilliseconds));
    answer(sheets<VOKCredentialPrompt>(viewer).first(), user, secret);
    ASSERT_TRUE(QTest::qWaitFor([&] { return client->topicAt(QStringLiteral("home/lamp"), false) != nullptr; },
                                waitMilliseconds));
    EXPECT_TRUE(client->connectionError().isNull());
    EXPECT_EQ(VOKKeychainHelper::usernameForService(service), user);
    EXPECT_EQ(VOKKeychainHelper::passwordForService(service, user), secret);

    // The password reached no log line and not the preferences.
    EXPECT_FALSE(log.lines().isEmpty());
    EXPECT_TRUE(log.linesContaining(secret).isEmpty());
    EXPECT_FALSE(preferencesHold(secret));

    // Asked for by the user, the prompt leaves the window open when cancelled, and connects again.
    client->showCredentialsUI();
    ASSERT_TRUE(waitForPrompt(viewer));
    EXPECT_EQ(sheets<VOKCredentialPrompt>(viewer).first()->windowTitle(), QStringLiteral("Change Credentials"));
    sheets<VOKCredentialPrompt>(viewer).first()->reject();
    EXPECT_TRUE(viewer->window()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return client->isConnected() && client->mosq(); }, waitMilliseconds));
}

TEST_F(ConnectionProblemsTest, CancellingARefusedLoginClosesTheWindowAndUserInfoLogsIn)
{
    LogCapture log;
    MosquittoBroker broker(user, secret);
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    VOKKeychainHelper::deleteAllPasswordsForService(QStringLiteral("Vindle:127.0.0.1:%1").arg(broker.port()));

    // A user name alone is offered by the prompt; Cancel closes the window.
    QPointer<VDLViewerViewController> viewer = open(QStringLiteral("mqtt://bob@127.0.0.1:%1/a").arg(broker.port()));
    ASSERT_TRUE(viewer);
    ASSERT_TRUE(waitForPrompt(viewer));
    VOKCredentialPrompt *const prompt = sheets<VOKCredentialPrompt>(viewer).first();
    EXPECT_EQ(prompt->findChild<QLineEdit *>(QStringLiteral("username"))->text(), QStringLiteral("bob"));
    prompt->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(viewer.isNull());

    // A user name with a password is stored before the viewer connects: no prompt.
    viewer = open(QStringLiteral("mqtt://%1:%2@127.0.0.1:%3/b").arg(user, secret).arg(broker.port()));
    ASSERT_TRUE(viewer);
    EXPECT_FALSE(viewer->vokWindowTitle().contains(secret));
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->client()->isConnected(); }, waitMilliseconds));
    EXPECT_TRUE(sheets<VOKCredentialPrompt>(viewer).isEmpty());
    EXPECT_EQ(VOKKeychainHelper::passwordForService(viewer->client()->keychainService(), user), secret);
    EXPECT_TRUE(log.linesContaining(secret).isEmpty());
    EXPECT_FALSE(preferencesHold(secret));
}

TEST_F(ConnectionProblemsTest, CertificateProblemsAskAndStoreTheAnswer)
{
    LogCapture log;
    QTemporaryDir chosen;
    VDLViewerViewController *const viewer = open(QStringLiteral("mqtt://127.0.0.1:1/tls"));
    ASSERT_TRUE(viewer);
    VDLClient *const client = viewer->client();
    VDLTopicsViewController *const topics = viewer->topicsPane();

    // A verification failure asks once; Trust Anyway stores the choice and reconnects with TLS.
    topics->clientTLSErrorOccurred(client, QStringLiteral("certificate verify failed: Certificate Has Expired"));
    topics->clientTLSErrorOccurred(client, QStringLiteral("again"));
    ASSERT_EQ(sheets<QMessageBox>(viewer).size(), 1);
    QMessageBox *const tls = sheets<QMessageBox>(viewer).first();
    EXPECT_EQ(tls->text(), QStringLiteral("TLS Certificate Error"));
    EXPECT_EQ(tls->informativeText(),
              VDLConnectionProblemHandler::tlsPromptMessage(QStringLiteral("127.0.0.1"), 1,
                                                            QStringLiteral("The server's certificate has expired.")));
    EXPECT_TRUE(tls->informativeText().startsWith(QStringLiteral("Could not verify certificate for 127.0.0.1:1\n\n")));
    click(tls, QStringLiteral("Trust Anyway"));
    EXPECT_TRUE(client->useTLS());
    EXPECT_EQ(client->tlsVerifyMode(), 1);
    EXPECT_TRUE(VOKPreferences::standard().dictionaryForKey(client->tlsSettingsKey()).value(QStringLiteral("useTLS")).toBool());
    EXPECT_FALSE(topics->connectionProblemHandler()->isShowingTLSPrompt());

    // Asked for by the user: certificate and key are copied; then the configuration is cleared.
    topics->clientRequestsmTLSPrompt(client);
    click(sheets<QMessageBox>(viewer).first(), QStringLiteral("Select Certificate & Key..."));
    const auto choose = [&](const QString &path) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !sheets<QFileDialog>(viewer).isEmpty(); }));
        QFileDialog *const sheet = sheets<QFileDialog>(viewer).first();
        sheet->selectFile(path);
        static_cast<QDialog *>(sheet)->accept(); // QFileDialog hides its own accept()
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    choose(fileWith(chosen, QStringLiteral("me.crt")));
    choose(fileWith(chosen, QStringLiteral("me.key")));
    const QString certificate = client->clientCertificatePath();
    EXPECT_TRUE(certificate.endsWith(QStringLiteral("/client_cert.crt")));
    EXPECT_TRUE(QFile::exists(certificate));
    topics->clientRequestsmTLSPrompt(client);
    click(sheets<QMessageBox>(viewer).first(), QStringLiteral("Clear Configuration"));
    EXPECT_TRUE(client->clientCertificatePath().isEmpty());
    EXPECT_FALSE(QFile::exists(certificate));
    EXPECT_TRUE(viewer->window()->isVisible());

    // A file that cannot be read by the time it is used: the client reports it, nothing breaks.
    topics->clientRequestsmTLSPrompt(client);
    click(sheets<QMessageBox>(viewer).first(), QStringLiteral("Select Certificate & Key..."));
    const QString vanishing = fileWith(chosen, QStringLiteral("gone.crt"));
    choose(vanishing);
    QFile::remove(vanishing);
    choose(fileWith(chosen, QStringLiteral("other.key")));
    EXPECT_EQ(log.linesContaining(QStringLiteral("Failed to copy certificate")).size(), 1);
    EXPECT_TRUE(client->clientCertificatePath().isEmpty());

    // Demanded by the broker, the prompt closes the window when cancelled.
    topics->clientMTLSRequired(client, QStringLiteral("certificate required"));
    topics->clientMTLSRequired(client, QStringLiteral("certificate required"));
    ASSERT_EQ(sheets<QMessageBox>(viewer).size(), 1);
    const QPointer<QWidget> window = viewer->window();
    click(sheets<QMessageBox>(viewer).first(), QStringLiteral("Cancel"));
    EXPECT_TRUE(window.isNull());
}

TEST_F(ConnectionProblemsTest, TrustAnywayPinsTheCertificateShownAndTheFlagsShowTheLock)
{
    TestCertificates certificates;
    ASSERT_TRUE(certificates.create()) << qPrintable(certificates.errorString());
    MosquittoBroker broker;
    const TestCertificates::Files selfSigned = certificates.selfSignedServer();
    broker.setTls({selfSigned.certificate, selfSigned.key, QString(), false});
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    QPointer<VDLViewerViewController> viewer = open(QStringLiteral("mqtts://127.0.0.1:%1/pin").arg(broker.port()));
    ASSERT_TRUE(viewer);
    VDLClient *const client = viewer->client();
    const QString tlsSettingsKey = client->tlsSettingsKey();
    VOKPreferences::standard().removeObjectForKey(tlsSettingsKey);

    // The sheet shows the certificate the server presented.
    const QString title = QStringLiteral("TLS Certificate Error");
    ASSERT_TRUE(waitForAlert(viewer, title));
    const VOKCertificateInfo first = client->presentedCertificate();
    ASSERT_FALSE(first.isNull());
    const QString shown = alertTitled(viewer, title)->findChild<QLabel *>(QStringLiteral("certificate"))->text();
    EXPECT_TRUE(shown.contains(QStringLiteral("Subject: CN=localhost\n")));
    EXPECT_TRUE(shown.contains(first.sha256Fingerprint.left(47)));
    EXPECT_FALSE(flags(viewer)->showsLock());

    // Trust Anyway stores that certificate's fingerprint; connected, the flags show the lock and
    // name the protocol and cipher.
    click(alertTitled(viewer, title), QStringLiteral("Trust Anyway"));
    const QVariantMap stored = VOKPreferences::standard().dictionaryForKey(tlsSettingsKey);
    EXPECT_EQ(stored.value(QStringLiteral("trustedCertificateFingerprint")), first.sha256Fingerprint);
    ASSERT_TRUE(QTest::qWaitFor([&] { return flags(viewer)->showsLock(); }, waitMilliseconds));
    EXPECT_EQ(flags(viewer)->text(), QStringLiteral("TLS · Connected"));
    EXPECT_EQ(flags(viewer)->toolTip(), client->tlsConnectionDescription());

    // Another certificate on the same server asks again, showing the new one.
    broker.stop();
    const TestCertificates::Files other = certificates.otherSelfSignedServer();
    broker.setTls({other.certificate, other.key, QString(), false});
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return alertTitled(viewer, title) != nullptr; }, 40000));
    EXPECT_FALSE(flags(viewer)->showsLock());
    const QString second = client->presentedCertificate().sha256Fingerprint;
    EXPECT_NE(second, first.sha256Fingerprint);
    const QLabel *const again = alertTitled(viewer, title)->findChild<QLabel *>(QStringLiteral("certificate"));
    EXPECT_TRUE(again->text().contains(second.left(47)));
    click(alertTitled(viewer, title), QStringLiteral("Cancel"));
    EXPECT_TRUE(viewer.isNull());
}

TEST_F(ConnectionProblemsTest, AnEncryptedClientKeyAsksForItsPassphraseAndABadFileIsNamed)
{
    LogCapture log;
    TestCertificates certificates;
    ASSERT_TRUE(certificates.create()) << qPrintable(certificates.errorString());
    MosquittoBroker broker;
    const QString ca = certificates.testCa().certificate;
    broker.setTls({certificates.server().certificate, certificates.server().key, ca, true});
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    {
        // What an earlier session chose for this server, with a passphrase that no longer fits.
        VDLClient earlier(QStringLiteral("127.0.0.1"), broker.port());
        earlier.enableTLS();
        earlier.setTLSVerifyMode(2, ca);
        earlier.setClientCertificatePath(certificates.client().certificate, certificates.encryptedClientKey());
        earlier.saveTLSSettings();
        const QString service = earlier.keychainService() + QStringLiteral(":clientKey");
        VOKKeychainHelper::setPassword(QStringLiteral("stale"), service, QStringLiteral("passphrase"));
    }
    QPointer<VDLViewerViewController> viewer = open(QStringLiteral("mqtts://127.0.0.1:%1/key").arg(broker.port()));
    ASSERT_TRUE(viewer);
    VDLClient *const client = viewer->client();
    VDLTopicsViewController *const topics = viewer->topicsPane();

    // The stored passphrase is wrong: the prompt says so, once however often the client asks.
    const QString title = QStringLiteral("Client Key Passphrase");
    ASSERT_TRUE(waitForAlert(viewer, title));
    topics->clientKeyPassphraseRequired(client, true);
    EXPECT_EQ(sheets<QMessageBox>(viewer).size(), 1);
    QMessageBox *const prompt = alertTitled(viewer, title);
    EXPECT_TRUE(prompt->informativeText().startsWith(QStringLiteral("The passphrase was wrong. Try again.\n\n")));

    // OK keeps the passphrase in the credential store only and connects.
    const QString passphrase = QString::fromLatin1(TestCertificates::clientKeyPassphrase);
    prompt->findChild<QLineEdit *>(QStringLiteral("passphrase"))->setText(passphrase);
    click(prompt, QStringLiteral("OK"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return flags(viewer)->showsLock(); }, waitMilliseconds));
    ASSERT_TRUE(settleKeychainQueue());
    EXPECT_EQ(VOKKeychainHelper::passwordForService(client->keychainService() + QStringLiteral(":clientKey"),
                                                    QStringLiteral("passphrase")),
              passphrase);
    EXPECT_TRUE(log.linesContaining(passphrase).isEmpty());
    EXPECT_FALSE(preferencesHold(passphrase));

    // A key file that went away: the status's tool tip names it, until the status changes.
    const QString key = client->clientKeyPath();
    QFile::remove(key);
    client->disconnectFromBroker();
    client->connectToBroker();
    const QString setupFailed = QStringLiteral("TLS · TLS setup failed - check certificate settings");
    ASSERT_TRUE(QTest::qWaitFor([&] { return flags(viewer)->text() == setupFailed; }, waitMilliseconds));
    EXPECT_TRUE(flags(viewer)->toolTip().contains(key)) << qPrintable(flags(viewer)->toolTip());
    ASSERT_TRUE(QFile::copy(certificates.encryptedClientKey(), key));
    client->disconnectFromBroker();
    client->connectToBroker();
    ASSERT_TRUE(QTest::qWaitFor([&] { return flags(viewer)->showsLock(); }, waitMilliseconds));
    EXPECT_EQ(flags(viewer)->toolTip(), client->tlsConnectionDescription());

    // Raised by the client's failure, the prompt closes the window when cancelled.
    topics->clientKeyPassphraseRequired(client, false);
    ASSERT_TRUE(waitForAlert(viewer, title));
    click(alertTitled(viewer, title), QStringLiteral("Cancel"));
    EXPECT_TRUE(viewer.isNull());
}

TEST_F(ConnectionProblemsTest, AnAnswerAfterTheViewerClosedDoesNothing)
{
    VDLViewerViewController *const viewer = open(QStringLiteral("mqtt://127.0.0.1:1/late"));
    ASSERT_TRUE(viewer);
    viewer->topicsPane()->clientTLSErrorOccurred(viewer->client(), QStringLiteral("self signed"));
    const QPointer<QMessageBox> tls = sheets<QMessageBox>(viewer).first();
    viewer->client()->showCredentialsUI();
    ASSERT_EQ(sheets<VOKCredentialPrompt>(viewer).size(), 1);
    viewer->window()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(tls.isNull());
    EXPECT_TRUE(VOKWindowController::openControllers().isEmpty());
}

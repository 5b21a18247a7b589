#include "KeychainTestSupport.h"
#include "VOKCertificateInfo.h"
#include "VOKCredentialPrompt.h"
#include "VOKKeychainHelper.h"
#include "VOKMemoryKeychainBackend.h"
#include "VOKPassphrasePrompt.h"
#include "VOKTLSPrompt.h"
#include "VOKmTLSPrompt.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QKeySequence>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

// What a prompt's completion received, and how often it ran.
struct Answer
{
    int calls = 0;
    int choice = -1;
    QString first;
    QString second;
    bool cancelled = false;
};

struct PromptTest : ::testing::Test
{
    void SetUp() override
    {
        VOKKeychainHelper::setBackend(std::make_shared<VOKMemoryKeychainBackend>());
        window = std::make_unique<QWidget>();
        window->show();
    }

    void TearDown() override
    {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    VOKCredentialPrompt::Completion credentials()
    {
        return [this](const QString &username, const QString &password, bool cancelled) {
            ++answer.calls;
            answer.first = username;
            answer.second = password;
            answer.cancelled = cancelled;
        };
    }
    VOKPassphrasePrompt::Completion passphrase()
    {
        return [this](const QString &text, bool cancelled) {
            ++answer.calls;
            answer.first = text;
            answer.cancelled = cancelled;
        };
    }
    VOKTLSPrompt::Completion tlsChoice()
    {
        return [this](int choice, const QString &path) {
            ++answer.calls;
            answer.choice = choice;
            answer.first = path;
        };
    }
    VOKmTLSPrompt::Completion mTLSChoice()
    {
        return [this](int choice, const QString &certificate, const QString &key) {
            ++answer.calls;
            answer.choice = choice;
            answer.first = certificate;
            answer.second = key;
        };
    }

    // The file sheet now open on the window.
    QFileDialog *fileSheet() const
    {
        for (QFileDialog *dialog : window->findChildren<QFileDialog *>()) {
            if (dialog->isVisible())
                return dialog;
        }
        return nullptr;
    }
    bool chooseFile(const QString &path) const
    {
        if (!QTest::qWaitFor([this] { return fileSheet() != nullptr; }))
            return false;
        QFileDialog *const sheet = fileSheet();
        if (path.isNull()) {
            sheet->reject();
        } else {
            sheet->selectFile(path);
            static_cast<QDialog *>(sheet)->accept(); // QFileDialog hides its own accept()
        }
        return true;
    }
    QString makeFile(const QString &name) const
    {
        const QString path = files.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("-----BEGIN-----\n");
        return path;
    }

    static QStringList buttonTexts(const QMessageBox *box)
    {
        QStringList texts;
        // As shown: a doubled "&" reads as one, a single one would mark a shortcut and vanish.
        for (const QAbstractButton *button : box->buttons())
            texts.append(QKeySequence::mnemonic(button->text()).isEmpty() ? QString(button->text()).replace(QLatin1String("&&"), QLatin1String("&"))
                                                                          : QStringLiteral("(shortcut) ") + button->text());
        return texts;
    }

    std::unique_ptr<QWidget> window;
    Answer answer;
    QTemporaryDir files;
};

QLineEdit *field(const QWidget *prompt, const char *name)
{
    return prompt->findChild<QLineEdit *>(QString::fromLatin1(name));
}

} // namespace

TEST_F(PromptTest, CredentialPromptStartsFromTheStoreAndKeepsTheTextAcrossShowPassword)
{
    VOKKeychainHelper::setPassword(QStringLiteral("stored-pw"), QStringLiteral("Vindle:h:1883"), QStringLiteral("alice"));
    VOKCredentialPrompt *prompt = VOKCredentialPrompt::showForWindow(
        window.get(), QStringLiteral("Authentication Required"), QStringLiteral("Enter credentials for h:1883"),
        QStringLiteral("Vindle:h:1883"), credentials());
    EXPECT_TRUE(prompt->isModal());
    EXPECT_EQ(prompt->windowModality(), Qt::WindowModal);
    ASSERT_TRUE(settleKeychainQueue());
    EXPECT_EQ(field(prompt, "username")->text(), QStringLiteral("alice"));
    EXPECT_EQ(field(prompt, "secureField")->text(), QStringLiteral("stored-pw"));
    EXPECT_EQ(prompt->focusWidget(), field(prompt, "secureField"));

    // The stored password is often the one just refused: typing replaces it.
    QLineEdit *const secure = field(prompt, "secureField");
    QLineEdit *const plain = field(prompt, "plainField");
    QCheckBox *const show = prompt->findChild<QCheckBox *>(QStringLiteral("showPassword"));
    QTest::keyClicks(secure, QStringLiteral("typed"));
    EXPECT_EQ(secure->text(), QStringLiteral("typed"));

    // Typed, shown, edited, hidden, shown again and edited: the last text is what connects.
    show->click();
    EXPECT_TRUE(plain->isVisible());
    EXPECT_FALSE(secure->isVisible());
    plain->setText(plain->text() + QStringLiteral("-1"));
    show->click();
    EXPECT_EQ(secure->text(), QStringLiteral("typed-1"));
    EXPECT_TRUE(secure->isVisible());
    show->click();
    plain->setText(plain->text() + QStringLiteral("-2"));
    QTest::keyClick(plain, Qt::Key_Return);
    EXPECT_EQ(answer.calls, 1);
    EXPECT_EQ(answer.first, QStringLiteral("alice"));
    EXPECT_EQ(answer.second, QStringLiteral("typed-1-2"));
    EXPECT_FALSE(answer.cancelled);

    // Without a service, or with nothing stored, the fields start empty and the user name has
    // the focus; Escape cancels. A suggested user name takes the stored one's place.
    answer = {};
    prompt = VOKCredentialPrompt::showForWindow(window.get(), QStringLiteral("t"), QStringLiteral("m"), QString(),
                                                credentials());
    EXPECT_TRUE(field(prompt, "username")->text().isEmpty());
    EXPECT_TRUE(field(prompt, "secureField")->text().isEmpty());
    EXPECT_EQ(prompt->focusWidget(), field(prompt, "username"));
    QTest::keyClick(field(prompt, "username"), Qt::Key_Escape);
    EXPECT_EQ(answer.calls, 1);
    EXPECT_TRUE(answer.cancelled);
    EXPECT_TRUE(answer.first.isNull());

    prompt = VOKCredentialPrompt::showForWindow(window.get(), QStringLiteral("t"), QStringLiteral("m"),
                                                QStringLiteral("Vindle:h:1883"), credentials(), QStringLiteral("bob"));
    ASSERT_TRUE(settleKeychainQueue());
    EXPECT_EQ(field(prompt, "username")->text(), QStringLiteral("bob"));
    EXPECT_TRUE(field(prompt, "secureField")->text().isEmpty());
}

TEST_F(PromptTest, CredentialPromptTakesTypingWhileTheStoreIsSlowAndKeepsWhatWasTyped)
{
    const auto keychain = std::make_shared<GatedKeychainBackend>();
    keychain->contents().addItem({QStringLiteral("Vindle:h:1883"), QStringLiteral("alice"), "stored-pw"});
    VOKKeychainHelper::setBackend(keychain);

    VOKCredentialPrompt *prompt = VOKCredentialPrompt::showForWindow(
        window.get(), QStringLiteral("t"), QStringLiteral("m"), QStringLiteral("Vindle:h:1883"), credentials());
    EXPECT_TRUE(field(prompt, "username")->text().isEmpty());
    QTest::keyClicks(field(prompt, "username"), QStringLiteral("bob"));
    keychain->letGo(2);
    ASSERT_TRUE(settleKeychainQueue());
    EXPECT_EQ(field(prompt, "username")->text(), QStringLiteral("bob"));
    // The stored password belongs to another user: it is not offered for this one.
    EXPECT_TRUE(field(prompt, "secureField")->text().isEmpty());
    prompt->reject();

    // Untouched fields take the stored pair when it arrives, and the focus moves on to the password.
    prompt = VOKCredentialPrompt::showForWindow(window.get(), QStringLiteral("t"), QStringLiteral("m"),
                                                QStringLiteral("Vindle:h:1883"), credentials());
    keychain->letGo(2);
    ASSERT_TRUE(settleKeychainQueue());
    EXPECT_EQ(field(prompt, "username")->text(), QStringLiteral("alice"));
    EXPECT_EQ(field(prompt, "secureField")->text(), QStringLiteral("stored-pw"));
    EXPECT_EQ(prompt->focusWidget(), field(prompt, "secureField"));

    // A prompt closed, with its window, before the store answers takes no harm from the answer.
    prompt->reject();
    VOKCredentialPrompt::showForWindow(window.get(), QStringLiteral("t"), QStringLiteral("m"),
                                       QStringLiteral("Vindle:h:1883"), credentials());
    window.reset();
    keychain->letGo(2);
    ASSERT_TRUE(settleKeychainQueue());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(keychain->callsNotLetGo, 0);
}

TEST_F(PromptTest, EveryPromptAnswersOnceWhenItsWindowGoesAway)
{
    VOKCredentialPrompt::showForWindow(window.get(), QStringLiteral("t"), QStringLiteral("m"), QString(), credentials());
    window.reset();
    EXPECT_EQ(answer.calls, 1);
    EXPECT_TRUE(answer.cancelled);

    // Also while a file sheet follows the prompt.
    answer = {};
    window = std::make_unique<QWidget>();
    window->show();
    QMessageBox *const box =
        VOKTLSPrompt::showForWindow(window.get(), QStringLiteral("t"), QStringLiteral("m"), {}, tlsChoice());
    box->buttons().first()->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return fileSheet() != nullptr; }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(answer.calls, 0);
    window.reset();
    EXPECT_EQ(answer.calls, 1);
    EXPECT_EQ(answer.choice, VOKTLSPrompt::Cancelled);
}

TEST_F(PromptTest, TLSPromptShowsTheCertificateAndTrustsOrImportsTheChosenCACertificate)
{
    const QString fingerprint = QStringLiteral("0A:1B:2C:3D:4E:5F:60:71:82:93:A4:B5:C6:D7:E8:F9:"
                                               "FF:EE:DD:CC:BB:AA:99:88:77:66:55:44:33:22:11:00");
    const VOKCertificateInfo certificate{QStringLiteral("CN=broker.example"), QStringLiteral("CN=Example CA,O=Ex"),
                                         QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC),
                                         QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5), Qt::UTC), fingerprint};
    QMessageBox *box = VOKTLSPrompt::showForWindow(window.get(), QStringLiteral("TLS Certificate Error"),
                                                   QStringLiteral("why"), certificate, tlsChoice());
    EXPECT_EQ(buttonTexts(box), (QStringList{QStringLiteral("Import CA Certificate..."), QStringLiteral("Trust Anyway"),
                                             QStringLiteral("Cancel")}));
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    // In view without a click, between the message and the buttons; the fingerprint on two lines.
    const QLabel *const shown = box->findChild<QLabel *>(QStringLiteral("certificate"));
    ASSERT_TRUE(shown);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
    EXPECT_TRUE(shown->isVisible());
    EXPECT_LT(shown->geometry().bottom(), box->findChild<QDialogButtonBox *>()->geometry().top());
    EXPECT_EQ(shown->text(), QStringLiteral("Subject: CN=broker.example\nIssuer: CN=Example CA,O=Ex\n"
                                            "Valid from: 2026-01-02 03:04:05 UTC\nValid until: 2027-01-02 03:04:05 UTC\n"
                                            "SHA-256: 0A:1B:2C:3D:4E:5F:60:71:82:93:A4:B5:C6:D7:E8:F9:\n"
                                            "         FF:EE:DD:CC:BB:AA:99:88:77:66:55:44:33:22:11:00"));
    EXPECT_TRUE(shown->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    box->buttons().at(1)->click();
    EXPECT_EQ(answer.calls, 1);
    EXPECT_EQ(answer.choice, VOKTLSPrompt::TrustAnyway);
    EXPECT_TRUE(answer.first.isNull());

    const QString ca = makeFile(QStringLiteral("ca.crt"));
    for (const QString &chosen : {ca, QString()}) {
        answer = {};
        box = VOKTLSPrompt::showForWindow(window.get(), QStringLiteral("t"), QStringLiteral("m"), {}, tlsChoice());
        EXPECT_FALSE(box->findChild<QLabel *>(QStringLiteral("certificate")));
        box->buttons().first()->click();
        ASSERT_TRUE(chooseFile(chosen));
        EXPECT_EQ(answer.calls, 1);
        EXPECT_EQ(answer.choice, chosen.isNull() ? VOKTLSPrompt::Cancelled : VOKTLSPrompt::ImportCACertificate);
        EXPECT_EQ(answer.first, chosen);
    }

    answer = {};
    box = VOKTLSPrompt::showForWindow(window.get(), QStringLiteral("t"), QStringLiteral("m"), {}, tlsChoice());
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(answer.calls, 1);
    EXPECT_EQ(answer.choice, VOKTLSPrompt::Cancelled);
}

TEST_F(PromptTest, ClientCertificatePromptOffersClearingOnlyWithAConfiguration)
{
    // Without a configuration the second button is Cancel.
    QMessageBox *box = VOKmTLSPrompt::showForWindow(window.get(), QString(), QString(), mTLSChoice());
    EXPECT_EQ(buttonTexts(box), (QStringList{QStringLiteral("Select Certificate & Key..."), QStringLiteral("Cancel")}));
    EXPECT_FALSE(box->informativeText().contains(QStringLiteral("Currently configured")));
    box->buttons().at(1)->click();
    EXPECT_EQ(answer.choice, VOKmTLSPrompt::Cancelled);

    answer = {};
    box = VOKmTLSPrompt::showForWindow(window.get(), QStringLiteral("/x/client_cert.pem"),
                                       QStringLiteral("/x/client_key.key"), mTLSChoice());
    EXPECT_EQ(box->text(), QStringLiteral("Client Certificate (mTLS)"));
    EXPECT_EQ(box->buttons().at(1)->text(), QStringLiteral("Clear Configuration"));
    EXPECT_TRUE(box->informativeText().endsWith(
        QStringLiteral("\n\nCurrently configured:\n\u2022 client_cert.pem\n\u2022 client_key.key")));
    box->buttons().at(1)->click();
    EXPECT_EQ(answer.calls, 1);
    EXPECT_EQ(answer.choice, VOKmTLSPrompt::ClearConfiguration);

    // A certificate without a key is no answer; both are.
    const QString certificate = makeFile(QStringLiteral("me.crt"));
    const QString key = makeFile(QStringLiteral("me.key"));
    for (const QString &chosenKey : {QString(), key}) {
        answer = {};
        box = VOKmTLSPrompt::showForWindow(window.get(), QString(), QString(), mTLSChoice());
        box->buttons().first()->click();
        ASSERT_TRUE(chooseFile(certificate));
        EXPECT_EQ(answer.calls, 0);
        ASSERT_TRUE(chooseFile(chosenKey));
        EXPECT_EQ(answer.calls, 1);
        EXPECT_EQ(answer.choice, chosenKey.isNull() ? VOKmTLSPrompt::Cancelled : VOKmTLSPrompt::UseCertificate);
        EXPECT_EQ(answer.first, chosenKey.isNull() ? QString() : certificate);
        EXPECT_EQ(answer.second, chosenKey);
    }
}

TEST_F(PromptTest, PassphrasePromptAnswersWhatWasTypedAndSaysWhenTheLastOneWasWrong)
{
    QMessageBox *box = VOKPassphrasePrompt::showForWindow(window.get(), QStringLiteral("h"), 8883, true, passphrase());
    EXPECT_EQ(box->informativeText(),
              QStringLiteral("The passphrase was wrong. Try again.\n\nThe private key of the client certificate for "
                             "h:8883 is protected by a passphrase."));
    QLineEdit *const field = box->findChild<QLineEdit *>(QStringLiteral("passphrase"));
    EXPECT_EQ(field->echoMode(), QLineEdit::Password);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box));
    EXPECT_EQ(box->focusWidget(), field);
    QTest::keyClicks(field, QStringLiteral("open sesame"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(answer.calls, 1);
    EXPECT_EQ(answer.first, QStringLiteral("open sesame"));
    EXPECT_FALSE(answer.cancelled);

    answer = {};
    box = VOKPassphrasePrompt::showForWindow(window.get(), QStringLiteral("h"), 8883, false, passphrase());
    EXPECT_TRUE(box->informativeText().startsWith(QStringLiteral("The private key")));
    QTest::keyClicks(box->findChild<QLineEdit *>(QStringLiteral("passphrase")), QStringLiteral("typed"));
    QTest::keyClick(box->findChild<QLineEdit *>(QStringLiteral("passphrase")), Qt::Key_Escape);
    EXPECT_EQ(answer.calls, 1);
    EXPECT_TRUE(answer.first.isNull());
    EXPECT_TRUE(answer.cancelled);
}

#include "KeychainTestSupport.h"
#include "VDLClient.h"
#include "VDLOpenViewController.h"
#include "VDLURLOpener.h"
#include "VDLViewerViewController.h"
#include "VOKKeychainHelper.h"
#include "VOKWindow.h"
#include "VOKWindowController.h"
#include "VOKWindowPresenter.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString PortMessage = QStringLiteral("Port must be a number from 1 to 65535");
const QString HostCharactersMessage = QStringLiteral("Host must not contain spaces or any of / ? # @");

// Each test starts from a fresh dialog and leaves no window open; viewers it opens try to reach
// a broker that is not there, which does no harm.
struct OpenViewControllerTest : ::testing::Test
{
    void SetUp() override
    {
        VDLURLOpener::registerWindowClasses();
        dialog = VOKWindowPresenter::presentViewControllerOfClass<VDLOpenViewController>();
        ASSERT_TRUE(dialog);
    }

    void TearDown() override
    {
        for (VOKWindowController *controller : VOKWindowController::openControllers())
            controller->window()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QLineEdit *field(const char *name) const { return dialog->findChild<QLineEdit *>(QLatin1String(name)); }
    QString message() const { return dialog->findChild<QLabel *>(QStringLiteral("message"))->text(); }
    QCheckBox *tlsBox() const { return dialog->findChild<QCheckBox *>(); }

    QPushButton *button(const QString &text) const
    {
        for (QPushButton *candidate : dialog->findChildren<QPushButton *>()) {
            if (candidate->text() == text)
                return candidate;
        }
        return nullptr;
    }

    bool connectEnabled() const { return button(QStringLiteral("Connect"))->isEnabled(); }

    static QList<VDLViewerViewController *> viewers()
    {
        QList<VDLViewerViewController *> found;
        for (VOKWindowController *controller : VOKWindowController::openControllers()) {
            if (auto *viewer = qobject_cast<VDLViewerViewController *>(controller->viewController()))
                found.append(viewer);
        }
        return found;
    }

    QPointer<VDLOpenViewController> dialog;
};

} // namespace

TEST_F(OpenViewControllerTest, ConnectNeedsAHostAndAUsablePort)
{
    EXPECT_EQ(dialog->window()->windowTitle(), QStringLiteral("New Connection"));
    EXPECT_FALSE(connectEnabled());
    EXPECT_TRUE(message().isEmpty()) << "an empty dialog has nothing to complain about yet";

    QSignalSpy validity(dialog.data(), &VDLOpenViewController::hasValidDataChanged);
    QTest::keyClicks(field("host"), QStringLiteral("broker"));
    EXPECT_EQ(dialog->host(), QStringLiteral("broker"));
    EXPECT_FALSE(validity.isEmpty());
    EXPECT_TRUE(connectEnabled()) << "no port means the default one";

    for (const char *port :
         {"-1", "+80", "0", "65536", "abc", "1e3", "18 83", "99999999999", "\u0661\u0668\u0668\u0663"}) {
        field("port")->setText(QString::fromUtf8(port));
        EXPECT_EQ(dialog->port(), QString::fromUtf8(port));
        EXPECT_FALSE(dialog->hasValidData()) << port;
        EXPECT_FALSE(connectEnabled()) << port;
        EXPECT_EQ(message(), PortMessage) << port;
    }
    for (const char *port : {"1", "65535", " 1884 ", ""}) {
        field("port")->setText(QString::fromLatin1(port));
        EXPECT_TRUE(connectEnabled()) << port;
        EXPECT_TRUE(message().isEmpty()) << port;
    }

    dialog->setHost(QStringLiteral("   "));
    EXPECT_EQ(field("host")->text(), QStringLiteral("   "));
    EXPECT_FALSE(connectEnabled());
    EXPECT_TRUE(message().isEmpty());
}

TEST_F(OpenViewControllerTest, HostsThatWouldLeadElsewhereAreRefused)
{
    // Each of these would make a URL for another host, or a path, user or query of it.
    for (const char *host : {"a/b", "a b", "user@h", "h?value=1", "h#x", "h\tx"}) {
        dialog->setHost(QString::fromLatin1(host));
        EXPECT_FALSE(connectEnabled()) << host;
        EXPECT_EQ(message(), HostCharactersMessage) << host;
    }
    dialog->setHost(QStringLiteral("a[b"));
    EXPECT_EQ(message(), QStringLiteral("Host must be a host name or an IP address"));
    dialog->setPort(QStringLiteral("0"));
    EXPECT_EQ(message(), QStringLiteral("Host must be a host name or an IP address\n") + PortMessage);
    EXPECT_EQ(dialog->connectionUrl(), std::nullopt);

    // Refused entries open nothing, even when Connect is asked for without the button.
    dialog->connect();
    EXPECT_TRUE(viewers().isEmpty());
    EXPECT_TRUE(dialog->window()->isVisible());

    // IPv6 addresses go in brackets; surrounding spaces are dropped.
    dialog->setPort(QString());
    dialog->setHost(QStringLiteral(" ::1 "));
    EXPECT_TRUE(connectEnabled());
    EXPECT_EQ(dialog->connectionUrl(), QUrl(QStringLiteral("mqtt://[::1]")));
    dialog->setHost(QStringLiteral("[::1]"));
    dialog->setPort(QStringLiteral("01884"));
    EXPECT_EQ(dialog->connectionUrl(), QUrl(QStringLiteral("mqtt://[::1]:1884")));
}

TEST_F(OpenViewControllerTest, ConnectOpensTheEntriesURLAndCloses)
{
    field("host")->setText(QStringLiteral("h"));
    EXPECT_EQ(dialog->connectionUrl(), QUrl(QStringLiteral("mqtt://h")));
    EXPECT_EQ(field("port")->placeholderText(), QStringLiteral("1883"));

    field("host")->setText(QStringLiteral("127.0.0.1"));
    button(QStringLiteral("Connect"))->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }));
    ASSERT_EQ(viewers().size(), 1);
    const VDLViewerViewController *plain = viewers().first();
    EXPECT_EQ(plain->property("host"), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(plain->property("port"), 1883);
    EXPECT_EQ(plain->property("path"), QString());
    EXPECT_EQ(plain->property("useTLS"), false);

    dialog = VOKWindowPresenter::presentViewControllerOfClass<VDLOpenViewController>();
    field("host")->setText(QStringLiteral("127.0.0.1"));
    field("port")->setText(QStringLiteral("1884"));
    tlsBox()->click();
    EXPECT_TRUE(dialog->useTLS());
    EXPECT_EQ(dialog->connectionUrl(), QUrl(QStringLiteral("mqtts://127.0.0.1:1884")));
    QTest::keyClick(field("port"), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }));
    const QList<VDLViewerViewController *> both = viewers();
    ASSERT_EQ(both.size(), 2);
    const VDLViewerViewController *secure = both.first() == plain ? both.last() : both.first();
    EXPECT_EQ(secure->property("port"), 1884);
    EXPECT_EQ(secure->property("useTLS"), true);
}

TEST_F(OpenViewControllerTest, OneDialogThatCancelsAndShowsTheTLSPort)
{
    EXPECT_EQ(VOKWindowPresenter::presentViewControllerOfClass<VDLOpenViewController>(), dialog.data());
    EXPECT_EQ(VOKWindowController::openControllers().size(), 1);

    tlsBox()->click();
    EXPECT_EQ(field("port")->placeholderText(), QStringLiteral("8883"));
    dialog->setUseTLS(false);
    EXPECT_FALSE(tlsBox()->isChecked());
    EXPECT_EQ(field("port")->placeholderText(), QStringLiteral("1883"));

    field("host")->setText(QStringLiteral("127.0.0.1"));
    button(QStringLiteral("Cancel"))->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }));
    EXPECT_TRUE(VOKWindowController::openControllers().isEmpty());
}

TEST_F(OpenViewControllerTest, AUserNameAndPasswordAreStoredForTheServerBeforeItConnects)
{
    // Characters that would end the URL's user info travel encoded.
    const QString username = QStringLiteral("al ice@home");
    const QString password = QStringLiteral("p:w@d/#");
    field("host")->setText(QStringLiteral("127.0.0.1"));
    field("port")->setText(QStringLiteral("1"));
    field("username")->setText(username);
    field("password")->setText(password);
    EXPECT_EQ(field("password")->echoMode(), QLineEdit::Password);
    ASSERT_TRUE(dialog->connectionUrl());
    EXPECT_EQ(dialog->connectionUrl()->userName(), username);
    EXPECT_EQ(dialog->connectionUrl()->password(), password);
    QTest::keyClick(field("password"), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }));

    ASSERT_EQ(viewers().size(), 1);
    const VDLViewerViewController *const viewer = viewers().first();
    ASSERT_TRUE(settleKeychainQueue());
    EXPECT_EQ(VOKKeychainHelper::passwordForService(QStringLiteral("Vindle:127.0.0.1:1"), username), password);
    EXPECT_EQ(viewer->client()->username(), username);
    EXPECT_FALSE(viewer->window()->windowTitle().contains(password));
}

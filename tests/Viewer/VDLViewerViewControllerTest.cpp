#include "KeychainTestSupport.h"
#include "MosquittoBroker.h"
#include "OpenViewControllers.h"
#include "VDLClient.h"
#include "VDLPubClient.h"
#include "VDLPublishViewController.h"
#include "VDLSearchBar.h"
#include "VDLTopicsViewController.h"
#include "VDLTopic.h"
#include "VDLURLOpener.h"
#include "VDLValueViewController.h"
#include "VDLViewerViewController.h"
#include "VOKFindPanelAction.h"
#include "VOKOutlineView.h"
#include "VOKMosquittoClient.h"
#include "VOKResponderChain.h"
#include "VOKWindow.h"
#include "VOKKeychainHelper.h"
#include "VOKPreferences.h"
#include "VOKWindowController.h"
#include "VOKWindowRestoration.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct ViewerTest : ::testing::Test
{
    void TearDown() override
    {
        for (VOKWindowController *controller : VOKWindowController::openControllers())
            controller->window()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    VDLViewerViewController *viewer() const
    {
        const QList<VOKWindowController *> open = VOKWindowController::openControllers();
        return open.size() == 1 ? qobject_cast<VDLViewerViewController *>(open.first()->viewController()) : nullptr;
    }
};

} // namespace

TEST_F(ViewerTest, OneWindowPerServerAndPathShowsThePathsTopic)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    VOKMosquittoClient publisher(QStringLiteral("127.0.0.1"), broker.port());
    publisher.publishTopic(QStringLiteral("home/kitchen/sensor"), R"({"temperature":21.5})", true);
    publisher.publishTopic(QStringLiteral("home/lamp"), "ON", true);
    publisher.connectToBroker();
    ASSERT_TRUE(QTest::qWaitFor([&] { return publisher.isConnected() && publisher.publishQueue().isEmpty(); }, 10000));

    // The same server and path twice: one window, subscribed below the path, its topic selected.
    const QString url = QStringLiteral("mqtt://127.0.0.1:%1/home/kitchen/sensor").arg(broker.port());
    VDLURLOpener::open(QUrl(url));
    VDLURLOpener::open(QUrl(url));
    VDLViewerViewController *const opened = viewer();
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->vokWindowTitle(), url);
    EXPECT_EQ(opened->window()->windowTitle(), url);
    // The path's topic is selected on connect, maybe before its retained message arrives.
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened->selectedTopic() != nullptr; }, 10000));
    EXPECT_EQ(opened->selectedTopic()->path(), QStringLiteral("home/kitchen/sensor"));
    EXPECT_EQ(opened->valuePane()->pathText(), QStringLiteral("home/kitchen/sensor"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return opened->valuePane()->valueText().contains(QStringLiteral("\"temperature\": 21.5")); }, 10000));
    EXPECT_EQ(opened->client()->rootTopic()->totalTopics(), 1u); // home/lamp lies outside the path
    EXPECT_EQ(opened->valuePane()->historyRowCount(), 1);

    // Publish… starts from the selected topic's latest message, and from nothing without one.
    const auto publisherFor = [](const QString &path) -> VDLPublishViewController * {
        for (VDLPublishViewController *publisher : openViewControllers<VDLPublishViewController>()) {
            if (publisher->pm().path == path)
                return publisher;
        }
        return nullptr;
    };
    opened->publishAction()->trigger();
    VDLPublishViewController *const prefilled = publisherFor(QStringLiteral("home/kitchen/sensor"));
    ASSERT_TRUE(prefilled);
    EXPECT_EQ(prefilled->pm().valueAsString(), QStringLiteral(R"({"temperature":21.5})"));
    prefilled->window()->close();
    opened->topicsPane()->outlineView()->clearSelection();
    ASSERT_EQ(opened->selectedTopic(), nullptr);
    opened->publishAction()->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return publisherFor(QString()) != nullptr; }));
}

TEST_F(ViewerTest, ClosingTheWindowDisconnectsTheClient)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    VDLURLOpener::open(QUrl(QStringLiteral("mqtt://127.0.0.1:%1/x").arg(broker.port())));
    VDLViewerViewController *const opened = viewer();
    ASSERT_TRUE(opened);
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened->client()->isConnected(); }, 10000));
    opened->window()->hide();
    opened->window()->show();
    VDLClient *const client = opened->client();
    opened->window()->close();
    EXPECT_EQ(client->mosq(), nullptr);
}

TEST_F(ViewerTest, ARestoredViewerSelectsItsPath)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    VOKMosquittoClient publisher(QStringLiteral("127.0.0.1"), broker.port());
    publisher.publishTopic(QStringLiteral("a/b"), "1", true);
    publisher.connectToBroker();
    ASSERT_TRUE(QTest::qWaitFor([&] { return publisher.isConnected() && publisher.publishQueue().isEmpty(); }, 10000));

    VDLURLOpener::registerWindowClasses();
    const QString identifier =
        QStringLiteral(R"(VDLViewerViewController|{"host":"127.0.0.1","path":"a/b","port":%1,"useTLS":false})")
            .arg(broker.port());
    VOKError failure;
    VOKWindowRestoration::restoreWindowWithIdentifier(identifier, [&failure](VOKWindow *, const VOKError &error) {
        failure = error;
    });
    EXPECT_TRUE(failure.isNull()) << qPrintable(failure.localizedDescription());
    VDLViewerViewController *const restored = viewer();
    ASSERT_TRUE(restored);
    ASSERT_TRUE(QTest::qWaitFor([&] { return restored->selectedTopic() != nullptr; }, 10000));
    EXPECT_EQ(restored->selectedTopic()->path(), QStringLiteral("a/b"));
}

TEST_F(ViewerTest, ForgettingTheServerDeletesItsDataAndClosesTheWindow)
{
    VDLURLOpener::open(QUrl(QStringLiteral("mqtt://127.0.0.1:1/")));
    VDLViewerViewController *const opened = viewer();
    ASSERT_TRUE(opened);
    VDLClient *const client = opened->client();
    QTemporaryDir chosen;
    QFile certificate(chosen.filePath(QStringLiteral("ca.pem")));
    ASSERT_TRUE(certificate.open(QIODevice::WriteOnly));
    certificate.write("CA");
    certificate.close();
    const auto storeEverything = [&] {
        client->saveCredentialsToKeychain(QStringLiteral("user"), QStringLiteral("pw"));
        client->setTLSVerifyMode(2, certificate.fileName());
        client->saveTLSSettings();
        VDLPubClient(QStringLiteral("127.0.0.1"), 1).addToHistory(VDLPM(QStringLiteral("t"), QStringLiteral("v")));
    };
    const auto answer = [&](const QString &button) {
        opened->closeAndForgetServer();
        QMessageBox *const question = opened->window()->findChild<QMessageBox *>();
        ASSERT_TRUE(question);
        EXPECT_EQ(question->text(), QStringLiteral("Forget 127.0.0.1:1?"));
        for (QAbstractButton *candidate : question->buttons()) {
            if (candidate->text() == button)
                candidate->click();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };

    storeEverything();
    answer(QStringLiteral("&Cancel"));
    ASSERT_TRUE(settleKeychainQueue());
    EXPECT_EQ(VOKKeychainHelper::usernameForService(client->keychainService()), QStringLiteral("user"));
    EXPECT_EQ(VOKWindowController::openControllers().size(), 1);

    const QString certificates = client->certificatesDirectory();
    answer(QStringLiteral("Forget Server"));
    EXPECT_TRUE(VOKWindowController::openControllers().isEmpty());
    ASSERT_TRUE(settleKeychainQueue());
    EXPECT_TRUE(VOKKeychainHelper::usernameForService(QStringLiteral("Vindle:127.0.0.1:1")).isNull());
    EXPECT_FALSE(VOKPreferences::standard().objectForKey(QStringLiteral("VOKMosquittoTLS:127.0.0.1:1")).isValid());
    EXPECT_FALSE(QFileInfo::exists(certificates + QStringLiteral("/ca.pem")));
    EXPECT_TRUE(VDLPubClient(QStringLiteral("127.0.0.1"), 1).history().isEmpty());
}

TEST(VDLViewerViewController, ForgetServerQuestion)
{
    VDLViewerViewController viewer;
    viewer.setProperty("host", QStringLiteral("broker"));
    viewer.setProperty("port", 1884);
    EXPECT_EQ(viewer.forgetServerMessage(), QStringLiteral("Forget broker:1884?"));
    EXPECT_EQ(VDLViewerViewController::forgetServerInformativeText(),
              QStringLiteral("The following data will be permanently deleted:\n\n\u2022 Saved username and password\n"
                             "\u2022 TLS and certificate settings\n\u2022 Client certificates\n\u2022 Publish history"));
}

TEST_F(ViewerTest, FindCommandsReachTheOutlineSearchFromTheWindow)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    VOKMosquittoClient publisher(QStringLiteral("127.0.0.1"), broker.port());
    publisher.publishTopic(QStringLiteral("home/lamp"), "ON", true);
    publisher.publishTopic(QStringLiteral("garden/lamp"), "OFF", true);
    publisher.connectToBroker();
    ASSERT_TRUE(QTest::qWaitFor([&] { return publisher.isConnected() && publisher.publishQueue().isEmpty(); }, 10000));

    VDLURLOpener::open(QUrl(QStringLiteral("mqtt://127.0.0.1:%1").arg(broker.port())));
    VDLViewerViewController *const opened = viewer();
    ASSERT_TRUE(opened);
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened->client()->rootTopic() && opened->client()->rootTopic()->totalTopics() == 2; }, 10000));
    opened->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(opened->window()));

    // Find… puts the focus in the field; the other panes read the search by property name.
    ASSERT_TRUE(VOKResponderChain::perform("performFindPanelAction(int)", VOKFindPanelAction::ShowFindInterface));
    QLineEdit *const field = opened->topicsPane()->searchBar()->field();
    ASSERT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }));
    QSignalSpy changed(opened, SIGNAL(searchStringChanged()));
    QTest::keyClicks(field, QStringLiteral("lamp"));
    EXPECT_EQ(changed.size(), 4);
    EXPECT_EQ(opened->property("searchString").toString(), QStringLiteral("lamp"));
    ASSERT_EQ(opened->selectedTopic()->path(), QStringLiteral("garden/lamp"));

    // Find Next from the menu steps on and the selected topic follows.
    ASSERT_TRUE(VOKResponderChain::perform("performFindPanelAction(int)", VOKFindPanelAction::FindNext));
    EXPECT_EQ(opened->selectedTopic()->path(), QStringLiteral("home/lamp"));
    EXPECT_EQ(opened->topicsPane()->searchBar()->infoLabel()->text(), QStringLiteral("2 of 2"));
    opened->topicsPane()->searchBar()->filterToggle()->setChecked(true);
    EXPECT_TRUE(opened->property("doFilter").toBool());
}

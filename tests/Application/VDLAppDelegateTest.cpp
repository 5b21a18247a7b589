#include "LogCapture.h"
#include "OpenViewControllers.h"
#include "VDLAppDelegate.h"
#include "VDLMainMenu.h"
#include "VDLPublishLinkBar.h"
#include "VDLPublishViewController.h"
#include "VDLURLOpener.h"
#include "VOKPreferences.h"
#include "VOKRecentsManager.h"
#include "VOKWindow.h"
#include "VOKWindowController.h"
#include "VOKWindowPresenter.h"
#include "VOKWindowRestoration.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Nothing listens on port 1, so viewers fail to connect at once and quietly.
QString title(const char *path)
{
    return QStringLiteral("mqtt://127.0.0.1:1/%1").arg(QLatin1String(path));
}

QUrl server(const char *path)
{
    return QUrl(title(path));
}

QString viewerIdentifier(const char *path)
{
    return VOKWindowPresenter::windowIdentifier(
        QStringLiteral("VDLViewerViewController"),
        {{QStringLiteral("host"), QStringLiteral("127.0.0.1")}, {QStringLiteral("port"), 1},
         {QStringLiteral("path"), QLatin1String(path)}, {QStringLiteral("useTLS"), false}});
}

QAction *fileMenuItem(const VDLAppDelegate &delegate, const QString &text)
{
    for (QAction *action : delegate.mainMenu()->menus().first()->actions()) {
        if (action->text().remove(QLatin1Char('&')) == text)
            return action;
    }
    return nullptr;
}

QStringList openTitles()
{
    QStringList titles;
    for (const VOKWindowController *controller : VOKWindowController::openControllers())
        titles.append(controller->window()->windowTitle());
    return titles;
}

QStringList recentTitles()
{
    QStringList titles;
    for (const QString &entry : VOKPreferences::standard().stringArrayForKey(VOKRecentsManager::RecentsKey))
        titles.append(entry.section(QLatin1Char('|'), 0, 0));
    return titles;
}

struct VDLAppDelegateTest : ::testing::Test
{
    LogCapture log;
    VDLAppDelegate delegate;

    void TearDown() override
    {
        for (VOKWindowController *controller : VOKWindowController::openControllers())
            controller->window()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        VOKPreferences::standard().removeObjectForKey(VOKRecentsManager::RecentsKey);
        VOKPreferences::standard().removeObjectForKey(VOKWindowRestoration::PreferencesKey);
    }
};

} // namespace

// The recents menu can be set up once per process, so one test follows a whole launch.
TEST_F(VDLAppDelegateTest, ALaunchOpensEarlyURLsInOrderThenBuildsTheRecentsMenu)
{
    delegate.applicationOpenURLs({server("one")});
    delegate.applicationOpenURLs({server("two"), server("three")});
    EXPECT_EQ(delegate.urlsToOpen(), QList<QUrl>({server("one"), server("two"), server("three")}));
    EXPECT_TRUE(VOKWindowController::openControllers().isEmpty());
    EXPECT_FALSE(delegate.recentsMenuItem()->menu());

    delegate.applicationDidFinishLaunching();
    EXPECT_TRUE(delegate.urlsToOpen().isEmpty());
    EXPECT_EQ(openTitles(), QStringList({title("three"), title("two"), title("one")})) << "frontmost first";
    ASSERT_TRUE(delegate.recentsMenuItem()->menu());
    EXPECT_EQ(delegate.recentsMenuItem()->menu()->actions().at(1)->text().trimmed(), title("three"));

    // Every window shows the application's menus.
    const VOKWindow *const window = VOKWindowController::openControllers().first()->window();
    ASSERT_TRUE(window->menuBar());
    EXPECT_EQ(window->menuBar()->actions().size(), delegate.mainMenu()->menus().size());

    // After launch URLs open at once; a server opened again comes to the front of the recents.
    delegate.applicationOpenURLs({server("four")});
    EXPECT_EQ(openTitles().first(), title("four"));
    VOKWindowController::openControllers().last()->window()->close();
    delegate.openURL(server("one"));
    EXPECT_EQ(recentTitles(), QStringList({title("one"), title("four"), title("three"), title("two")}));

    // The recents' shortcuts work from any window's menu bar: Ctrl+3 brings back "three".
    for (VOKWindowController *controller : VOKWindowController::openControllers().mid(1))
        controller->window()->close();
    VOKWindow *const front = VOKWindowController::openControllers().first()->window();
    front->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(front));
    QTest::keyClick(front, Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(openTitles(), QStringList({title("three"), title("one")}));
}

TEST_F(VDLAppDelegateTest, OneWindowPerServerAndPath)
{
    delegate.applicationDidFinishLaunching();
    delegate.openURL(server("p"));
    delegate.openURL(server("p"));
    delegate.openURL(QUrl(QStringLiteral("mqtt://127.0.0.1:1/p/")));
    EXPECT_EQ(openTitles(), QStringList({title("p")}));
    delegate.openURL(QUrl(QStringLiteral("tcp://127.0.0.1/p")));
    EXPECT_EQ(openTitles().size(), 1);
    EXPECT_EQ(log.linesContaining(QStringLiteral("ERROR: Unknown scheme in URL 'tcp://127.0.0.1/p'")).size(), 1);
    // URLs given as text keep the case of their scheme, which must be exact.
    delegate.openHandedOverURLs({QStringLiteral("MQTT://127.0.0.1:1/q")});
    EXPECT_EQ(openTitles().size(), 1);
    EXPECT_EQ(log.linesContaining(QStringLiteral("ERROR: Unknown scheme in URL 'MQTT://127.0.0.1:1/q'")).size(), 1);
}

TEST_F(VDLAppDelegateTest, NewConnectionShowsOneDialog)
{
    delegate.applicationDidFinishLaunching();
    delegate.newConnection();
    delegate.newConnection();
    ASSERT_EQ(openTitles(), QStringList({QStringLiteral("New Connection")}));
    VOKWindowController::openControllers().first()->window()->close();

    // A launch with nothing to open, and a hand-over with no URLs, offer the dialog.
    delegate.openHandedOverURLs({});
    EXPECT_EQ(openTitles(), QStringList({QStringLiteral("New Connection")}));
    delegate.openHandedOverURLs({title("x")});
    EXPECT_EQ(openTitles().size(), 2);
}

TEST_F(VDLAppDelegateTest, QuitKeepsTheOpenWindowsForTheNextLaunch)
{
    delegate.applicationDidFinishLaunching();
    delegate.openURL(server("kept"));
    delegate.openURL(server("closed"));
    VOKWindowController::openControllers().first()->window()->close();

    fileMenuItem(delegate, QStringLiteral("Quit"))->trigger();
    EXPECT_TRUE(openTitles().isEmpty());
    EXPECT_EQ(VOKWindowRestoration::restorableIdentifiers(), QStringList{viewerIdentifier("kept")});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    VOKWindowRestoration::restoreWindows();
    EXPECT_EQ(openTitles(), QStringList{title("kept")});
}

TEST_F(VDLAppDelegateTest, ASeparateInstanceOpensItsURLsWithoutTheSessionsWindows)
{
    // Another Vindle may be showing these windows right now.
    VOKPreferences::standard().setObject(QStringList({viewerIdentifier("a"), viewerIdentifier("b")}),
                                         VOKWindowRestoration::PreferencesKey);
    delegate.launch({title("b")}, VDLAppDelegate::Restoration::Skip);
    EXPECT_EQ(openTitles(), QStringList{title("b")});
}

TEST_F(VDLAppDelegateTest, OnlyURLsGivenWithAllowPublishPublishWithoutAsking)
{
    delegate.applicationDidFinishLaunching();
    const QString link = title("door?value=open&publish=1");
    delegate.openHandedOverURLs({link});
    delegate.openHandedOverURLs({VDLURLOpener::allowingPublish(title("door?value=close&publish=1"))});
    const QList<VDLPublishViewController *> windows = openViewControllers<VDLPublishViewController>();
    ASSERT_EQ(windows.size(), 2);
    for (const VDLPublishViewController *window : windows) {
        const bool allowed = window->pm().valueAsString() == QStringLiteral("close");
        EXPECT_EQ(window->linkBar()->isVisible(), !allowed);
        EXPECT_EQ(window->isPublishing(), allowed) << "waits for the connection to publish";
    }
    // The leave was for that one opening only.
    delegate.openURL(server("door?value=close&publish=1"));
    EXPECT_TRUE(openViewControllers<VDLPublishViewController>().first()->linkBar()->isVisible());
}

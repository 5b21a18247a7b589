#include "LogCapture.h"
#include "MosquittoBroker.h"
#include "OpenViewControllers.h"
#include "VDLClient.h"
#include "VDLPublishViewController.h"
#include "VDLTopic.h"
#include "VDLTopicsModel.h"
#include "VDLTopicsViewController.h"
#include "VDLURLOpener.h"
#include "VDLViewerViewController.h"
#include "VOKMosquittoClient.h"
#include "VOKOutlineView.h"
#include "VOKOutlineViewDelegate.h"
#include "VOKWindow.h"
#include "VOKWindowController.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

constexpr int Patience = 10000;

// A viewer on a real broker, fed by a second client.
struct TopicsActionsTest : ::testing::Test
{
    MosquittoBroker broker;
    std::unique_ptr<VOKMosquittoClient> publisher;
    VDLViewerViewController *viewer = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
        publisher = std::make_unique<VOKMosquittoClient>(QStringLiteral("127.0.0.1"), broker.port());
        publisher->connectToBroker();
    }

    void TearDown() override
    {
        for (VOKWindowController *controller : VOKWindowController::openControllers())
            controller->window()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void publish(const QString &topic, const QByteArray &payload, bool retain)
    {
        publisher->publishTopic(topic, payload, retain);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return publisher->isConnected() && publisher->publishQueue().isEmpty(); }, Patience));
    }


    // Opens the viewer and waits until every topic named has arrived.
    void openViewer(const QString &path, const QStringList &expected)
    {
        VDLURLOpener::open(QUrl(QStringLiteral("mqtt://127.0.0.1:%1/%2").arg(broker.port()).arg(path)));
        ASSERT_EQ(openViewControllers<VDLViewerViewController>().size(), 1);
        viewer = openViewControllers<VDLViewerViewController>().first();
        for (const QString &topic : expected)
            ASSERT_TRUE(QTest::qWaitFor([&] { return hasMessages(topic); }, Patience)) << qPrintable(topic);
    }

    bool hasMessages(const QString &topic) const
    {
        const VDLTopic *const node = viewer->client()->topicAt(topic, false);
        return node && node->latestMessage();
    }

    VDLTopicsViewController &topics() const { return *viewer->topicsPane(); }
    VOKOutlineView &outline() const { return *topics().outlineView(); }

    QModelIndex rowOf(const QString &topic) const
    {
        topics().model()->flushPendingChanges();
        const QModelIndex index = topics().model()->indexOfTopic(viewer->client()->topicAt(topic, false));
        for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
            outline().expand(parent);
        return index;
    }

    void select(const QStringList &topicPaths) const
    {
        outline().selectionModel()->clearSelection();
        for (const QString &topic : topicPaths)
            outline().selectionModel()->select(rowOf(topic), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    void doubleClick(const QString &topic, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        const QPoint centre = outline().visualRect(rowOf(topic)).center();
        // As the system delivers one: a click, then the second press as a double click.
        QTest::mouseClick(outline().viewport(), Qt::LeftButton, modifiers, centre);
        QTest::mouseDClick(outline().viewport(), Qt::LeftButton, modifiers, centre);
    }

    // The retained messages below home as a new subscriber sees them: a plain message published
    // after its subscription trails every retained one. A publication still under way may be
    // missed, so callers wait for the answer they expect.
    QStringList retainedOnBroker()
    {
        VDLClient subscriber(QStringLiteral("127.0.0.1"), broker.port());
        subscriber.connectWithPath(QStringLiteral("home"));
        const QString marker = QStringLiteral("home/zz-marker");
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                publisher->publishTopic(marker, "end", false);
                return QTest::qWaitFor([&] { return subscriber.topicAt(marker, false) != nullptr; }, 200);
            },
            Patience));
        QStringList retained;
        for (const VDLTopic *topic : subscriber.rootTopic()->recursiveTopics()) {
            if (topic->latestMessage()->isRetained())
                retained.append(topic->path());
        }
        retained.sort();
        subscriber.disconnectFromBroker();
        return retained;
    }
};

void clickButton(QMessageBox &alert, const QString &title)
{
    for (QAbstractButton *button : alert.buttons()) {
        if (button->text() == title)
            button->click();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

TEST_F(TopicsActionsTest, DeletingClearsRetainedTopicsOnTheBrokerWhileMessagesKeepArriving)
{
    publish(QStringLiteral("home/kitchen/temp"), "21", true);
    publish(QStringLiteral("home/kitchen/light/state"), "ON", true);
    publish(QStringLiteral("home/lamp"), "OFF", true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return retainedOnBroker().size() == 3; }, Patience));
    openViewer(QString(), {QStringLiteral("home/kitchen/temp"), QStringLiteral("home/kitchen/light/state"),
                           QStringLiteral("home/lamp")});
    QAbstractItemModelTester tester(topics().model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    // A sensor that keeps talking about one of the topics to delete, without retaining.
    QTimer chatter;
    QObject::connect(&chatter, &QTimer::timeout, [this] {
        publisher->publishTopic(QStringLiteral("home/kitchen/live"), "x", false);
    });
    chatter.start(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return hasMessages(QStringLiteral("home/kitchen/live")); }, Patience));
    const quint64 allTopics = viewer->client()->rootTopic()->totalTopics();

    // Nothing selected: the sheet still asks, with nothing to count, and deletes nothing.
    outline().selectionModel()->clearSelection();
    topics().performDelete();
    QMessageBox *alert = viewer->window()->findChild<QMessageBox *>();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->text(), QStringLiteral("Delete Topics"));
    EXPECT_EQ(alert->windowModality(), Qt::WindowModal);
    EXPECT_EQ(alert->informativeText(),
              QStringLiteral("This will delete 0 topics, 0 of which are retained and will be deleted from the server "
                             "(numbers may have increased since).\n\nThis action can not be undone!"));
    clickButton(*alert, QStringLiteral("Delete"));
    EXPECT_EQ(viewer->client()->rootTopic()->totalTopics(), allTopics);

    // A topic together with one of its descendants, from the keyboard: both go, the descendant
    // first, and the counts are of the whole subtree.
    select({QStringLiteral("home/kitchen"), QStringLiteral("home/kitchen/light")});
    outline().setFocus();
    QTest::keyClick(&outline(), Qt::Key_Backspace);
    alert = viewer->window()->findChild<QMessageBox *>();
    ASSERT_TRUE(alert);
    EXPECT_TRUE(alert->informativeText().startsWith(
        QStringLiteral("This will delete 3 topics, 2 of which are retained")));
    clickButton(*alert, QStringLiteral("&Cancel"));
    EXPECT_TRUE(viewer->client()->topicAt(QStringLiteral("home/kitchen"), false));
    QTest::keyClick(&outline(), Qt::Key_Backspace);
    clickButton(*viewer->window()->findChild<QMessageBox *>(), QStringLiteral("Delete"));
    EXPECT_FALSE(viewer->client()->topicAt(QStringLiteral("home/kitchen/temp"), false));
    EXPECT_FALSE(viewer->client()->topicAt(QStringLiteral("home/kitchen/light"), false));

    // The broker forgot the retained ones; the talking topic comes back when it speaks again.
    EXPECT_TRUE(QTest::qWaitFor([&] { return retainedOnBroker() == QStringList{QStringLiteral("home/lamp")}; },
                                Patience));
    EXPECT_TRUE(QTest::qWaitFor([&] { return hasMessages(QStringLiteral("home/kitchen/live")); }, Patience));
    EXPECT_FALSE(viewer->client()->topicAt(QStringLiteral("home/kitchen/temp"), false));
}

TEST_F(TopicsActionsTest, TheRowMenuActsOnTheSelectionWhenTheClickedRowIsInIt)
{
    publish(QStringLiteral("a/x"), "1", true);
    publish(QStringLiteral("a/y"), "2", true);
    publish(QStringLiteral("b"), "3", true);
    openViewer(QString(), {QStringLiteral("a/x"), QStringLiteral("a/y"), QStringLiteral("b")});
    VOKOutlineViewDelegate &delegate = *outline().delegate();
    const auto choose = [&](const QString &clicked, const QString &title) {
        const std::unique_ptr<QMenu> menu = delegate.contextMenuForTableView(outline(), rowOf(clicked));
        QStringList titles;
        for (QAction *item : menu->actions())
            titles.append(item->text());
        EXPECT_EQ(titles, (QStringList{"Copy name", "Copy path", "Copy URL", "Open in new Window",
                                       "Show in Publish Window"}));
        menu->actions().at(titles.indexOf(title))->trigger();
        return QApplication::clipboard()->text();
    };
    const QString server = QStringLiteral("mqtt://127.0.0.1:%1").arg(broker.port());

    select({QStringLiteral("a/y"), QStringLiteral("a/x")});
    EXPECT_EQ(choose(QStringLiteral("a/y"), QStringLiteral("Copy name")), QStringLiteral("x\ny"));
    EXPECT_EQ(choose(QStringLiteral("a/x"), QStringLiteral("Copy URL")),
              QStringLiteral("%1/a/x\n%1/a/y").arg(server));
    EXPECT_EQ(choose(QStringLiteral("b"), QStringLiteral("Copy path")), QStringLiteral("b"));
    topics().copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("a/x\na/y"));
    EXPECT_FALSE(delegate.contextMenuForTableView(outline(), QModelIndex()));

    // The clicked row alone is opened, in a viewer of its own and in the publish window.
    choose(QStringLiteral("a/y"), QStringLiteral("Open in new Window"));
    QStringList titles;
    for (const VDLViewerViewController *opened : openViewControllers<VDLViewerViewController>())
        titles.append(opened->vokWindowTitle());
    EXPECT_EQ(titles.size(), 2);
    EXPECT_TRUE(titles.contains(QStringLiteral("%1/a/y").arg(server)));
    choose(QStringLiteral("a/y"), QStringLiteral("Show in Publish Window"));
    ASSERT_EQ(openViewControllers<VDLPublishViewController>().size(), 1);
    EXPECT_EQ(openViewControllers<VDLPublishViewController>().first()->pm().path, QStringLiteral("a/y"));

    // The header's menu hides and shows the columns.
    const std::unique_ptr<QMenu> columns = delegate.contextMenuForTableHeaderView(*outline().header());
    ASSERT_TRUE(columns);
    EXPECT_EQ(columns->actions().first()->text(), QStringLiteral("Columns"));
}

TEST_F(TopicsActionsTest, DoubleClickOpensThePublishWindowForExactlyOneTopic)
{
    publish(QStringLiteral("a/x"), "1", true);
    publish(QStringLiteral("a/y"), "2", true);
    // A wildcard path selects the topic above its first "+".
    openViewer(QStringLiteral("a/+"), {QStringLiteral("a/x"), QStringLiteral("a/y")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->selectedTopic() != nullptr; }, Patience));
    EXPECT_EQ(viewer->selectedTopic()->path(), QStringLiteral("a"));
    LogCapture log;

    // No topic, then two: a beep and a warning each, and no window.
    outline().selectionModel()->clearSelection();
    topics().tableDoubleClicked();
    doubleClick(QStringLiteral("a"));
    EXPECT_EQ(log.beeps(), 2);
    EXPECT_EQ(log.linesContaining(QStringLiteral("WARNING: Beep: Need single selection to open publish window")).size(),
              2);
    EXPECT_TRUE(openViewControllers<VDLPublishViewController>().isEmpty());

    doubleClick(QStringLiteral("a/x"));
    doubleClick(QStringLiteral("a/x"));
    ASSERT_EQ(openViewControllers<VDLPublishViewController>().size(), 1);
    EXPECT_EQ(openViewControllers<VDLPublishViewController>().first()->pm().valueAsString(), QStringLiteral("1"));
    doubleClick(QStringLiteral("a/x"), Qt::AltModifier);
    EXPECT_EQ(openViewControllers<VDLPublishViewController>().size(), 2);
    EXPECT_EQ(log.beeps(), 2);
}

TEST_F(TopicsActionsTest, EveryConnectSelectsTheTopicOfTheWindowsPathAgain)
{
    publish(QStringLiteral("home/kitchen/temp"), "21", true);
    publish(QStringLiteral("home/lamp"), "OFF", true);
    openViewer(QStringLiteral("home/kitchen/"), {QStringLiteral("home/kitchen/temp")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->selectedTopic() != nullptr; }, Patience));
    EXPECT_EQ(viewer->selectedTopic()->path(), QStringLiteral("home/kitchen"));

    select({QStringLiteral("home/kitchen/temp")});
    EXPECT_EQ(viewer->selectedTopic()->path(), QStringLiteral("home/kitchen/temp"));
    broker.stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !viewer->client()->isConnected(); }, Patience));
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer->selectedTopic() && viewer->selectedTopic()->path() == QStringLiteral("home/kitchen"); }, 40000));
}

#include "LogCapture.h"
#include "VOKRecentsManager.h"
#include "WindowLayerTest.h"

#include <QDebug>
#include <QDialog>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

namespace {

std::unique_ptr<VOKWindowController> makeController(const QString &autoSaveName = QString(),
                                                    const QVariant &title = QVariant())
{
    auto viewController = std::make_unique<TestServerViewController>();
    viewController->autoSaveName = autoSaveName;
    viewController->vokWindowTitle = title;
    auto controller = std::make_unique<VOKWindowController>(std::move(viewController));
    controller->showWindow();
    return controller;
}

TestServerViewController *content(const VOKWindowController &controller)
{
    return static_cast<TestServerViewController *>(controller.viewController());
}

void setTitle(const VOKWindowController &controller, const QVariant &title)
{
    content(controller)->vokWindowTitle = title;
    Q_EMIT content(controller)->vokWindowTitleChanged();
}

} // namespace

using VOKWindowControllerTest = WindowLayerTest;

TEST_F(VOKWindowControllerTest, TitleAndRepresentedUrlFollowTheViewController)
{
    const auto controller = makeController(QString(), QStringLiteral("First"));
    VOKWindow *window = controller->window();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("First"));
    EXPECT_EQ(window->content(), controller->viewController());

    setTitle(*controller, QStringLiteral("Second"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Second"));
    setTitle(*controller, QUrl(QStringLiteral("mqtt://broker:1883/home/kitchen")));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("/home/kitchen"));
    setTitle(*controller, QUrl::fromLocalFile(QStringLiteral("/tmp/certs/ca.pem")));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("ca.pem"));

    const QUrl url(QStringLiteral("mqtts://broker:8883/a"));
    content(*controller)->vokRepresentedUrl = url;
    Q_EMIT content(*controller)->vokRepresentedUrlChanged();
    EXPECT_EQ(window->representedUrl(), url);
}

TEST_F(VOKWindowControllerTest, StyleMaskDecidesTitleButtonsAndResizing)
{
    const Qt::WindowFlags allButtons = Qt::WindowTitleHint | Qt::WindowCloseButtonHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
    const auto normal = makeController();
    EXPECT_TRUE(normal->window()->windowFlags().testFlags(allButtons));
    normal->window()->resize(321, 234);
    EXPECT_EQ(normal->window()->size(), QSize(321, 234));

    VOKWindowController panel(std::make_unique<TestPanelViewController>());
    panel.showWindow();
    const Qt::WindowFlags flags = panel.window()->windowFlags();
    EXPECT_TRUE(flags.testFlags(Qt::WindowTitleHint | Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testAnyFlags(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    const QSize fixed = panel.window()->size();
    EXPECT_EQ(fixed, panel.window()->sizeHint());
    panel.window()->resize(fixed + QSize(200, 100));
    EXPECT_EQ(panel.window()->size(), fixed);
}

TEST_F(VOKWindowControllerTest, FramesAreSavedByNameAndWindowsOfOneNameCascade)
{
    {
        const auto first = makeController(QStringLiteral("Main"));
        EXPECT_EQ(first->window()->geometry(), QRect(100, 100, 100, 100));
        first->window()->setGeometry(200, 150, 400, 300);
        first->window()->close();
    }

    const auto first = makeController(QStringLiteral("Main"));
    const auto second = makeController(QStringLiteral("Main"));
    const auto third = makeController(QStringLiteral("Main"));
    EXPECT_EQ(first->window()->geometry(), QRect(200, 150, 400, 300));
    EXPECT_EQ(second->window()->geometry(), QRect(222, 172, 400, 300));
    EXPECT_EQ(third->window()->geometry(), QRect(244, 194, 400, 300));

    // Without a name of its own a window is saved under its title (a URL's path).
    const auto titled = makeController(QString(), QUrl(QStringLiteral("mqtt://h/some/path")));
    EXPECT_EQ(titled->window()->frameAutosaveName(), QStringLiteral("/some/path"));
    const auto untitled = makeController();
    EXPECT_TRUE(untitled->window()->frameAutosaveName().isEmpty());

    // Frames moved while showing are written once the move settles.
    const auto stored = [] {
        return VOKPreferences::standard().objectForKey(VOKWindowFrameStore::keyForName(QStringLiteral("Main")));
    };
    const QVariant before = stored();
    first->window()->setGeometry(10, 20, 300, 200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return stored() != before; }));
    for (const auto &shown : {first.get(), second.get(), third.get()})
        shown->window()->hide();
    EXPECT_EQ(makeController(QStringLiteral("Main"))->window()->geometry(), QRect(10, 20, 300, 200));
}

TEST_F(VOKWindowControllerTest, FramesSavedAsFourNumbersStillRestore)
{
    VOKPreferences::standard().setObject(QVariantList{200, 150, 400, 300},
                                         VOKWindowFrameStore::keyForName(QStringLiteral("Main")));
    const auto restored = makeController(QStringLiteral("Main"));
    EXPECT_EQ(restored->window()->geometry(), QRect(200, 150, 400, 300));
    restored->window()->close();
    const auto again = makeController(QStringLiteral("Main"));
    EXPECT_EQ(again->window()->geometry(), QRect(200, 150, 400, 300));
}

TEST_F(VOKWindowControllerTest, NewWindowsOfAnyNameCascadeOffTheWindowAtTheirPlace)
{
    const auto first = makeController(QStringLiteral("Main"));
    const auto second = makeController(QString(), QStringLiteral("Title as name"));
    const auto third = makeController();
    EXPECT_EQ(first->window()->geometry().topLeft(), QPoint(100, 100));
    EXPECT_EQ(second->window()->geometry().topLeft(), QPoint(122, 122));
    EXPECT_EQ(third->window()->geometry().topLeft(), QPoint(144, 144));

    // A window manager may put a window's frame, not its content, at the place asked for; a new
    // window asking for the same place would then land on it all the same.
    second->window()->hide();
    third->window()->hide();
    first->window()->move(100, 100);
    const auto fourth = makeController();
    EXPECT_EQ(fourth->window()->geometry().topLeft(), QPoint(122, 122));
}

TEST_F(VOKWindowControllerTest, UnreadableSavedFramesAreReportedAndIgnored)
{
    LogCapture log;
    const QString key = VOKWindowFrameStore::keyForName(QStringLiteral("Main"));
    const QVariant unreadable[] = {QStringLiteral("junk"), 42, QVariantList{1, 2, 3}, QVariantList{1, 2, 0, 5},
                                   QVariantList{1, 2, QStringLiteral("3"), 4}, QVariantList{1.5, 2, 3, 4},
                                   QVariantList{1e12, 2, 3, 4}};
    for (const QVariant &value : unreadable) {
        const std::string shown = QDebug::toString(value).toStdString();
        VOKPreferences::standard().setObject(value, key);
        log.clear();
        const auto controller = makeController(QStringLiteral("Main"));
        EXPECT_EQ(controller->window()->geometry(), QRect(100, 100, 100, 100)) << shown;
        EXPECT_EQ(log.linesContaining(QStringLiteral("ERROR: Ignoring unreadable saved frame of window 'Main'")).size(),
                  1)
            << shown;
        controller->window()->hide();
    }
}

TEST_F(VOKWindowControllerTest, SelfRetainedControllerGoesWithItsWindow)
{
    QPointer<VOKWindowController> controller =
        VOKWindowController::presentViewController(std::make_unique<TestServerViewController>());
    QPointer<VOKViewController> viewController = controller->viewController();
    EXPECT_TRUE(controller->window()->isVisible());
    controller->window()->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.isNull(); }));
    EXPECT_TRUE(viewController.isNull());
}

TEST_F(VOKWindowControllerTest, CloseWhenSheetsGoneWaitsForTheSheet)
{
    const auto alone = makeController();
    alone->closeWhenSheetsGone();
    EXPECT_FALSE(alone->window()->isVisible());

    const auto controller = makeController();
    auto *sheet = new QDialog(controller->window());
    sheet->open();
    ASSERT_EQ(controller->window()->attachedSheets().size(), 1);
    controller->closeWhenSheetsGone();
    controller->closeWhenSheetsGone();
    EXPECT_TRUE(controller->window()->isVisible());
    sheet->accept();
    EXPECT_FALSE(controller->window()->isVisible());

    // Once closed, later sheets no longer close the window.
    controller->showWindow();
    auto *later = new QDialog(controller->window());
    later->open();
    later->reject();
    EXPECT_TRUE(controller->window()->isVisible());
}

TEST_F(VOKWindowControllerTest, DependentWindowsCloseWithTheirParent)
{
    const auto parent = makeController();
    const auto otherParent = makeController();
    const auto child = makeController();

    child->makeDependentOn(parent->window());
    child->makeDependentOn(otherParent->window());
    parent->window()->close();
    EXPECT_TRUE(child->window()->isVisible()) << "the later parent replaces the earlier one";

    otherParent->window()->close();
    EXPECT_FALSE(child->window()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return child->parentWindowObserver() == nullptr; }));

    // Dependence ends with the parent's close and with a null parent.
    otherParent->showWindow();
    child->showWindow();
    otherParent->window()->close();
    EXPECT_TRUE(child->window()->isVisible());
    parent->showWindow();
    child->makeDependentOn(parent->window());
    child->makeDependentOn(nullptr);
    parent->window()->close();
    EXPECT_TRUE(child->window()->isVisible());
}

TEST_F(VOKWindowControllerTest, FavoriteToggleFollowsTitleIdentifierAndTheStoredList)
{
    const auto controller = makeController(QString(), QStringLiteral("mqtt://h:1883/"));
    controller->window()->setIdentifier(QStringLiteral("Viewer|{}"));
    const QString entry = QStringLiteral("mqtt://h:1883/|Viewer|{}");
    EXPECT_EQ(controller->vokIdentifier(), entry);
    EXPECT_FALSE(controller->vokIsFavorite());

    QSignalSpy favoriteChanges(controller.get(), &VOKWindowController::vokIsFavoriteChanged);
    VOKRecentsManager::sharedInstance().addFavoriteWithVokIdentifier(QStringLiteral("other|X|{}"));
    controller->setProperty("vokIsFavorite", true);
    EXPECT_TRUE(controller->vokIsFavorite());
    EXPECT_EQ(VOKPreferences::standard().stringArrayForKey(VOKRecentsManager::FavoritesKey),
              QStringList({entry, QStringLiteral("other|X|{}")}));
    EXPECT_GE(favoriteChanges.count(), 1);

    // A new title is a different entry, which is not a favorite.
    const qsizetype before = favoriteChanges.count();
    setTitle(*controller, QStringLiteral("renamed"));
    EXPECT_GT(favoriteChanges.count(), before);
    EXPECT_FALSE(controller->vokIsFavorite());
    setTitle(*controller, QStringLiteral("mqtt://h:1883/"));
    controller->setVokIsFavorite(false);
    EXPECT_EQ(VOKPreferences::standard().stringArrayForKey(VOKRecentsManager::FavoritesKey),
              QStringList({QStringLiteral("other|X|{}")}));
    EXPECT_EQ(VOKWindowController::controllerForWidget(controller->viewController()), controller.get());
    VOKPreferences::standard().removeObjectForKey(VOKRecentsManager::FavoritesKey);
}

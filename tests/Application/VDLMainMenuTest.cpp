#include "VDLMainMenu.h"
#include "VOKViewController.h"
#include "VOKWindow.h"
#include "VOKWindowController.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// A window content with the commands a viewer answers.
class ViewerLike final : public VOKViewController
{
    Q_OBJECT
    Q_PROPERTY(int sortOrderIndex MEMBER sortOrderIndex)
    Q_PROPERTY(bool paused MEMBER paused)

public:
    ViewerLike() { (new QVBoxLayout(this))->addWidget(field); }
    QLineEdit *field = new QLineEdit(this);
    int sortOrderIndex = 1;
    bool paused = true;

public Q_SLOTS:
    void selectSortOrder(int index) { sortOrderIndex = index; }
    void togglePause() { paused = !paused; }
};

QAction *item(const QMenu &menu, const QString &text)
{
    for (QAction *action : menu.actions()) {
        if (action->text().remove(QLatin1Char('&')) == text)
            return action;
        if (action->menu())
            if (QAction *found = item(*action->menu(), text))
                return found;
    }
    return nullptr;
}

struct VDLMainMenuTest : ::testing::Test
{
    VDLMainMenu mainMenu;
    QMenu &menu(int index) const { return *mainMenu.menus().at(index); }

    VOKWindowController *showViewerLike()
    {
        VOKWindow::setMenuBarBuilder([this](QMenuBar &bar) { mainMenu.populate(bar); });
        auto content = std::make_unique<ViewerLike>();
        VOKWindowController *const controller = VOKWindowController::presentViewController(std::move(content));
        VOKWindow::setMenuBarBuilder({});
        return controller;
    }

    // A viewer-like window in front with the focus in its text field.
    ViewerLike *showFocusedViewerLike()
    {
        VOKWindowController *const controller = showViewerLike();
        EXPECT_TRUE(QTest::qWaitForWindowActive(controller->window()));
        auto *const content = static_cast<ViewerLike *>(controller->viewController());
        content->field->setFocus();
        EXPECT_TRUE(QTest::qWaitFor([&] { return content->field->hasFocus(); }));
        return content;
    }

    void TearDown() override
    {
        for (VOKWindowController *controller : VOKWindowController::openControllers())
            controller->window()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

} // namespace

TEST_F(VDLMainMenuTest, EveryWindowShowsTheMenusAndTheirItemsReachTheApplication)
{
    VOKWindowController *const controller = showViewerLike();
    ASSERT_TRUE(controller->window()->menuBar());
    EXPECT_EQ(controller->window()->menuBar()->actions().size(), mainMenu.menus().size());
    EXPECT_EQ(mainMenu.recentsMenuItem(), item(menu(0), QStringLiteral("Open Recent")));

    QSignalSpy newConnection(&mainMenu, &VDLMainMenu::newConnectionRequested);
    QSignalSpy help(&mainMenu, &VDLMainMenu::helpRequested);
    item(menu(0), QStringLiteral("New Connection…"))->trigger();
    item(menu(4), QStringLiteral("Vindle Help"))->trigger();
    EXPECT_EQ(newConnection.count(), 1);
    EXPECT_EQ(help.count(), 1);
}

TEST_F(VDLMainMenuTest, CommandsGoToTheActiveWindowAndFollowItsState)
{
    ViewerLike *const content = showFocusedViewerLike();

    mainMenu.updateCommandStates();
    EXPECT_TRUE(item(menu(1), QStringLiteral("Copy"))->isEnabled());
    EXPECT_FALSE(item(menu(1), QStringLiteral("Delete"))->isEnabled());
    EXPECT_FALSE(item(menu(1), QStringLiteral("Find…"))->isEnabled());
    EXPECT_TRUE(item(menu(2), QStringLiteral("Creation"))->isChecked());
    EXPECT_TRUE(item(menu(2), QStringLiteral("Pause Updates"))->isChecked());

    item(menu(2), QStringLiteral("Messages"))->trigger();
    item(menu(2), QStringLiteral("Pause Updates"))->trigger();
    EXPECT_EQ(content->sortOrderIndex, 3);
    EXPECT_FALSE(content->paused);
    mainMenu.updateCommandStates();
    EXPECT_TRUE(item(menu(2), QStringLiteral("Messages"))->isChecked());
    EXPECT_FALSE(item(menu(2), QStringLiteral("Creation"))->isChecked());
    EXPECT_FALSE(item(menu(2), QStringLiteral("Pause Updates"))->isChecked());

    // The Window menu lists the open windows; Close closes the active one.
    content->window()->setWindowTitle(QStringLiteral("Viewer one"));
    Q_EMIT menu(3).aboutToShow();
    Q_EMIT menu(3).aboutToShow();
    const QAction *const listed = item(menu(3), QStringLiteral("Viewer one"));
    ASSERT_TRUE(listed);
    EXPECT_TRUE(listed->isChecked());
    EXPECT_EQ(menu(3).actions().size(), 3) << "minimize, separator and one window";
    item(menu(0), QStringLiteral("Close"))->trigger();
    EXPECT_FALSE(content->window()->isVisible());
}

TEST_F(VDLMainMenuTest, MenusOpenedFromTheKeyboardServeThePaneThatHadTheFocus)
{
    ViewerLike *const content = showFocusedViewerLike();

    // Alt+E hands the focus to the menu bar and opens Edit.
    QTest::keyClick(content->window(), Qt::Key_E, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu(1).isVisible(); }));
    EXPECT_TRUE(item(menu(1), QStringLiteral("Copy"))->isEnabled());
    EXPECT_TRUE(item(menu(1), QStringLiteral("Select All"))->isEnabled());
    menu(1).close();
}

#include "VDLMainMenuTest.moc"

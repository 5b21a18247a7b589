#include "VOKMenu.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>

#include <gtest/gtest.h>

namespace {

QStringList titlesOf(const QMenu &menu)
{
    QStringList titles;
    const QList<QAction *> items = menu.actions();
    for (const QAction *item : items)
        titles.append(item->isSeparator() ? QStringLiteral("---") : item->text());
    return titles;
}

} // namespace

TEST(VOKMenu, SeparatorsNeverLeadOrRepeat)
{
    QMenu menu;
    VOKMenu::addSeparator(menu);
    EXPECT_TRUE(menu.actions().isEmpty());
    VOKMenu::addItemWithTitle(menu, "A");
    VOKMenu::addSeparator(menu);
    VOKMenu::addSeparator(menu);
    VOKMenu::addItemWithTitle(menu, "B");
    EXPECT_EQ(titlesOf(menu), (QStringList{"A", "---", "B"}));
}

TEST(VOKMenu, ItemsRunTheirLatestBlockWithThemselves)
{
    QMenu menu;
    EXPECT_FALSE(VOKMenu::addItemWithTitle(menu, "Caption")->isEnabled());

    QList<QAction *> firstRuns;
    int secondRuns = 0;
    int otherRuns = 0;
    QAction *const item = VOKMenu::addItemWithTitle(menu, "Run", [&](QAction *chosen) { firstRuns.append(chosen); });
    QObject::connect(item, &QAction::triggered, [&] { ++otherRuns; });
    EXPECT_TRUE(item->isEnabled());
    item->trigger();
    EXPECT_EQ(firstRuns, (QList<QAction *>{item}));

    VOKMenuItem::setBlock(*item, [&](QAction *) { ++secondRuns; });
    VOKMenuItem::setBlock(*item, {});
    item->trigger();
    EXPECT_EQ(firstRuns.size(), 1);
    EXPECT_EQ(secondRuns, 1);
    EXPECT_EQ(otherRuns, 2);
}

TEST(VOKMenu, NestedTitlesShareSubmenusByHead)
{
    QMenu menu;
    VOKMenu::addItemWithTitle(menu, "Home"); // same title, but no submenu: not reused
    QAction *const light = VOKMenu::nestedMenuItemForTitle(menu, "Home - Kitchen - Light");
    VOKMenu::nestedMenuItemForTitle(menu, "Home - Kitchen - Fan - Speed");
    VOKMenu::nestedMenuItemForTitle(menu, "Home - Hall");
    VOKMenu::nestedMenuItemForTitle(menu, "Plain-Title");

    EXPECT_EQ(titlesOf(menu), (QStringList{"Home", "Home", "Plain-Title"}));
    QMenu *const home = menu.actions().at(1)->menu();
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(titlesOf(*home), (QStringList{"Kitchen", "Hall"}));
    QMenu *const kitchen = home->actions().first()->menu();
    ASSERT_NE(kitchen, nullptr);
    EXPECT_EQ(titlesOf(*kitchen), (QStringList{"Light", "Fan"}));
    EXPECT_EQ(light->parent(), kitchen);
    EXPECT_FALSE(light->isEnabled());
    EXPECT_EQ(titlesOf(*kitchen->actions().last()->menu()), (QStringList{"Speed"}));
}

TEST(VOKMenu, SubmenusLiveAndDieWithTheirMenu)
{
    auto menu = std::make_unique<QMenu>();
    EXPECT_EQ(VOKMenu::addMenu(*menu, nullptr, "None"), nullptr);
    EXPECT_TRUE(menu->actions().isEmpty());

    auto *const adopted = new QMenu; // the menu takes it over
    const QPointer<QMenu> guardAdopted(VOKMenu::addMenu(*menu, adopted, "Adopted"));
    const QPointer<QMenu> guardMade(VOKMenu::addMenuWithTitle(*menu, "Made"));
    EXPECT_EQ(VOKMenu::submenuTitled(*menu, "Made"), guardMade);
    EXPECT_EQ(titlesOf(*menu), (QStringList{"Adopted", "Made"}));
    menu.reset();
    EXPECT_TRUE(guardAdopted.isNull());
    EXPECT_TRUE(guardMade.isNull());
}

TEST(VOKMenu, AlternatesReplaceTheItemBeforeThemWhileAltIsHeld)
{
    QMenu menu;
    QAction *const open = VOKMenu::addItemWithTitle(menu, "Open");
    QAction *const openAll = &VOKMenuItem::makeAlternate(*VOKMenu::addItemWithTitle(menu, "Open All"));
    QAction *const close = VOKMenu::addItemWithTitle(menu, "Close");
    EXPECT_TRUE(open->isVisible());
    EXPECT_FALSE(openAll->isVisible());

    const auto sendAlt = [&](QEvent::Type type) {
        QKeyEvent event(type, Qt::Key_Alt, type == QEvent::KeyPress ? Qt::AltModifier : Qt::NoModifier);
        QCoreApplication::sendEvent(&menu, &event);
    };
    sendAlt(QEvent::KeyPress);
    EXPECT_FALSE(open->isVisible());
    EXPECT_TRUE(openAll->isVisible());
    EXPECT_TRUE(close->isVisible());
    sendAlt(QEvent::KeyRelease);
    EXPECT_TRUE(open->isVisible());
    EXPECT_FALSE(openAll->isVisible());
}

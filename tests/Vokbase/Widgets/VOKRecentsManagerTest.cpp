#include "LogCapture.h"
#include "VOKRecentsManager.h"
#include "VOKWindowPresenter.h"
#include "WindowLayerTest.h"

#include <QAction>
#include <QMenu>

namespace {

const QString identifier = QStringLiteral(R"(TestServerViewController|{"host":"h","port":1883})");

QStringList stored(const char *key)
{
    return VOKPreferences::standard().stringArrayForKey(QLatin1String(key));
}

QStringList menuTexts(const QMenu &menu)
{
    QStringList texts;
    for (const QAction *action : menu.actions()) {
        QString text = action->isSeparator() ? QStringLiteral("---") : action->text().trimmed();
        if (!action->shortcut().isEmpty())
            text += QLatin1Char(' ') + action->shortcut().toString();
        if (!action->isSeparator() && !action->isEnabled())
            text += QStringLiteral(" (off)");
        texts.append(text);
    }
    return texts;
}

struct RecentsTest : WindowLayerTest
{
    void TearDown() override
    {
        VOKPreferences::standard().removeObjectForKey(QStringLiteral("VOKRecents"));
        VOKPreferences::standard().removeObjectForKey(QStringLiteral("VOKFavorites"));
        WindowLayerTest::TearDown();
    }
    VOKRecentsManager &recents = VOKRecentsManager::sharedInstance();
};

} // namespace

TEST_F(RecentsTest, EntriesAreUniqueNewestFirstAndChecked)
{
    LogCapture log;
    recents.addRecentWithTitle(QStringLiteral("one"), identifier);
    recents.addRecentWithTitle(QStringLiteral("two"), identifier);
    recents.addRecentWithTitle(QStringLiteral("one"), identifier);
    EXPECT_EQ(stored("VOKRecents"), QStringList({QStringLiteral("one|") + identifier, QStringLiteral("two|") + identifier}));

    recents.addRecentWithTitle(QString(), identifier);
    recents.addFavoriteWithTitle(QStringLiteral("t"), QString());
    EXPECT_EQ(log.beeps(), 2);
    EXPECT_EQ(log.linesContaining(QStringLiteral("Beep: Valid title required for addRecentWithTitle:identifier:")).size(), 1);
    EXPECT_EQ(log.linesContaining(QStringLiteral("Beep: Valid identifier required for addFavoriteWithTitle:identifier:")).size(), 1);

    recents.removeFavoriteWithVokIdentifier(QStringLiteral("x|y"));
    EXPECT_FALSE(VOKPreferences::standard().objectForKey(QStringLiteral("VOKFavorites")).isValid());
    recents.addFavoriteWithTitle(QStringLiteral("fav"), identifier);
    EXPECT_TRUE(recents.isFavorite(QStringLiteral("fav|") + identifier));
    recents.removeFavoriteWithTitle(QStringLiteral("fav"), identifier);
    EXPECT_FALSE(recents.isFavorite(QStringLiteral("fav|") + identifier));
}

TEST_F(RecentsTest, TheMenuMirrorsBothListsAndOpensWindows)
{
    QAction item(QStringLiteral("Open Recent"));
    VOKRecentsManager::configureWithMenuItem(&item, true);
    ASSERT_EQ(item.menu(), recents.menu());
    EXPECT_EQ(menuTexts(*recents.menu()),
              QStringList({QStringLiteral("Recents (off)"), QStringLiteral("---"), QStringLiteral("Clear Recents (off)"),
                           QStringLiteral(" (off)"), QStringLiteral("Favorites (off)"), QStringLiteral("---"),
                           QStringLiteral("Clear Favorites (off)")}));

    LogCapture log;
    for (int index = 11; index >= 1; --index)
        recents.addRecentWithTitle(QStringLiteral("r%1").arg(index), identifier);
    VOKPreferences::standard().setObject(stored("VOKRecents") << QStringLiteral("no bar"), QStringLiteral("VOKRecents"));
    recents.addFavoriteWithVokIdentifier(QStringLiteral("fav|") + identifier);
    const QStringList texts = menuTexts(*recents.menu());
    EXPECT_EQ(texts.mid(0, 2), QStringList({QStringLiteral("Recents (off)"), QStringLiteral("r1 Ctrl+1")}));
    EXPECT_EQ(texts[9], QStringLiteral("r9 Ctrl+9"));
    EXPECT_EQ(texts.mid(10, 5), QStringList({QStringLiteral("r10"), QStringLiteral("r11"), QStringLiteral("---"),
                                             QStringLiteral("Clear Recents"), QStringLiteral(" (off)")}));
    EXPECT_EQ(texts[16], QStringLiteral("fav Ctrl+Shift+1"));
    // One line for each rebuild since the bad entry was stored: its own and the favorite's.
    EXPECT_EQ(log.linesContaining(QStringLiteral("ERROR: Failed to parse recents entry: 'no bar'")).size(), 2);

    // Choosing an entry presents its window; Clear empties the section at once.
    ASSERT_TRUE(VOKWindowController::openControllers().isEmpty());
    recents.menu()->actions()[1]->trigger();
    EXPECT_EQ(VOKWindowController::openControllers().size(), 1);
    recents.menu()->actions()[13]->trigger();
    EXPECT_TRUE(stored("VOKRecents").isEmpty());
    EXPECT_EQ(menuTexts(*recents.menu())[2], QStringLiteral("Clear Recents (off)"));

    // A title may hold "|", even "|{" (a topic path may): the entry still opens its window.
    const QVariantMap barred{{QStringLiteral("host"), QStringLiteral("h")},
                             {QStringLiteral("path"), QStringLiteral("a|{b")},
                             {QStringLiteral("port"), 1883}};
    recents.addRecentWithTitle(QStringLiteral("h/a|{b"),
                               VOKWindowPresenter::windowIdentifier(QStringLiteral("TestServerViewController"), barred));
    EXPECT_EQ(menuTexts(*recents.menu())[1], QStringLiteral("h/a|{b Ctrl+1"));
    recents.menu()->actions()[1]->trigger();
    EXPECT_NE(VOKWindowPresenter::presentViewControllerOfClass(QStringLiteral("TestServerViewController"), barred, false),
              nullptr);

    // Configuring twice is refused and changes nothing.
    QAction other(QStringLiteral("Other"));
    VOKRecentsManager::configureWithMenuItem(&other, false);
    EXPECT_EQ(log.beeps(), 1);
    EXPECT_FALSE(other.menu());
    EXPECT_TRUE(recents.supportFavorites());
}

TEST_F(RecentsTest, BadIdentifiersOpenNothing)
{
    LogCapture log;
    recents.openUsingIdentifier(QStringLiteral("no bar"));
    recents.openUsingIdentifier(QStringLiteral("NoSuchClass|{}"));
    EXPECT_TRUE(log.lines().isEmpty()) << "an entry of a class this build lacks is skipped silently";
    recents.openUsingIdentifier(QStringLiteral("TestServerViewController|{not json"));
    EXPECT_TRUE(VOKWindowController::openControllers().isEmpty());
}

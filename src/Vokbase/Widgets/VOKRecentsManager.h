#pragma once

#include "VOKKVOBlock.h"

#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class QAction;
class QMenu;

// The windows the user opened (recents, "VOKRecents") and marked (favorites, "VOKFavorites"),
// kept in the preferences as entries "title|identifier", newest first, each at most once, and
// shown as a menu that opens them again (Ctrl+1…9 for recents, Ctrl+Shift+1…9 for favorites).
// The identifier is "Class|{JSON}" and is read from the end of an entry, so a title may hold
// "|" itself.
//
// One shared manager, created on first use (thread-safe). Once configured with a menu action it
// owns that action's submenu and rebuilds it whenever either list changes, whoever changed it.
// GUI thread only, apart from sharedInstance().
class VOKRecentsManager final : public QObject
{
    Q_OBJECT

public:
    // The preference keys of the two lists.
    static const QString RecentsKey;
    static const QString FavoritesKey;

    static VOKRecentsManager &sharedInstance();

    // Gives the shared manager the menu action whose submenu it fills. A null action does
    // nothing; a second configuration is refused with a beep.
    static void configureWithMenuItem(QAction *menuItem, bool supportFavorites = false);

    // The submenu, null before configuration.
    QMenu *menu() const { return m_menu.get(); }
    bool supportFavorites() const { return m_supportFavorites; }

    void updateMenu();
    // Presents the window a "Class|{json}" identifier describes; a bad identifier opens nothing,
    // and one naming a class this build does not have says nothing either.
    void openUsingIdentifier(const QString &identifier);

    // Put "title|identifier" first in the list; an empty title or identifier beeps instead.
    void addRecentWithTitle(const QString &title, const QString &identifier);
    void addFavoriteWithTitle(const QString &title, const QString &identifier);
    void removeFavoriteWithTitle(const QString &title, const QString &identifier);
    // The same with a whole entry text, without checks.
    void addFavoriteWithVokIdentifier(const QString &entry);
    void removeFavoriteWithVokIdentifier(const QString &entry);
    bool isFavorite(const QString &entry) const;

private:
    VOKRecentsManager() = default;
    ~VOKRecentsManager() override;
    void configure(QAction *menuItem, bool supportFavorites);
    void addSection(const QString &title, const QString &key, Qt::KeyboardModifiers modifiers);
    // "title|identifier", or none (with a beep) when either is empty.
    static std::optional<QString> entryFor(const QString &title, const QString &identifier, const char *operation);
    static void storeFirst(const QString &entry, const QString &key);

    std::unique_ptr<QMenu> m_menu;
    QPointer<QAction> m_menuItem;
    bool m_supportFavorites = false;
    VOKKVOBlockPtr m_recentsObserver;
    VOKKVOBlockPtr m_favoritesObserver;
};

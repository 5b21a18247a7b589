#pragma once

#include "VOKMenuItem.h"

#include <QString>

#include <memory>

class QAction;
class QMenu;
class QPoint;

// Building menus a piece at a time: items that run a callback, separators that never pile up,
// and submenus found or made by title, so titles like "Home - Kitchen - Light" nest by
// themselves and titles sharing a head share its submenu.
//
// Ownership: every item and submenu added belongs to the menu it was added to (QObject
// parenting); the answered pointers are borrowed. Threading: main thread only.
class VOKMenu
{
public:
    // Adds a separator unless the menu is empty or already ends with one.
    static void addSeparator(QMenu &menu);
    // Appends an item with the title; it runs the callback when chosen and is disabled without one.
    static QAction *addItemWithTitle(QMenu &menu, const QString &title, VOKMenuItem::Block block = {});
    // Appends a new empty submenu under the title and answers it.
    static QMenu *addMenuWithTitle(QMenu &menu, const QString &title);
    // Appends an item with the title that opens the submenu, which the menu adopts; answers the
    // submenu (null for null, and then nothing is added).
    static QMenu *addMenu(QMenu &menu, QMenu *submenu, const QString &title);
    // The submenu of the first item with exactly this title that has one; a new one otherwise.
    static QMenu *submenuTitled(QMenu &menu, const QString &title);
    // Splits the title at each " - ", descends into (or makes) a submenu per head and appends
    // a plain, disabled item with the last part there.
    static QAction *nestedMenuItemForTitle(QMenu &menu, const QString &title);

    // Shows the menu at the global position without blocking; the menu deletes itself once it
    // has closed and its chosen item has run. A null menu shows nothing.
    static void popUp(std::unique_ptr<QMenu> menu, const QPoint &globalPosition);
};

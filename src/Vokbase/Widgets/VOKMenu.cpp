#include "VOKMenu.h"

#include <QAction>
#include <QMenu>

void VOKMenu::addSeparator(QMenu &menu)
{
    const QList<QAction *> items = menu.actions();
    if (items.isEmpty() || items.last()->isSeparator())
        return;
    menu.addSeparator();
}

QAction *VOKMenu::addItemWithTitle(QMenu &menu, const QString &title, VOKMenuItem::Block block)
{
    QAction *const item = menu.addAction(title);
    item->setEnabled(false);
    VOKMenuItem::setBlock(*item, std::move(block));
    return item;
}

QMenu *VOKMenu::addMenuWithTitle(QMenu &menu, const QString &title)
{
    return addMenu(menu, new QMenu(&menu), title);
}

QMenu *VOKMenu::addMenu(QMenu &menu, QMenu *submenu, const QString &title)
{
    if (!submenu)
        return nullptr;
    // QMenu::addMenu leaves ownership alone; parenting keeps the submenu alive with the menu.
    if (submenu->parent() != &menu)
        submenu->setParent(&menu, submenu->windowFlags());
    menu.addMenu(submenu)->setText(title);
    return submenu;
}

QMenu *VOKMenu::submenuTitled(QMenu &menu, const QString &title)
{
    const QList<QAction *> items = menu.actions();
    for (const QAction *item : items) {
        if (item->menu() && item->text() == title)
            return item->menu();
    }
    return addMenuWithTitle(menu, title);
}

QAction *VOKMenu::nestedMenuItemForTitle(QMenu &menu, const QString &title)
{
    static const QString separator = QStringLiteral(" - ");
    QMenu *current = &menu;
    QString rest = title;
    // A loop rather than recursion: each turn descends one level.
    for (qsizetype at = rest.indexOf(separator); at >= 0; at = rest.indexOf(separator)) {
        current = submenuTitled(*current, rest.left(at));
        rest = rest.mid(at + separator.size());
    }
    return addItemWithTitle(*current, rest);
}

void VOKMenu::popUp(std::unique_ptr<QMenu> menu, const QPoint &globalPosition)
{
    if (!menu)
        return;
    QMenu *const shown = menu.release();
    // Deferred: the menu hides before its chosen item's trigger is delivered.
    QObject::connect(shown, &QMenu::aboutToHide, shown, &QObject::deleteLater);
    shown->popup(globalPosition);
}

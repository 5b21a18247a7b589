#include "VOKAlternateMenuItems.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

VOKAlternateMenuItems::VOKAlternateMenuItems(QMenu &menu)
    : QObject(&menu)
    , m_menu(menu)
{
    // Before the menu lays itself out, so it opens at the size of what it shows.
    connect(&menu, &QMenu::aboutToShow, this,
            [this] { showAlternates(QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier); });
    menu.installEventFilter(this);
}

void VOKAlternateMenuItems::add(QMenu &menu, QAction &item)
{
    auto *watcher = menu.findChild<VOKAlternateMenuItems *>(QString(), Qt::FindDirectChildrenOnly);
    if (!watcher)
        watcher = new VOKAlternateMenuItems(menu);
    watcher->m_alternates.append(&item);
    watcher->showAlternates(false);
}

bool VOKAlternateMenuItems::eventFilter(QObject *watched, QEvent *event)
{
    const bool isKey = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (watched != &m_menu || !isKey || static_cast<const QKeyEvent *>(event)->key() != Qt::Key_Alt)
        return false;
    showAlternates(event->type() == QEvent::KeyPress);
    return true;
}

void VOKAlternateMenuItems::showAlternates(bool altHeld) const
{
    const QList<QAction *> items = m_menu.actions();
    for (QAction *const alternate : m_alternates) {
        const qsizetype at = alternate ? items.indexOf(alternate) : -1;
        if (at < 1)
            continue;
        items.at(at - 1)->setVisible(!altHeld);
        alternate->setVisible(altHeld);
    }
}

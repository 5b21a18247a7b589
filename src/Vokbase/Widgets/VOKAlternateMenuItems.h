#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QAction;
class QMenu;

// Shows each alternate item of one menu in place of the item before it while Alt is held, and
// the usual item otherwise: the state is set when the menu opens and follows Alt while it is
// open. Alt presses are kept from the menu, which some styles would close on them.
//
// Ownership: owned by its menu (one per menu, made by the first add). Threading: main thread only.
class VOKAlternateMenuItems : public QObject
{
    Q_OBJECT

public:
    // Marks the item, already in the menu, as the alternate of the item before it.
    static void add(QMenu &menu, QAction &item);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit VOKAlternateMenuItems(QMenu &menu);
    void showAlternates(bool altHeld) const;

    QMenu &m_menu;
    QList<QPointer<QAction>> m_alternates;
};

#include "VOKTableHeaderView.h"

#include "VOKMenu.h"
#include "VOKOutlineView.h"
#include "VOKOutlineViewDelegate.h"

#include <QContextMenuEvent>
#include <QMenu>

VOKTableHeaderView::VOKTableHeaderView(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    // The settings a tree view gives its own header, so replacing it changes nothing else.
    setSectionsMovable(true);
    setStretchLastSection(true);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void VOKTableHeaderView::contextMenuEvent(QContextMenuEvent *event)
{
    const auto *const view = qobject_cast<const VOKOutlineView *>(parentWidget());
    VOKOutlineViewDelegate *const delegate = view ? view->delegate() : nullptr;
    if (!delegate) {
        QHeaderView::contextMenuEvent(event);
        return;
    }
    VOKMenu::popUp(delegate->contextMenuForTableHeaderView(*this), event->globalPos());
    // Taken even without a menu: the delegate has decided there is none, so the widgets around
    // must not offer theirs.
    event->accept();
}

#include "VOKOutlineViewDelegate.h"

#include <QMenu>

std::unique_ptr<QMenu> VOKOutlineViewDelegate::contextMenuForTableView(VOKOutlineView &, const QModelIndex &)
{
    return nullptr;
}

std::unique_ptr<QMenu> VOKOutlineViewDelegate::contextMenuForTableHeaderView(QHeaderView &)
{
    return nullptr;
}

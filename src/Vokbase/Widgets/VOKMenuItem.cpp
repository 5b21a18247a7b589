#include "VOKMenuItem.h"

#include "VOKAlternateMenuItems.h"
#include "VOKDispatch.h"

#include <QAction>
#include <QMenu>

namespace {
const QString blockHolderName = QStringLiteral("VOKMenuItemBlock");
}

void VOKMenuItem::setBlock(QAction &item, Block block)
{
    if (!block)
        return;
    // The holder is the connection's context: deleting it drops the earlier block's connection
    // without touching connections others made to the item.
    delete item.findChild<QObject *>(blockHolderName, Qt::FindDirectChildrenOnly);
    auto *const holder = new QObject(&item);
    holder->setObjectName(blockHolderName);
    QAction *const itemPointer = &item;
    QObject::connect(&item, &QAction::triggered, holder,
                     [itemPointer, block = std::move(block)] { vokRunBlockWithObject(block, itemPointer); });
    item.setEnabled(true);
}

QAction &VOKMenuItem::makeAlternate(QAction &item)
{
    const QList<QObject *> places = item.associatedObjects();
    for (QObject *const place : places) {
        if (auto *const menu = qobject_cast<QMenu *>(place))
            VOKAlternateMenuItems::add(*menu, item);
    }
    return item;
}

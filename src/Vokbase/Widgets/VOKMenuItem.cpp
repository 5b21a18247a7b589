#include "VOKMenuItem.h"

#include "VOKDispatch.h"

#include <QAction>

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

#include "VOKTableColumnToggleMenu.h"

#include "VOKMenu.h"
#include "VOKOutlineView.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QPointer>

std::unique_ptr<QMenu> VOKTableColumnToggleMenu::make(QTreeView &view)
{
    auto menu = std::make_unique<QMenu>();
    VOKMenu::addItemWithTitle(*menu, QStringLiteral("Columns"));
    const QAbstractItemModel *const model = view.model();
    if (!model)
        return menu;
    const bool isOutline = qobject_cast<const VOKOutlineView *>(&view) != nullptr;
    QHeaderView *const header = view.header();
    // A guarded header: a menu kept past its view must not touch a deleted header.
    const QPointer<QHeaderView> guarded(header);
    for (int column = 0; column < model->columnCount(view.rootIndex()); ++column) {
        if (isOutline && column == view.treePosition())
            continue;
        const QString toolTip = model->headerData(column, Qt::Horizontal, Qt::ToolTipRole).toString();
        const QString title =
            toolTip.isEmpty() ? model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString() : toolTip;
        QAction *const item = VOKMenu::addItemWithTitle(*menu, title, [guarded, column](QAction *) {
            if (guarded)
                guarded->setSectionHidden(column, !guarded->isSectionHidden(column));
        });
        item->setCheckable(true);
        item->setChecked(!header->isSectionHidden(column));
    }
    return menu;
}

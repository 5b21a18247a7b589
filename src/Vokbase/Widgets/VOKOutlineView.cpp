#include "VOKOutlineView.h"

#include "VOKMenu.h"
#include "VOKOutlineViewDelegate.h"
#include "VOKTableHeaderView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QSet>

VOKOutlineView::VOKOutlineView(QWidget *parent)
    : QTreeView(parent)
{
    setHeader(new VOKTableHeaderView(this));
}

QObject *VOKOutlineView::representedObject(const QModelIndex &index) const
{
    return qvariant_cast<QObject *>(index.data(m_representedObjectRole));
}

template <typename Visit>
void VOKOutlineView::forEachVisibleRow(Visit visit)
{
    QAbstractItemModel *const itemModel = model();
    if (!itemModel)
        return;
    // Iterative: the tree can be deeper than the stack.
    QList<QModelIndex> pending;
    const auto pushChildren = [&](const QModelIndex &parent) {
        for (int row = itemModel->rowCount(parent) - 1; row >= 0; --row)
            pending.append(itemModel->index(row, 0, parent));
    };
    pushChildren(rootIndex());
    qint64 row = 0;
    while (!pending.isEmpty()) {
        const QModelIndex index = pending.takeLast();
        visit(index, row++);
        if (isExpanded(index))
            pushChildren(index);
    }
}

void VOKOutlineView::vokSnapshotTake()
{
    m_selectionSnapshot.clear();
    m_expansionSnapshot.clear();
    m_firstVisibleRow = 0;
    const QModelIndex top = indexAt(QPoint(0, 0));
    const QItemSelectionModel *const selection = selectionModel();
    forEachVisibleRow([&](const QModelIndex &index, qint64 row) {
        if (selection && selection->isRowSelected(index.row(), index.parent()))
            m_selectionSnapshot.append(representedObject(index));
        if (isExpanded(index))
            m_expansionSnapshot.append(representedObject(index));
        if (top.isValid() && index == top.siblingAtColumn(0))
            m_firstVisibleRow = row;
    });
}

void VOKOutlineView::vokSnapshotApply()
{
    const QSet<QObject *> expanded(m_expansionSnapshot.cbegin(), m_expansionSnapshot.cend());
    forEachVisibleRow([&](const QModelIndex &index, qint64) {
        const bool want = expanded.contains(representedObject(index));
        if (want != isExpanded(index))
            setExpanded(index, want);
    });
    QItemSelectionModel *const selection = selectionModel();
    if (!selection)
        return;
    const QSet<QObject *> selected(m_selectionSnapshot.cbegin(), m_selectionSnapshot.cend());
    forEachVisibleRow([&](const QModelIndex &index, qint64) {
        const bool want = selected.contains(representedObject(index));
        if (want != selection->isRowSelected(index.row(), index.parent()))
            selection->select(index, (want ? QItemSelectionModel::Select : QItemSelectionModel::Deselect)
                                         | QItemSelectionModel::Rows);
    });
}

void VOKOutlineView::vokSnapshotAndFirstRowApply()
{
    vokSnapshotApply();
    if (m_firstVisibleRow <= 0)
        return;
    QModelIndex target;
    forEachVisibleRow([&](const QModelIndex &index, qint64 row) {
        if (row == m_firstVisibleRow)
            target = index;
    });
    if (target.isValid())
        scrollTo(target, QAbstractItemView::PositionAtTop);
}

void VOKOutlineView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void VOKOutlineView::contextMenuEvent(QContextMenuEvent *event)
{
    if (!m_delegate) {
        QTreeView::contextMenuEvent(event);
        return;
    }
    // Mouse clicks arrive in viewport coordinates; the menu key means the current row.
    const QModelIndex clicked =
        event->reason() == QContextMenuEvent::Keyboard ? currentIndex() : indexAt(event->pos());
    VOKMenu::popUp(m_delegate->contextMenuForTableView(*this, clicked), event->globalPos());
    // Taken even without a menu: the delegate has decided there is none, so the widgets around
    // must not offer theirs.
    event->accept();
}

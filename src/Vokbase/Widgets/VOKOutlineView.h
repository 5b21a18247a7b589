#pragma once

#include <QList>
#include <QTreeView>

class QObject;
class VOKOutlineViewDelegate;

// A tree view that remembers which rows were expanded and selected, by the object each row
// stands for, and brings that state back after its model changed: rows are found again by
// identity, never by position, so insertions, removals and re-sorting in between do not matter.
// A row's object is the QObject pointer the model answers for representedObjectRole.
//
// Rows are the visible rows, top-down: a node, then (when it is expanded) its children. Taking
// and applying walk them once, with hash-set membership, so both are linear in the visible rows.
//
// Context menus for the rows and for the header (a VOKTableHeaderView) come from the delegate.
// The view does not own its delegate. Threading: main thread only.
class VOKOutlineView : public QTreeView
{
    Q_OBJECT

public:
    explicit VOKOutlineView(QWidget *parent = nullptr);

    int representedObjectRole() const { return m_representedObjectRole; }
    void setRepresentedObjectRole(int role) { m_representedObjectRole = role; }
    QObject *representedObject(const QModelIndex &index) const;

    VOKOutlineViewDelegate *delegate() const { return m_delegate; }
    void setDelegate(VOKOutlineViewDelegate *delegate) { m_delegate = delegate; }

    // The objects of the selected rows, top-down, at the last take.
    const QList<QObject *> &selectionSnapshot() const { return m_selectionSnapshot; }
    // The objects of the expanded rows, top-down, at the last take.
    const QList<QObject *> &expansionSnapshot() const { return m_expansionSnapshot; }
    // The first row inside the visible area at the last take; 0 when there is none.
    qint64 firstVisibleRow() const { return m_firstVisibleRow; }

    void vokSnapshotTake();
    // Expands exactly the remembered rows that exist (parents first, so children of a row that
    // stays collapsed are left alone), then selects exactly the remembered rows among the
    // visible ones. Does not scroll; the snapshot stays for the next apply.
    void vokSnapshotApply();
    // Applies, then scrolls the remembered first visible row to the top when it is beyond 0.
    void vokSnapshotAndFirstRowApply();

protected:
    // Escape is left to the widgets around (a search field clears itself with it).
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // Calls visit with each visible row top-down; visit may expand or collapse the row it gets,
    // and the walk follows what it finds afterwards.
    template <typename Visit>
    void forEachVisibleRow(Visit visit);

    int m_representedObjectRole = Qt::UserRole;
    VOKOutlineViewDelegate *m_delegate = nullptr;
    QList<QObject *> m_selectionSnapshot;
    QList<QObject *> m_expansionSnapshot;
    qint64 m_firstVisibleRow = 0;
};

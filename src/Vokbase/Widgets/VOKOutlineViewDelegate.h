#pragma once

#include <memory>

class QHeaderView;
class QMenu;
class QModelIndex;
class VOKOutlineView;

// What an outline view asks the object behind it for: context menus for its rows and for its
// header. A menu is built anew on every request, so it reflects the current state.
//
// Ownership: the view does not own its delegate; the delegate must outlive the view or be
// removed from it first. The view owns each answered menu until the menu closes.
// Threading: main thread only.
class VOKOutlineViewDelegate
{
public:
    virtual ~VOKOutlineViewDelegate() = default;

    // The menu for a right click on the rows; clicked is the row under the pointer (invalid on
    // the empty area), or the current row for the menu key. Null: no menu. While a view has a
    // delegate, its context clicks never go on to the widgets around.
    virtual std::unique_ptr<QMenu> contextMenuForTableView(VOKOutlineView &view, const QModelIndex &clicked);
    // The menu for a right click on the header. Null: no menu.
    virtual std::unique_ptr<QMenu> contextMenuForTableHeaderView(QHeaderView &header);

protected:
    VOKOutlineViewDelegate() = default;
    VOKOutlineViewDelegate(const VOKOutlineViewDelegate &) = default;
    VOKOutlineViewDelegate &operator=(const VOKOutlineViewDelegate &) = default;
};

#pragma once

#include <memory>

class QMenu;
class QTreeView;

// The menu that hides and shows the columns of a view: a disabled "Columns" caption, then one
// checkable item per column, checked while the column is visible; choosing an item toggles its
// column. An outline view leaves out its tree column, which must stay. Items are titled with the
// header's tool tip when there is one (short headers explain themselves there), else the
// header's text.
//
// Ownership: the caller owns the answered menu; its items do nothing once the view is gone.
// Threading: main thread only.
class VOKTableColumnToggleMenu
{
public:
    // Built anew on every call, so the check marks are current.
    static std::unique_ptr<QMenu> make(QTreeView &view);
};

#pragma once

#include <functional>

class QAction;

// Menu items that run a callback when chosen.
//
// Ownership: the callback is kept by a helper object owned by the item, so it lives exactly as
// long as the item. Threading: main thread only.
class VOKMenuItem
{
public:
    // Receives the chosen item.
    using Block = std::function<void(QAction *item)>;

    // Makes the item run the block when chosen, replacing an earlier block, and enables it.
    // An empty block changes nothing.
    static void setBlock(QAction &item, Block block);
    // Makes the item, already added to a menu, replace the item before it while Alt is held.
    // Answers the item.
    static QAction &makeAlternate(QAction &item);
};

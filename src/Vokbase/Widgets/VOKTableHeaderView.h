#pragma once

#include <QHeaderView>

// A horizontal header whose context menu comes from the delegate of the outline view it heads
// (VOKOutlineViewDelegate::contextMenuForTableHeaderView); without a delegate the click goes
// on to the widgets around, as with a plain header.
//
// Ownership: owned by its view like any header. Threading: main thread only.
class VOKTableHeaderView : public QHeaderView
{
    Q_OBJECT

public:
    explicit VOKTableHeaderView(QWidget *parent = nullptr);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};

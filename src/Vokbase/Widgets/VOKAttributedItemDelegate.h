#pragma once

#include <QStyledItemDelegate>

// Draws the styled text a model answers under one role (a VOKAttributedString), and falls back
// to the plain text for cells that have none. GUI thread.
class VOKAttributedItemDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    VOKAttributedItemDelegate(int attributedRole, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    int m_attributedRole;
};

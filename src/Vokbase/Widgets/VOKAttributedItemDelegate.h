#pragma once

#include "VOKAttributedString.h"

#include <QStyledItemDelegate>

#include <optional>

// Draws the styled text a model answers under one role (a VOKAttributedString), and falls back
// to the plain text for cells that have none. Subclasses may style cells further by answering
// attributedText. GUI thread.
class VOKAttributedItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    VOKAttributedItemDelegate(int attributedRole, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The styled text drawn in the cell; none draws the plain text. By default the model's
    // answer under the delegate's role.
    virtual std::optional<VOKAttributedString> attributedText(const QModelIndex &index) const;

private:
    int m_attributedRole;
};

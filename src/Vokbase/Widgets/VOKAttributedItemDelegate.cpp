#include "VOKAttributedItemDelegate.h"

#include "VOKAttributedString.h"
#include "VOKAttributedStringPainter.h"

#include <QApplication>
#include <QPainter>

#include <cmath>

VOKAttributedItemDelegate::VOKAttributedItemDelegate(int attributedRole, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_attributedRole(attributedRole)
{
}

void VOKAttributedItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const
{
    const std::optional<VOKAttributedString> text = attributedText(index);
    if (!text) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The background, selection and focus come from the style; only the text is ours.
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    QPalette palette = option.palette;
    if (option.state & QStyle::State_Selected)
        palette.setColor(QPalette::Text, option.palette.color(QPalette::HighlightedText));
    QRectF textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &background, widget);
    const VOKAttributedStringPainter textPainter(option.font, palette);
    // Numbers stand flush right when the model says so, as plain cells would.
    if (Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()) & Qt::AlignRight)
        textRect.setLeft(std::max(textRect.left(), textRect.right() - std::ceil(textPainter.sizeHint(*text).width()) - 2));
    textPainter.paint(*painter, textRect, *text);
}

QSize VOKAttributedItemDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const std::optional<VOKAttributedString> text = attributedText(index);
    if (!text)
        return QStyledItemDelegate::sizeHint(option, index);
    const QSizeF size = VOKAttributedStringPainter(option.font, option.palette).sizeHint(*text);
    return QSize(qCeil(size.width()) + 6, std::max(qCeil(size.height()), QStyledItemDelegate::sizeHint(option, index).height()));
}

std::optional<VOKAttributedString> VOKAttributedItemDelegate::attributedText(const QModelIndex &index) const
{
    const QVariant styled = index.data(m_attributedRole);
    if (!styled.canConvert<VOKAttributedString>())
        return std::nullopt;
    return styled.value<VOKAttributedString>();
}

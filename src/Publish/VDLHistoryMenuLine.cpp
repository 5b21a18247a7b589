#include "VDLHistoryMenuLine.h"

#include "VOKAttributedStringPainter.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWidgetAction>
#include <QtMath>

VDLHistoryMenuLine::VDLHistoryMenuLine(VOKAttributedString text, QWidgetAction *action, QMenu *menu)
    : m_text(std::move(text))
    , m_action(action)
    , m_menu(menu)
{
    setMouseTracking(true);
    setContentsMargins(12, 3, 12, 3);
    setFont(menu->font());
    // Keyboard moves change the menu's active item; the line shows whether it is that item.
    connect(menu, &QMenu::hovered, this, qOverload<>(&QWidget::update));
}

QSize VDLHistoryMenuLine::sizeHint() const
{
    const QSizeF text = VOKAttributedStringPainter(font(), palette()).sizeHint(m_text);
    const QMargins margins = contentsMargins();
    return QSize(qCeil(text.width()) + margins.left() + margins.right(),
                 qCeil(text.height()) + margins.top() + margins.bottom());
}

void VDLHistoryMenuLine::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QPalette colours = palette();
    if (m_menu->activeAction() == m_action || underMouse()) {
        painter.fillRect(rect(), colours.color(QPalette::Highlight));
        colours.setColor(QPalette::Text, colours.color(QPalette::HighlightedText));
    }
    VOKAttributedStringPainter(font(), colours).paint(painter, QRectF(contentsRect()), m_text);
}

void VDLHistoryMenuLine::enterEvent(QEnterEvent *)
{
    m_menu->setActiveAction(m_action);
    update();
}

void VDLHistoryMenuLine::leaveEvent(QEvent *)
{
    update();
}

void VDLHistoryMenuLine::mousePressEvent(QMouseEvent *event)
{
    // Taken here, so the menu does not read the press as one outside its items.
    event->accept();
}

void VDLHistoryMenuLine::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (!rect().contains(event->position().toPoint()))
        return;
    QMenu *const menu = m_menu;
    m_action->trigger();
    menu->close();
}

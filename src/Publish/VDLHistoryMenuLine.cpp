#include "VDLHistoryMenuLine.h"

#include "VDLPM.h"
#include "VOKAttributedStringPainter.h"
#include "VOKMarkupParser.h"
#include "VOKString.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWidgetAction>
#include <QtMath>

namespace {

const QString ellipsis = QStringLiteral("\u2026");
const QString separator = QStringLiteral(" \u2014 ");

QFont smallFont()
{
    QFont font = QGuiApplication::font();
    font.setPointSizeF(std::max(1.0, font.pointSizeF() - 2));
    return font;
}

VOKTextAttributes styleWithFont(const QFont &font, qreal rightTabStop)
{
    VOKTextAttributes attributes;
    attributes.font = font;
    attributes.rightTabStop = rightTabStop;
    return attributes;
}

qreal widthOf(const QString &text, const VOKTextAttributes &attributes)
{
    return QFontMetricsF(*attributes.font).horizontalAdvance(text);
}

} // namespace

VOKAttributedString VDLHistoryMenuLine::attributedStringWithTabWidth(const VDLPM &entry, qreal tabWidth)
{
    // One paragraph style for the whole line: a right-aligned tab stop at the tab width.
    const VOKTextAttributes mainStyle = styleWithFont(QGuiApplication::font(), tabWidth);
    const VOKTextAttributes smallStyle = styleWithFont(smallFont(), tabWidth);
    const qreal available = tabWidth - 30;
    const qreal separatorWidth = widthOf(separator, mainStyle);
    const QString path = entry.path.isNull() ? QStringLiteral("") : entry.path;
    const QString pathText = truncateString(path, available - separatorWidth, mainStyle);
    const qreal valueWidth = available - widthOf(pathText, mainStyle) - separatorWidth;
    const QString valueText = truncateString(vokStringOnOneLine(entry.valueAsString()), valueWidth, smallStyle);

    VOKAttributedString line;
    line.vokAdd(pathText + separator, mainStyle);
    line.vokAdd(valueText, smallStyle);
    const QString symbols = QStringLiteral("\t%1[s:%2.circle]")
                                .arg(entry.doRetain ? QStringLiteral("[s:r.square]") : QString())
                                .arg(entry.qos);
    const VOKAttributedString tail = vokAttributedStringWithStyle(symbols, mainStyle);
    for (const VOKAttributedString::Run &run : tail.runs())
        line.vokAdd(tail.string().mid(run.start, run.length), run.attributes);
    return line;
}

QString VDLHistoryMenuLine::truncateString(const QString &text, qreal width, const VOKTextAttributes &attributes)
{
    const QFontMetricsF metrics(attributes.font.value_or(QGuiApplication::font()));
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    // Where not even the ellipsis fits, the ellipsis alone still says that something was cut.
    const QString elided = metrics.elidedText(text, Qt::ElideRight, width);
    return elided.isEmpty() ? ellipsis : elided;
}

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

#include "VDLHexView.h"

#include <QFontDatabase>
#include <QPainter>
#include <QScrollBar>

namespace {

constexpr char digits[] = "0123456789abcdef";
constexpr int margin = 4;

} // namespace

VDLHexView::VDLHexView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void VDLHexView::setData(const QByteArray &data)
{
    m_data = data;
    verticalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

qsizetype VDLHexView::lineCount() const
{
    return (m_data.size() + BytesPerLine - 1) / BytesPerLine;
}

qsizetype VDLHexView::firstVisibleLine() const
{
    return verticalScrollBar()->value();
}

QString VDLHexView::lineText(const QByteArray &data, qsizetype line)
{
    const qsizetype start = line * BytesPerLine;
    if (line < 0 || start >= data.size())
        return QString();
    const qsizetype count = std::min(BytesPerLine, data.size() - start);
    QString text = QStringLiteral("%1  ").arg(start, 8, 16, QLatin1Char('0'));
    QString characters;
    for (qsizetype index = 0; index < BytesPerLine; ++index) {
        if (index == BytesPerLine / 2)
            text += QLatin1Char(' ');
        if (index >= count) {
            text += QLatin1String("   ");
            continue;
        }
        const auto byte = static_cast<unsigned char>(data[start + index]);
        text += QLatin1Char(digits[byte >> 4]);
        text += QLatin1Char(digits[byte & 0xf]);
        text += QLatin1Char(' ');
        characters += byte >= 0x20 && byte < 0x7f ? QLatin1Char(char(byte)) : QLatin1Char('.');
    }
    return text + QLatin1String(" |") + characters + QLatin1Char('|');
}

void VDLHexView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Text));
    const int height = lineHeight();
    const int ascent = fontMetrics().ascent();
    const qsizetype first = firstVisibleLine();
    const qsizetype shown = viewport()->height() / height + 1;
    const int left = margin - horizontalScrollBar()->value();
    for (qsizetype row = 0; row < shown && first + row < lineCount(); ++row)
        painter.drawText(left, margin + int(row) * height + ascent, lineText(m_data, first + row));
}

void VDLHexView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void VDLHexView::updateScrollBars()
{
    const int height = lineHeight();
    const int visibleLines = std::max(1, (viewport()->height() - margin) / height);
    // 16 MB is a million lines: far below the scroll bar's range.
    verticalScrollBar()->setRange(0, int(std::max<qsizetype>(0, lineCount() - visibleLines)));
    verticalScrollBar()->setPageStep(visibleLines);
    const int width = fontMetrics().horizontalAdvance(lineText(QByteArray(BytesPerLine, 0), 0)) + 2 * margin;
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

int VDLHexView::lineHeight() const
{
    return std::max(1, fontMetrics().lineSpacing());
}

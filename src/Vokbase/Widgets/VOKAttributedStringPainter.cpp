#include "VOKAttributedStringPainter.h"

#include "VOKSymbolPixmapCache.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextDocument>

#include <algorithm>

VOKAttributedStringPainter::VOKAttributedStringPainter(const QFont &font, const QPalette &palette)
    : m_font(font), m_palette(palette)
{
}

bool VOKAttributedStringPainter::isSingleLine(const VOKAttributedString &text)
{
    const QList<VOKAttributedString::Run> &runs = text.runs();
    return std::any_of(runs.cbegin(), runs.cend(),
                       [](const VOKAttributedString::Run &run) { return run.attributes.truncatesTail; });
}

void VOKAttributedStringPainter::paint(QPainter &painter, const QRectF &rect, const VOKAttributedString &text) const
{
    if (isSingleLine(text)) {
        paintLine(painter, rect, text);
        return;
    }
    const std::unique_ptr<QTextDocument> document = text.toTextDocument(m_font, m_palette.color(QPalette::Text));
    document->setDocumentMargin(0);
    document->setTextWidth(rect.width());
    painter.save();
    painter.translate(rect.topLeft());
    document->drawContents(&painter, QRectF(QPointF(0, 0), rect.size()));
    painter.restore();
}

QSizeF VOKAttributedStringPainter::sizeHint(const VOKAttributedString &text) const
{
    const std::unique_ptr<QTextDocument> document = text.toTextDocument(m_font, m_palette.color(QPalette::Text));
    document->setDocumentMargin(0);
    if (isSingleLine(text))
        return QSizeF(document->idealWidth(), QFontMetricsF(m_font).height());
    return document->size();
}

void VOKAttributedStringPainter::paintLine(QPainter &painter, const QRectF &rect, const VOKAttributedString &text) const
{
    const qsizetype lineEnd = text.string().indexOf(QLatin1Char('\n'));
    const qsizetype end = lineEnd < 0 ? text.length() : lineEnd;
    painter.save();
    painter.setClipRect(rect);
    qreal x = rect.left();
    for (const VOKAttributedString::Run &run : text.runs()) {
        if (run.start >= end || x > rect.right())
            break;
        const QString characters = text.string().mid(run.start, std::min(run.length, end - run.start));
        x = paintRun(painter, rect, x, characters, run.attributes);
    }
    painter.restore();
}

qreal VOKAttributedStringPainter::paintRun(QPainter &painter, const QRectF &rect, qreal x, const QString &characters,
                                           const VOKTextAttributes &attributes) const
{
    const QFont font = attributes.font.value_or(m_font);
    const QColor color = attributes.foreground.value_or(m_palette.color(QPalette::Text));
    const QFontMetricsF metrics(font);
    const qreal baseline = rect.top() + (rect.height() - metrics.height()) / 2 + metrics.ascent();
    if (attributes.attachment) {
        const qreal side = metrics.height();
        if (x + side > rect.right())
            return rect.right() + 1;
        if (attributes.attachment->image) {
            const QPixmap image = VOKSymbolPixmapCache::pixmap(*attributes.attachment->image,
                                                               QSize(qRound(side), qRound(side)),
                                                               painter.device()->devicePixelRatioF(), color);
            for (qsizetype index = 0; index < characters.size(); ++index)
                painter.drawPixmap(QPointF(x + index * side, baseline - metrics.ascent()), image);
        }
        return x + side * characters.size();
    }
    const qreal width = metrics.horizontalAdvance(characters);
    const bool fits = x + width <= rect.right();
    const QString shown = fits ? characters : metrics.elidedText(characters, Qt::ElideRight, rect.right() - x);
    if (attributes.background)
        painter.fillRect(QRectF(x, rect.top(), metrics.horizontalAdvance(shown), rect.height()), *attributes.background);
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(QPointF(x, baseline), shown);
    return fits ? x + width : rect.right() + 1;
}

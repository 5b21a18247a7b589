#pragma once

#include "VOKAttributedString.h"

#include <QFont>
#include <QPalette>
#include <QRectF>
#include <QSizeF>

class QPainter;

// Draws styled text in a view (an item delegate, a label's paint event).
//
// Text whose runs ask for tail truncation is drawn on one line (up to its first line break)
// and ends with an ellipsis where it does not fit; other text is laid out as a document that
// wraps at the width. Unstyled stretches and untinted symbols take the view's font and text
// colour. GUI thread only.
class VOKAttributedStringPainter
{
public:
    VOKAttributedStringPainter(const QFont &font, const QPalette &palette);

    void paint(QPainter &painter, const QRectF &rect, const VOKAttributedString &text) const;
    // The size the text needs on one line (or, for wrapping text, laid out without a width).
    QSizeF sizeHint(const VOKAttributedString &text) const;

private:
    static bool isSingleLine(const VOKAttributedString &text);
    void paintLine(QPainter &painter, const QRectF &rect, const VOKAttributedString &text) const;
    // Draws one run's characters from x; answers where the next run starts, or a value past
    // the right edge once the ellipsis has been drawn.
    qreal paintRun(QPainter &painter, const QRectF &rect, qreal x, const QString &characters,
                   const VOKTextAttributes &attributes) const;

    QFont m_font;
    QPalette m_palette;
};

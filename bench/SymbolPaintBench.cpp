// What symbol images cost when an outline paints: cells of styled text, each with two symbols,
// painted as the item delegate does, on one line (truncated) and as a wrapping document.
//
// Usage: bench_symbol_paint [cells]   (default 20000)

#include "VOKAttributedString.h"
#include "VOKAttributedStringPainter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

VOKAttributedString cell(int index, bool singleLine)
{
    VOKTextAttributes plain;
    plain.truncatesTail = singleLine;
    VOKAttributedString text(QStringLiteral("sensor/%1 ").arg(index), plain);
    text.vokAppendSymbolNamed(QStringLiteral("list.bullet"));
    text.add(QStringLiteral(" 21.5 "));
    text.vokAppendSymbolNamed(QStringLiteral("%1.circle").arg(index % 10), QColor(0x20, 0x80, 0xF0));
    return text;
}

// Milliseconds for painting the cells, one below the other, into a window-sized image.
double paintMilliseconds(int cells, bool singleLine)
{
    QImage target(800, 600, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::white);
    QPainter painter(&target);
    const VOKAttributedStringPainter cellPainter(QApplication::font(), QApplication::palette());
    QList<VOKAttributedString> texts;
    for (int index = 0; index < cells; ++index)
        texts.append(cell(index, singleLine));
    QElapsedTimer timer;
    timer.start();
    for (int index = 0; index < cells; ++index)
        cellPainter.paint(painter, QRectF(0, (index % 30) * 20, 400, 20), texts[index]);
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int cells = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
    for (const bool singleLine : {true, false}) {
        const double milliseconds = paintMilliseconds(cells, singleLine);
        std::printf("%-22s %7d cells  %9.1f ms  %7.2f us/cell\n",
                    singleLine ? "one line (truncated)" : "wrapping document", cells, milliseconds,
                    milliseconds * 1000 / cells);
    }
    return 0;
}

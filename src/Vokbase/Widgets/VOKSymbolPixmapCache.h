#pragma once

#include "VOKSymbolImage.h"

#include <QColor>
#include <QPixmap>
#include <QSize>

// Symbol images ready to paint: each is rendered from its SVG once per name, size, colour and
// device pixel ratio and then kept in QPixmapCache (which bounds the memory and may drop an
// entry, which is then rendered again), so painting a cell is a lookup instead of an SVG parse.
//
// Pixmaps are shared values owned by the cache and the caller alike. GUI thread only, as
// pixmaps are; elsewhere use VOKSymbolImage::render.
class VOKSymbolPixmapCache
{
public:
    VOKSymbolPixmapCache() = delete;

    // The image at a size in device-independent pixels, tinted with its own colour or else the
    // fallback colour.
    static QPixmap pixmap(const VOKSymbolImage &image, const QSize &size, qreal devicePixelRatio,
                          const QColor &fallback);
};

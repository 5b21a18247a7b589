#include "VOKSymbolPixmapCache.h"

#include <QPixmapCache>

QPixmap VOKSymbolPixmapCache::pixmap(const VOKSymbolImage &image, const QSize &size, qreal devicePixelRatio,
                                     const QColor &fallback)
{
    const QColor tint = image.color().isValid() ? image.color() : fallback;
    const QString key = QStringLiteral("vok-symbol|%1|%2|%3x%4|%5")
                            .arg(image.name(), tint.name(QColor::HexArgb))
                            .arg(size.width())
                            .arg(size.height())
                            .arg(devicePixelRatio);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;
    cached = QPixmap::fromImage(image.render(size, devicePixelRatio, tint));
    QPixmapCache::insert(key, cached);
    return cached;
}

#include "VOKSymbolImage.h"

#include <QFileInfo>
#include <QPainter>
#include <QSvgRenderer>

namespace {

QString resourcePath(const QString &name)
{
    return QStringLiteral(":/symbols/%1.svg").arg(name);
}

} // namespace

std::optional<VOKSymbolImage> VOKSymbolImage::named(const QString &name)
{
    // A name that reaches outside the folder names no symbol.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || !QFileInfo::exists(resourcePath(name)))
        return std::nullopt;
    return VOKSymbolImage(name);
}

VOKSymbolImage VOKSymbolImage::withColor(const QColor &color) const
{
    VOKSymbolImage tinted = *this;
    if (color.isValid())
        tinted.m_color = color;
    return tinted;
}

QImage VOKSymbolImage::render(const QSize &size, qreal devicePixelRatio, const QColor &fallback) const
{
    QImage image(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(resourcePath(m_name));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    // The drawing is a shape: keep its coverage and give it the colour.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), m_color.isValid() ? m_color : fallback);
    return image;
}

std::optional<VOKSymbolImage> vokSymbol(const QString &name)
{
    return VOKSymbolImage::named(name);
}

VOKSymbolImage vokWithColor(const VOKSymbolImage &image, const QColor &color)
{
    return image.withColor(color);
}

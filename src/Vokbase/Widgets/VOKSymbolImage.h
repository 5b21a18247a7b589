#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

// A small monochrome icon by name ("r.square", "list.bullet", "0.circle" ...), drawn from the
// SVG in the resources at ":/symbols/<name>.svg" and tinted with one colour.
//
// The image has its own colour only after vokWithColor; otherwise it takes the colour it is
// drawn with (the text colour of the stretch it stands in). A plain value; rendering needs a
// QGuiApplication and may run on any thread. Views paint through VOKSymbolPixmapCache, which
// renders each variant once.
class VOKSymbolImage
{
public:
    // The symbol of that name, or none when the resources have no such symbol.
    static std::optional<VOKSymbolImage> named(const QString &name);

    QString name() const { return m_name; }
    // Invalid when the image takes the colour it is drawn with.
    QColor color() const { return m_color; }
    // The same image drawn with exactly that colour; an invalid colour leaves it unchanged.
    VOKSymbolImage withColor(const QColor &color) const;

    // The image at a size in device-independent pixels, tinted with its own colour or else the
    // fallback colour.
    QImage render(const QSize &size, qreal devicePixelRatio, const QColor &fallback) const;

    friend bool operator==(const VOKSymbolImage &, const VOKSymbolImage &) = default;

private:
    explicit VOKSymbolImage(const QString &name) : m_name(name) {}

    QString m_name;
    QColor m_color;
};

// The symbol image for the name, or none.
std::optional<VOKSymbolImage> vokSymbol(const QString &name);
// The image drawn with a palette of exactly that colour; none leaves it unchanged.
VOKSymbolImage vokWithColor(const VOKSymbolImage &image, const QColor &color);

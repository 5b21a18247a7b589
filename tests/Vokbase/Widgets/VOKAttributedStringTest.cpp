#include "VOKAttributedString.h"
#include "VOKAttributedStringPainter.h"
#include "VOKMarkupParser.h"
#include "VOKSymbolPixmapCache.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

VOKTextAttributes coloured(const QColor &color)
{
    VOKTextAttributes attributes;
    attributes.foreground = color;
    return attributes;
}

// Counts pixels close to the colour.
int pixelsOf(const QImage &image, const QColor &color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() > 200 && std::abs(pixel.red() - color.red()) < 40
                && std::abs(pixel.green() - color.green()) < 40 && std::abs(pixel.blue() - color.blue()) < 40)
                ++count;
        }
    }
    return count;
}

} // namespace

TEST(VOKAttributedString, RunsSplitAndMerge)
{
    VOKAttributedString text(QStringLiteral("abc"), coloured(Qt::red));
    text.add(QStringLiteral("def"));
    ASSERT_EQ(text.runs().size(), 1);
    text.setForeground(2, 4, QColor(Qt::blue));
    ASSERT_EQ(text.runs().size(), 3);
    EXPECT_EQ(text.runs()[1], (VOKAttributedString::Run{2, 2, coloured(Qt::blue)}));
    text.setForeground(0, 6, QColor(Qt::red));
    EXPECT_EQ(text, VOKAttributedString(QStringLiteral("abcdef"), coloured(Qt::red)));
    text.setForeground(3, 6, std::nullopt);
    EXPECT_FALSE(text.attributesAt(4).foreground);
    EXPECT_FALSE(text.attributesAt(99).foreground);
    text.setFont(-5, 99, QFont(QStringLiteral("Sans"), 30));
    EXPECT_EQ(text.runs().size(), 2);
}

TEST(VOKAttributedString, SymbolsAreLinkedInAndTintedByTheirRun)
{
    const QStringList names = {QStringLiteral("r.square"), QStringLiteral("list.bullet"), QStringLiteral("list.bullet.indent"),
                               QStringLiteral("0.circle"), QStringLiteral("1.circle"), QStringLiteral("2.circle"),
                               QStringLiteral("9.circle")};
    for (const QString &name : names) {
        const std::optional<VOKSymbolImage> symbol = vokSymbol(name);
        ASSERT_TRUE(symbol) << name.toStdString();
        const QImage image = symbol->render(QSize(16, 16), 1, Qt::green);
        EXPECT_GT(pixelsOf(image, Qt::green), 10) << name.toStdString();
        const QImage tinted = vokWithColor(*symbol, Qt::blue).render(QSize(16, 16), 2, Qt::green);
        EXPECT_EQ(pixelsOf(tinted, Qt::green), 0) << name.toStdString();
        EXPECT_GT(pixelsOf(tinted, Qt::blue), 40) << name.toStdString();
    }
    EXPECT_FALSE(vokSymbol(QStringLiteral("../symbols/r.square")));
    EXPECT_FALSE(vokSymbol(QString()));
}

TEST(VOKAttributedString, PaintsTruncatedLinesAndDocuments)
{
    const VOKAttributedString text = vokAttributedString(
        QStringLiteral("[c:Red]MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM[c:Blue][s:r.square]"));
    QImage image(120, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        VOKAttributedStringPainter(QFont(QStringLiteral("Sans"), 10), QPalette()).paint(painter, image.rect(), text);
    }
    EXPECT_GT(pixelsOf(image, Qt::red), 20);
    // The symbol lies beyond the truncation.
    EXPECT_EQ(pixelsOf(image, Qt::blue), 0);

    const VOKAttributedString wrapped = vokAttributedStringNoCLip(QStringLiteral("[c:Blue]a [s:0.circle]\nb"));
    const std::unique_ptr<QTextDocument> document = wrapped.toTextDocument(QFont(), Qt::black);
    EXPECT_EQ(document->blockCount(), 2);
    EXPECT_EQ(document->toPlainText().size(), wrapped.length());
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        VOKAttributedStringPainter(QFont(QStringLiteral("Sans"), 10), QPalette()).paint(painter, image.rect(), wrapped);
    }
    EXPECT_GT(pixelsOf(image, Qt::blue), 20);
}

TEST(VOKSymbolPixmapCache, RendersOncePerNameSizeColourAndRatio)
{
    const std::optional<VOKSymbolImage> square = vokSymbol(QStringLiteral("r.square"));
    ASSERT_TRUE(square);
    const QPixmap first = VOKSymbolPixmapCache::pixmap(*square, QSize(16, 16), 2, Qt::green);
    EXPECT_EQ(first.size(), QSize(32, 32));
    EXPECT_EQ(first.devicePixelRatio(), 2);
    EXPECT_EQ(first.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
              square->render(QSize(16, 16), 2, Qt::green));

    // The same request is answered from the cache; any difference renders anew.
    EXPECT_EQ(VOKSymbolPixmapCache::pixmap(*square, QSize(16, 16), 2, Qt::green).cacheKey(), first.cacheKey());
    const QPixmap others[] = {
        VOKSymbolPixmapCache::pixmap(*square, QSize(16, 16), 2, Qt::red),
        VOKSymbolPixmapCache::pixmap(*square, QSize(17, 16), 2, Qt::green),
        VOKSymbolPixmapCache::pixmap(*square, QSize(16, 16), 1.5, Qt::green),
        VOKSymbolPixmapCache::pixmap(*vokSymbol(QStringLiteral("0.circle")), QSize(16, 16), 2, Qt::green),
    };
    for (const QPixmap &other : others)
        EXPECT_NE(other.cacheKey(), first.cacheKey());

    // An image with a colour of its own ignores the fallback.
    const VOKSymbolImage blue = vokWithColor(*square, Qt::blue);
    EXPECT_EQ(VOKSymbolPixmapCache::pixmap(blue, QSize(16, 16), 2, Qt::green).cacheKey(),
              VOKSymbolPixmapCache::pixmap(blue, QSize(16, 16), 2, Qt::red).cacheKey());
    EXPECT_EQ(pixelsOf(VOKSymbolPixmapCache::pixmap(blue, QSize(16, 16), 2, Qt::green).toImage(), Qt::green), 0);
}

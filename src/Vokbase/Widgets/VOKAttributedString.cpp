#include "VOKAttributedString.h"

#include "VOKSymbolPixmapCache.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextBlockFormat>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>

namespace {

QTextCharFormat charFormat(const VOKTextAttributes &attributes, const QFont &font, const QColor &textColor)
{
    QTextCharFormat format;
    format.setFont(attributes.font.value_or(font));
    format.setForeground(attributes.foreground.value_or(textColor));
    if (attributes.background)
        format.setBackground(*attributes.background);
    return format;
}

} // namespace

VOKAttributedString::VOKAttributedString(const QString &text, const VOKTextAttributes &attributes)
{
    vokAdd(text, attributes);
}

VOKTextAttributes VOKAttributedString::attributesAt(qsizetype index) const
{
    const auto run = std::upper_bound(m_runs.cbegin(), m_runs.cend(), index,
                                      [](qsizetype position, const Run &r) { return position < r.start; });
    if (run == m_runs.cbegin() || index < 0 || index >= length())
        return VOKTextAttributes();
    return std::prev(run)->attributes;
}

void VOKAttributedString::vokAdd(const QString &text, const VOKTextAttributes &attributes)
{
    if (text.isEmpty())
        return;
    if (!m_runs.isEmpty() && m_runs.last().attributes == attributes)
        m_runs.last().length += text.size();
    else
        m_runs.append(Run{length(), text.size(), attributes});
    m_text += text;
}

void VOKAttributedString::add(const QString &text)
{
    VOKTextAttributes attributes = m_runs.isEmpty() ? VOKTextAttributes() : m_runs.last().attributes;
    attributes.attachment.reset();
    vokAdd(text, attributes);
}

void VOKAttributedString::vokAppendSymbolNamed(const QString &name, const QColor &color)
{
    VOKTextAttachment attachment;
    if (const std::optional<VOKSymbolImage> image = vokSymbol(name))
        attachment.image = vokWithColor(*image, color);
    VOKTextAttributes attributes;
    attributes.attachment = attachment;
    vokAdd(QString(AttachmentCharacter), attributes);
}

void VOKAttributedString::setForeground(qsizetype start, qsizetype end, const std::optional<QColor> &color)
{
    modify(start, end, [&](VOKTextAttributes &attributes) { attributes.foreground = color; });
}

void VOKAttributedString::setBackground(qsizetype start, qsizetype end, const std::optional<QColor> &color)
{
    modify(start, end, [&](VOKTextAttributes &attributes) { attributes.background = color; });
}

void VOKAttributedString::setFont(qsizetype start, qsizetype end, const std::optional<QFont> &font)
{
    modify(start, end, [&](VOKTextAttributes &attributes) { attributes.font = font; });
}

void VOKAttributedString::modify(qsizetype start, qsizetype end,
                                 const std::function<void(VOKTextAttributes &)> &change)
{
    start = std::clamp<qsizetype>(start, 0, length());
    end = std::clamp<qsizetype>(end, start, length());
    if (start == end)
        return;
    const qsizetype first = splitAt(start);
    const qsizetype last = splitAt(end) - 1;
    for (qsizetype index = first; index <= last; ++index)
        change(m_runs[index].attributes);
    mergeAround(first, last);
}

qsizetype VOKAttributedString::splitAt(qsizetype position)
{
    // Runs are modified near the end of the text as it grows, so the search is cheap.
    const auto after = std::upper_bound(m_runs.begin(), m_runs.end(), position,
                                        [](qsizetype p, const Run &r) { return p < r.start; });
    const qsizetype index = std::distance(m_runs.begin(), after) - 1;
    if (index < 0)
        return 0;
    Run &run = m_runs[index];
    if (run.start == position)
        return index;
    if (position >= run.start + run.length)
        return index + 1;
    Run tail{position, run.start + run.length - position, run.attributes};
    run.length = position - run.start;
    m_runs.insert(index + 1, tail);
    return index + 1;
}

void VOKAttributedString::mergeAround(qsizetype first, qsizetype last)
{
    const qsizetype from = std::max<qsizetype>(first, 1);
    for (qsizetype index = std::min<qsizetype>(last + 1, m_runs.size() - 1); index >= from; --index) {
        if (m_runs[index].attributes == m_runs[index - 1].attributes) {
            m_runs[index - 1].length += m_runs[index].length;
            m_runs.removeAt(index);
        }
    }
}

namespace {

// The first run's tab stop becomes the document's paragraph tab stop.
void applyTabStop(QTextCursor &cursor, const QList<VOKAttributedString::Run> &runs)
{
    for (const VOKAttributedString::Run &run : runs) {
        if (!run.attributes.rightTabStop)
            continue;
        QTextBlockFormat format = cursor.blockFormat();
        format.setTabPositions({QTextOption::Tab(*run.attributes.rightTabStop, QTextOption::RightTab)});
        cursor.setBlockFormat(format);
        return;
    }
}

} // namespace

std::unique_ptr<QTextDocument> VOKAttributedString::toTextDocument(const QFont &font, const QColor &textColor) const
{
    auto document = std::make_unique<QTextDocument>();
    document->setDefaultFont(font);
    QTextCursor cursor(document.get());
    applyTabStop(cursor, m_runs);
    const qreal devicePixelRatio = qApp ? qApp->devicePixelRatio() : 1.0;
    for (const Run &run : m_runs) {
        const QTextCharFormat format = charFormat(run.attributes, font, textColor);
        if (!run.attributes.attachment) {
            cursor.insertText(m_text.mid(run.start, run.length), format);
            continue;
        }
        const std::optional<VOKSymbolImage> &image = run.attributes.attachment->image;
        if (!image)
            continue;
        const int side = qRound(QFontMetricsF(format.font()).height());
        const QColor tint = format.foreground().color();
        const QString resource = QStringLiteral("vok-symbol:%1/%2/%3")
                                     .arg(image->name(), tint.name(QColor::HexArgb).mid(1))
                                     .arg(side);
        document->addResource(QTextDocument::ImageResource, QUrl(resource),
                              VOKSymbolPixmapCache::pixmap(*image, QSize(side, side), devicePixelRatio, tint));
        QTextImageFormat imageFormat;
        imageFormat.merge(format);
        imageFormat.setName(resource);
        imageFormat.setWidth(side);
        imageFormat.setHeight(side);
        imageFormat.setVerticalAlignment(QTextCharFormat::AlignBottom);
        for (qsizetype count = 0; count < run.length; ++count)
            cursor.insertImage(imageFormat);
    }
    return document;
}

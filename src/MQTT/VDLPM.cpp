#include "VDLPM.h"

#include "VOKMarkupParser.h"
#include "VOKString.h"
#include "VOKUrl.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>

namespace {

const QString ellipsis = QStringLiteral("\u2026");
const QString separator = QStringLiteral(" \u2014 ");

QFont mainFont()
{
    return QGuiApplication::font();
}

QFont smallFont()
{
    QFont font = mainFont();
    font.setPointSizeF(std::max(1.0, font.pointSizeF() - 2));
    return font;
}

VOKTextAttributes styleWithFont(const QFont &font, std::optional<qreal> rightTabStop = std::nullopt)
{
    VOKTextAttributes attributes;
    attributes.font = font;
    attributes.rightTabStop = rightTabStop;
    return attributes;
}

qreal widthOf(const QString &text, const VOKTextAttributes &attributes)
{
    return QFontMetricsF(attributes.font.value_or(mainFont())).horizontalAdvance(text);
}



} // namespace

VDLPM::VDLPM(const QString &path, Value value, int qos, bool doRetain)
    : doRetain(doRetain)
    , qos(qos)
    , path(path)
    , value(std::move(value))
{
}

QString VDLPM::valueAsString() const
{
    if (const auto *text = std::get_if<QString>(&value))
        return *text;
    if (const auto *styled = std::get_if<VOKAttributedString>(&value))
        return styled->string();
    return QString();
}

QVariant VDLPM::variantValue() const
{
    if (const auto *text = std::get_if<QString>(&value))
        return *text;
    if (const auto *styled = std::get_if<VOKAttributedString>(&value))
        return QVariant::fromValue(*styled);
    return QVariant();
}

void VDLPM::setVariantValue(const QVariant &newValue)
{
    if (!newValue.isValid() || newValue.metaType() == QMetaType::fromType<std::nullptr_t>())
        value = std::monostate();
    else if (newValue.metaType() == QMetaType::fromType<VOKAttributedString>())
        value = newValue.value<VOKAttributedString>();
    else
        value = newValue.toString();
}

QVariantMap VDLPM::asDictionary() const
{
    const auto orEmpty = [](const QString &text) { return text.isNull() ? QStringLiteral("") : text; };
    return {
        {QStringLiteral("path"), orEmpty(path)},
        {QStringLiteral("qos"), qos},
        {QStringLiteral("retain"), doRetain},
        {QStringLiteral("value"), orEmpty(valueAsString())},
    };
}

VDLPM VDLPM::fromDictionary(const QVariantMap &dictionary)
{
    VDLPM pm;
    const auto text = [&dictionary](const char *key) {
        const QVariant stored = dictionary.value(QLatin1String(key));
        return stored.typeId() == QMetaType::QString ? stored.toString() : QString();
    };
    pm.path = text("path");
    const QString storedValue = text("value");
    if (!storedValue.isNull())
        pm.value = storedValue;
    pm.qos = dictionary.value(QStringLiteral("qos")).toInt();
    pm.doRetain = dictionary.value(QStringLiteral("retain")).toBool();
    return pm;
}

QUrl VDLPM::urlWithHost(const QString &host, int port) const
{
    QStringList items;
    if (!std::holds_alternative<std::monostate>(value))
        items.append(QStringLiteral("value=") + vokPercentEncoded(valueAsString()));
    if (qos != 0)
        items.append(QStringLiteral("qos=%1").arg(qos));
    if (doRetain)
        items.append(QStringLiteral("retain=1"));
    QString text = vokServerUrlString(QStringLiteral("mqtt"), host, port) + QLatin1Char('/') + vokPercentEncoded(path, "/");
    if (!items.isEmpty())
        text += QLatin1Char('?') + items.join(QLatin1Char('&'));
    return QUrl(text, QUrl::StrictMode);
}

QString VDLPM::truncateString(const QString &text, qreal width, const VOKTextAttributes &attributes)
{
    if (widthOf(text, attributes) <= width)
        return text;
    if (text.isEmpty())
        return ellipsis;
    const qreal available = width - widthOf(ellipsis, attributes);
    // The longest prefix that fits, found by halving: measuring every shorter prefix in turn
    // would be quadratic on long values.
    qsizetype fits = 0;
    qsizetype tooLong = text.size();
    while (tooLong - fits > 1) {
        const qsizetype middle = fits + (tooLong - fits) / 2;
        if (widthOf(text.left(middle), attributes) <= available)
            fits = middle;
        else
            tooLong = middle;
    }
    if (fits > 0 && text[fits - 1].isHighSurrogate())
        --fits;
    return text.left(fits) + ellipsis;
}

VOKAttributedString VDLPM::attributedStringWithTabWidth(qreal tabWidth) const
{
    // One paragraph style for the whole line: a right-aligned tab stop at the tab width.
    const VOKTextAttributes mainStyle = styleWithFont(mainFont(), tabWidth);
    const VOKTextAttributes smallStyle = styleWithFont(smallFont(), tabWidth);
    const qreal available = tabWidth - 30;
    const qreal separatorWidth = widthOf(separator, mainStyle);
    const QString pathText = truncateString(path.isNull() ? QStringLiteral("") : path, available - separatorWidth, mainStyle);
    const qreal valueWidth = available - widthOf(pathText, mainStyle) - separatorWidth;
    const QString valueText = truncateString(vokStringOnOneLine(valueAsString()), valueWidth, smallStyle);

    VOKAttributedString line;
    line.vokAdd(pathText + separator, mainStyle);
    line.vokAdd(valueText, smallStyle);
    const QString symbols = QStringLiteral("\t%1[s:%2.circle]")
                                .arg(doRetain ? QStringLiteral("[s:r.square]") : QString())
                                .arg(qos);
    const VOKAttributedString tail = vokAttributedStringWithStyle(symbols, mainStyle);
    for (const VOKAttributedString::Run &run : tail.runs())
        line.vokAdd(tail.string().mid(run.start, run.length), run.attributes);
    return line;
}

size_t qHash(const VDLPM &pm, size_t seed)
{
    return qHash(pm.path, seed) ^ size_t(pm.qos) ^ size_t(pm.doRetain) ^ qHash(pm.valueAsString(), seed);
}

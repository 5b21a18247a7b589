#include "VDLPM.h"

#include "VOKString.h"
#include "VOKUrl.h"

#include <QHash>

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
    if (const auto *styled = std::get_if<VOKMarkup>(&value))
        return styled->plainText();
    return QString();
}

QVariant VDLPM::variantValue() const
{
    if (const auto *text = std::get_if<QString>(&value))
        return *text;
    if (const auto *styled = std::get_if<VOKMarkup>(&value))
        return QVariant::fromValue(*styled);
    return QVariant();
}

void VDLPM::setVariantValue(const QVariant &newValue)
{
    if (!newValue.isValid() || newValue.metaType() == QMetaType::fromType<std::nullptr_t>())
        value = std::monostate();
    else if (newValue.metaType() == QMetaType::fromType<VOKMarkup>())
        value = newValue.value<VOKMarkup>();
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

size_t qHash(const VDLPM &pm, size_t seed)
{
    return qHash(pm.path, seed) ^ size_t(pm.qos) ^ size_t(pm.doRetain) ^ qHash(pm.valueAsString(), seed);
}

#include "VDLRepresentedDevicePropertyDefinition.h"

#include "VOKKeyPath.h"
#include "VOKMarkupEscape.h"
#include "VOKString.h"

#include <QJsonDocument>
#include <QJsonValue>

namespace {

// The value's standard text: numbers in decimal, booleans as 1 and 0; none for none.
QString textOf(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::QVariantMap:
    case QMetaType::QVariantList:
        return QString::fromUtf8(QJsonDocument::fromVariant(value).toJson(QJsonDocument::Compact));
    default:
        return value.canConvert<QString>() ? value.toString() : VOKKeyPath::describe(value);
    }
}

} // namespace

std::optional<QString> VDLRepresentedDevicePropertyDefinition::markupForSource(const QObject *source) const
{
    const QString text = source ? textOf(vokSafeValueForKeyPath(source, m_valueKeyPath, false)) : QString();
    if (!m_optional && text.isEmpty())
        return std::nullopt;
    if (!m_format.isEmpty()) {
        if (text.isEmpty())
            return QStringLiteral("");
        return vokStringByFillingPlaceholders(m_format, {valueMarkup(text)});
    }
    return valueMarkup(text);
}

QString VDLRepresentedDevicePropertyDefinition::valueMarkup(const QString &text) const
{
    if (!m_map.isEmpty()) {
        const QVariant mapped = text.isNull() ? QVariant() : m_map.value(text.toLower());
        const QVariant chosen = mapped.isValid() ? mapped : m_map.value(QStringLiteral("default"));
        // A map's texts are written by whoever wrote the definition: they stay markup.
        if (chosen.isValid())
            return chosen.toString();
    }
    return vokEscapedForMarkup(text.isNull() ? QStringLiteral("") : text);
}

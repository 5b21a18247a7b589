#include "VDLPayloadAnalysis.h"

#include "VOKData.h"
#include "VOKJSONNumber.h"
#include "VOKJSONReader.h"
#include "VOKString.h"
#include "VOKVariant.h"

#include <QByteArrayView>
#include <QStringList>

#include <charconv>
#include <cmath>

namespace {

// A member as the summary shows it: strings as they are, numbers and booleans as written in
// JSON, anything else as nothing.
QString memberText(const QVariantMap &object, const QString &name)
{
    const QVariant value = object.value(name);
    if (value.metaType() == QMetaType::fromType<bool>())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (vokIsDictionary(value) || vokIsArray(value))
        return QString();
    return value.toString();
}

} // namespace

VDLPayloadAnalysis::VDLPayloadAnalysis(const QByteArray &payload, const QString &topic)
{
    if (payload.isEmpty())
        return;
    const QByteArrayView trimmed = VOKJSONReader::trimmed(payload);
    if (trimmed == "true" || trimmed == "false") {
        m_type = trimmed.size() == payload.size() ? VDLPayloadType::Boolean : VDLPayloadType::Number;
        return;
    }
    if (VOKJSONNumber::isValid(trimmed)) {
        m_type = VDLPayloadType::Number;
        return;
    }
    if (trimmed == "null") {
        m_type = VDLPayloadType::JSON;
        return;
    }
    if (!trimmed.isEmpty() && (trimmed[0] == '{' || trimmed[0] == '[' || trimmed[0] == '"'))
        classifyDocument(payload, topic);
    else
        classifyNonJSON(payload);
}

void VDLPayloadAnalysis::classifyNonJSON(const QByteArray &payload)
{
    const QString text = vokUTF8String(payload);
    m_type = !text.isNull() && vokMayBeString(text) ? VDLPayloadType::Text : VDLPayloadType::RawData;
}

void VDLPayloadAnalysis::classifyDocument(const QByteArray &payload, const QString &topic)
{
    if (!VOKJSONReader::isJSON(payload)) {
        classifyNonJSON(payload);
        return;
    }
    m_type = VDLPayloadType::JSON;
    // Values are built only for the few objects that may be discovery payloads.
    if (topic.endsWith(QLatin1String("/config")) && VOKJSONReader::trimmed(payload).front() == '{')
        probeHomeAssistant(VOKJSONReader::read(payload, false).toMap(), topic);
}

void VDLPayloadAnalysis::probeHomeAssistant(const QVariantMap &object, const QString &topic)
{
    const QVariant device = object.value(QStringLiteral("device"));
    const QVariantMap deviceObject = device.toMap();
    if (!vokIsDictionary(device) || !deviceObject.contains(QStringLiteral("name")))
        return;
    QString summary = memberText(deviceObject, QStringLiteral("name"));
    const QStringList levels = topic.split(QLatin1Char('/'));
    if (levels.size() >= 4 && levels[1] != QLatin1String("device") && object.contains(QStringLiteral("name")))
        summary = QStringLiteral("%1 - %2").arg(summary, memberText(object, QStringLiteral("name")));
    if (deviceObject.contains(QStringLiteral("suggested_area")))
        summary = QStringLiteral("[%1] %2").arg(memberText(deviceObject, QStringLiteral("suggested_area")), summary);
    m_homeAssistantSummary = summary;
}

QString VDLPayloadAnalysis::numberText(const QByteArray &payload)
{
    const QByteArrayView trimmed = VOKJSONReader::trimmed(payload);
    if (trimmed == "true")
        return QStringLiteral("1");
    if (trimmed == "false")
        return QStringLiteral("0");
    return VOKJSONNumber::isValid(trimmed) ? VOKJSONNumber::shortestText(trimmed) : QString();
}

std::optional<double> VDLPayloadAnalysis::numberValue(const QByteArray &payload)
{
    const QByteArrayView trimmed = VOKJSONReader::trimmed(payload);
    if (trimmed == "true")
        return 1.0;
    if (trimmed == "false")
        return 0.0;
    double value = 0;
    if (!VOKJSONNumber::isValid(trimmed)
        || std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value).ec != std::errc()
        || !std::isfinite(value))
        return std::nullopt;
    return value;
}

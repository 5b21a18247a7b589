#include "VDLPayloadAnalysis.h"

#include "VOKData.h"
#include "VOKString.h"

#include <QByteArrayView>
#include <QJsonDocument>
#include <QJsonObject>

#include <charconv>
#include <cmath>

namespace {

bool isJSONSpace(char character)
{
    return character == ' ' || character == '\t' || character == '\n' || character == '\r';
}

QByteArrayView trimmedJSON(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isJSONSpace(text[begin]))
        ++begin;
    while (end > begin && isJSONSpace(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

bool isDigit(char character)
{
    return character >= '0' && character <= '9';
}

// Skips one or more digits; false when there is none.
bool skipDigits(QByteArrayView text, qsizetype &index)
{
    const qsizetype start = index;
    while (index < text.size() && isDigit(text[index]))
        ++index;
    return index > start;
}

// The JSON number grammar: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
bool isJSONNumber(QByteArrayView text, bool &integral)
{
    qsizetype index = 0;
    if (index < text.size() && text[index] == '-')
        ++index;
    if (index < text.size() && text[index] == '0')
        ++index;
    else if (!skipDigits(text, index))
        return false;
    integral = true;
    if (index < text.size() && text[index] == '.') {
        integral = false;
        ++index;
        if (!skipDigits(text, index))
            return false;
    }
    if (index < text.size() && (text[index] == 'e' || text[index] == 'E')) {
        integral = false;
        ++index;
        if (index < text.size() && (text[index] == '+' || text[index] == '-'))
            ++index;
        if (!skipDigits(text, index))
            return false;
    }
    return index == text.size();
}

QString integerText(QByteArrayView text)
{
    qint64 value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc())
        return QString();
    return QString::number(value);
}

QString realText(QByteArrayView text)
{
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value))
        return QString();
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace

VDLPayloadAnalysis::VDLPayloadAnalysis(const QByteArray &payload, const QString &topic)
{
    if (payload.isEmpty())
        return;
    const QByteArrayView trimmed = trimmedJSON(payload);
    if (trimmed == "true" || trimmed == "false") {
        m_type = trimmed.size() == payload.size() ? VDLPayloadType::Boolean : VDLPayloadType::Number;
        return;
    }
    bool integral = false;
    if (isJSONNumber(trimmed, integral)) {
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
    // The reader takes only objects and arrays; a top-level string is read inside an array.
    const bool isString = trimmedJSON(payload).front() == '"';
    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(isString ? '[' + payload + ']' : payload, &error);
    if (error.error != QJsonParseError::NoError) {
        classifyNonJSON(payload);
        return;
    }
    m_type = VDLPayloadType::JSON;
    if (document.isObject() && topic.endsWith(QLatin1String("/config")))
        probeHomeAssistant(document.object(), topic);
}

void VDLPayloadAnalysis::probeHomeAssistant(const QJsonObject &object, const QString &topic)
{
    const QJsonValue device = object.value(QLatin1String("device"));
    const QJsonValue deviceName = device.toObject().value(QLatin1String("name"));
    if (!device.isObject() || deviceName.isUndefined())
        return;
    QString summary = deviceName.toVariant().toString();
    const QStringList levels = topic.split(QLatin1Char('/'));
    const QJsonValue entityName = object.value(QLatin1String("name"));
    if (levels.size() >= 4 && levels[1] != QLatin1String("device") && !entityName.isUndefined())
        summary = QStringLiteral("%1 - %2").arg(summary, entityName.toVariant().toString());
    const QJsonValue area = device.toObject().value(QLatin1String("suggested_area"));
    if (!area.isUndefined())
        summary = QStringLiteral("[%1] %2").arg(area.toVariant().toString(), summary);
    m_homeAssistantSummary = summary;
}

QString VDLPayloadAnalysis::numberText(const QByteArray &payload)
{
    const QByteArrayView trimmed = trimmedJSON(payload);
    if (trimmed == "true")
        return QStringLiteral("1");
    if (trimmed == "false")
        return QStringLiteral("0");
    bool integral = false;
    if (!isJSONNumber(trimmed, integral))
        return QString();
    QString text = integral ? integerText(trimmed) : QString();
    if (text.isNull())
        text = realText(trimmed);
    return text.isNull() ? QString::fromLatin1(trimmed) : text;
}

std::optional<double> VDLPayloadAnalysis::numberValue(const QByteArray &payload)
{
    const QByteArrayView trimmed = trimmedJSON(payload);
    if (trimmed == "true")
        return 1.0;
    if (trimmed == "false")
        return 0.0;
    bool integral = false;
    double value = 0;
    if (!isJSONNumber(trimmed, integral)
        || std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value).ec != std::errc()
        || !std::isfinite(value))
        return std::nullopt;
    return value;
}

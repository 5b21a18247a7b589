#include "VDLChartField.h"

#include "VOKJSONNumber.h"
#include "VOKJSONReader.h"
#include "VOKVariant.h"

#include <algorithm>
#include <cmath>

namespace {

// Fields are listed from objects up to this size, and at most this many: a chooser of more helps
// nobody, and ordering the keys of a huge object by its text would take long.
constexpr qsizetype listedPayloadLimit = 16 * 1024;
constexpr qsizetype listedFieldLimit = 100;

QVariantMap objectOf(const VDLMessage &message)
{
    if (message.type() != VDLPayloadType::JSON)
        return QVariantMap();
    return VOKJSONReader::read(message.data(), false).toMap();
}

// A JSON number: not a boolean, a string or a container.
bool isNumber(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::LongLong:
    case QMetaType::Double:
        return true;
    default:
        return value.metaType() == QMetaType::fromType<VOKJSONNumber>();
    }
}

// The object's keys in the order the text names them. The object keeps its keys sorted, so
// each is looked for in the text after its parent's own; a key written with escapes is not
// found and goes last.
QStringList keysInTextOrder(const QVariantMap &object, const QByteArray &text, qsizetype from,
                            QList<qsizetype> &positions)
{
    QList<std::pair<qsizetype, QString>> found;
    for (const QString &key : object.keys()) {
        const qsizetype position = text.indexOf('"' + key.toUtf8() + '"', from);
        found.append({position < 0 ? text.size() : position, key});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto &left, const auto &right) { return left.first < right.first; });
    QStringList keys;
    positions.clear();
    for (const auto &[position, key] : found) {
        keys.append(key);
        positions.append(position);
    }
    return keys;
}

// Depth first, in the order of the text; the prefix is the keys down to the object.
void collectLeaves(const QVariantMap &object, const QByteArray &text, qsizetype from, QStringList &prefix,
                   QList<VDLChartField> &fields)
{
    QList<qsizetype> positions;
    const QStringList keys = keysInTextOrder(object, text, from, positions);
    for (qsizetype index = 0; index < keys.size() && fields.size() < listedFieldLimit; ++index) {
        prefix.append(keys[index]);
        const QVariant value = object.value(keys[index]);
        if (vokIsDictionary(value))
            collectLeaves(value.toMap(), text, positions[index], prefix, fields);
        else if (isNumber(value) && !fields.contains(VDLChartField(prefix)))
            fields.append(VDLChartField(prefix));
        prefix.removeLast();
    }
}

} // namespace

QString VDLChartField::name() const
{
    return isPayload() ? QStringLiteral("Value") : m_keys.join(QLatin1Char('.'));
}

std::optional<double> VDLChartField::valueOf(VDLPayloadType type, const QByteArray &payload) const
{
    if (isPayload()) {
        switch (type) {
        case VDLPayloadType::Number:
        case VDLPayloadType::Boolean:
            return VDLPayloadAnalysis::numberValue(payload);
        case VDLPayloadType::Text:
            // Only a short text can be a state word; a long one is not decoded for nothing.
            if (payload.size() > 32)
                return std::nullopt;
            return stateValue(QString::fromUtf8(payload));
        default:
            return std::nullopt;
        }
    }
    if (type != VDLPayloadType::JSON)
        return std::nullopt;
    const QVariant value = VOKJSONReader::readMember(payload, m_keys);
    if (!isNumber(value) || !std::isfinite(value.toDouble()))
        return std::nullopt;
    return value.toDouble();
}

QList<VDLChartField> VDLChartField::fieldsOf(const QList<VDLMessagePtr> &messages, qsizetype newest)
{
    QList<VDLChartField> fields;
    bool hasPayloadValue = false;
    QStringList prefix;
    const qsizetype oldest = std::max<qsizetype>(0, messages.size() - newest);
    for (qsizetype index = messages.size() - 1; index >= oldest; --index) {
        const VDLMessage &message = *messages[index];
        hasPayloadValue = hasPayloadValue || VDLChartField().valueOf(message).has_value();
        if (message.data().size() <= listedPayloadLimit)
            collectLeaves(objectOf(message), message.data(), 0, prefix, fields);
    }
    if (hasPayloadValue)
        fields.prepend(VDLChartField());
    return fields;
}

std::optional<double> VDLChartField::stateValue(const QString &text)
{
    static const QStringList on = {QStringLiteral("on"), QStringLiteral("true"), QStringLiteral("yes"),
                                   QStringLiteral("open"), QStringLiteral("online")};
    static const QStringList off = {QStringLiteral("off"), QStringLiteral("false"), QStringLiteral("no"),
                                    QStringLiteral("closed"), QStringLiteral("offline")};
    const QString word = text.trimmed();
    if (word.size() > 7)
        return std::nullopt;
    if (on.contains(word, Qt::CaseInsensitive))
        return 1.0;
    if (off.contains(word, Qt::CaseInsensitive))
        return 0.0;
    return std::nullopt;
}

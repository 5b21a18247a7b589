#pragma once

#include "VDLMessage.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What a chart plots of a topic's messages: the payload itself (a number, a boolean, or a text
// such as ON or OFF), or one numeric leaf of a JSON object payload, named by its keys from the
// top ("ENERGY", "Power" shows as ENERGY.Power). Arrays are not looked into.
//
// A plain value; every function may be called from any thread.
class VDLChartField
{
public:
    // The payload itself.
    VDLChartField() = default;
    // The leaf reached through these keys; no keys is the payload itself.
    explicit VDLChartField(const QStringList &keys) : m_keys(keys) {}

    const QStringList &keys() const { return m_keys; }
    bool isPayload() const { return m_keys.isEmpty(); }
    // "Value" for the payload itself, else the keys joined by dots.
    QString name() const;

    // The message's value for this field; none when the message has none (a text that is no
    // state, a JSON object without the leaf, or a leaf that is not a number).
    std::optional<double> valueOf(const VDLMessage &message) const { return valueOf(message.type(), message.data()); }
    // The same for a payload of that class.
    std::optional<double> valueOf(VDLPayloadType type, const QByteArray &payload) const;

    // The fields that the newest messages (up to `newest` of them, newest first) have a value
    // for: the payload itself when one of them has a value of its own, then the numeric leaves
    // of their JSON objects in the order the newest names them, each once.
    static constexpr qsizetype newestRead = 20;
    static QList<VDLChartField> fieldsOf(const QList<VDLMessagePtr> &messages, qsizetype newest = newestRead);

    // 1 for texts such as ON, true, yes, open or online, 0 for OFF, false, no, closed or offline
    // (any case, white space around ignored); none for other text.
    static std::optional<double> stateValue(const QString &text);

    friend bool operator==(const VDLChartField &, const VDLChartField &) = default;

private:
    QStringList m_keys;
};

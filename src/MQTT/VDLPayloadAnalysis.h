#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <optional>

// The payload classes of a received message; the numbers are part of the dump format.
enum class VDLPayloadType : std::uint8_t {
    None = 0,    // not analysed: the message has no payload
    RawData = 1, // neither JSON nor displayable text
    Text = 2,    // valid UTF-8 without control characters other than tab, LF and CR
    Number = 3,  // a JSON number, or a boolean not written exactly "true" / "false"
    JSON = 4,    // any other JSON value: object, array, string or null
    Boolean = 5, // exactly "true" or "false"
    Null = 6,    // analysis of a message that holds no payload
};

// Classifies one payload: read strictly and at most once, only as far as the class needs
// (numbers and booleans by their grammar, documents validated without building values). A Home Assistant discovery payload on a
// ".../config" topic also yields its device and entity names.
//
// A value computed once per message on the network thread; any thread.
class VDLPayloadAnalysis
{
public:
    VDLPayloadAnalysis(const QByteArray &payload, const QString &topic);

    VDLPayloadType type() const { return m_type; }
    // Null unless the payload is a Home Assistant discovery object naming its device.
    QString homeAssistantSummary() const { return m_homeAssistantSummary; }

    // The decimal text of a payload classified as a number: integers exactly, reals in their
    // shortest form unless a double would change their digits, then as written; a boolean as 1
    // or 0. Null for anything else.
    static QString numberText(const QByteArray &payload);
    // The value of a payload classified as a number or a boolean (true 1, false 0); none for
    // anything else and for a number beyond a double's range.
    static std::optional<double> numberValue(const QByteArray &payload);

private:
    void classifyNonJSON(const QByteArray &payload);
    void classifyDocument(const QByteArray &payload, const QString &topic);
    void probeHomeAssistant(const QVariantMap &object, const QString &topic);

    VDLPayloadType m_type = VDLPayloadType::None;
    QString m_homeAssistantSummary;
};

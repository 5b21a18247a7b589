#pragma once

#include "VDLPM.h"
#include "VDLPayloadAnalysis.h"
#include "VOKMarkup.h"
#include "VOKMosquittoMessage.h"

#include <QString>

#include <memory>
#include <optional>

// A message received by the viewer: the broker's record plus the class of its payload, computed
// once when the message is made. Everything shown for it (summary, styled content, raw text) is
// derived on demand from the payload and that class.
//
// Histories do not hold these: a topic makes them on demand from its compact history
// (VDLMessageHistory) for the panes and callers that ask. Immutable and shared as VDLMessagePtr;
// every const function may be called from any thread except attributedContent (GUI thread: the
// memo that logs a payload's parse error once).
class VDLMessage : public VOKMosquittoMessage
{
    Q_GADGET
    Q_PROPERTY(QString summary READ summary)
    Q_PROPERTY(QString homeAssistantSummary READ homeAssistantSummary)
    Q_PROPERTY(quint64 type READ typeNumber)
    Q_PROPERTY(int summaryAlignment READ summaryAlignment)
    Q_PROPERTY(QString rawContent READ rawContent)
    Q_PROPERTY(QString payloadFirstTerm READ payloadFirstTerm)
    Q_PROPERTY(VDLPM pm READ pm)

public:
    // Alignment codes of the summary column.
    static constexpr int LeftAlignment = 0;
    static constexpr int RightAlignment = 1;

    // The topic is decoded by the caller so that messages of one topic can share its string.
    VDLMessage(const mosquitto_message &message, const QString &topic);
    // A message made again from a history, where it is message number `sequence` of its topic
    // and its payload's class is known.
    VDLMessage(const QString &topic, const QByteArray &data, qint64 createdMSecs, int qos, bool retained, int mid,
               VDLPayloadType type, qint64 sequence);

    VDLPayloadType type() const { return m_type; }
    // Its number among the messages received on its topic, from 0; -1 when not made from a
    // history. Messages made again from one history entry are equal in it.
    qint64 sequence() const { return m_sequence; }
    quint64 typeNumber() const { return quint64(m_type); }
    // One line about the payload: "[n]" raw data, "$ text", "# number", "{n}" JSON, the boolean
    // as written, "null"; null for a message without payload.
    QString summary() const;
    QString homeAssistantSummary() const;
    int summaryAlignment() const;
    // The whole payload as markup for the detail view, which shows it in the fixed-pitch content
    // style. Empty for a message without payload; none for a JSON payload that is not an object or
    // array.
    std::optional<VOKMarkup> attributedContent() const;
    // The payload as text; raw data as hexadecimal bytes ("<01020304 05>"); null without payload.
    QString rawContent() const;
    // The first word of the payload text, or null.
    QString payloadFirstTerm() const;
    // The message as publish parameters: topic, raw content, QoS and retain flag.
    VDLPM pm() const;

    const QMetaObject *gadgetMetaObject() const override { return &staticMetaObject; }

private:
    qint64 m_sequence = -1;
    VDLPayloadType m_type = VDLPayloadType::None;
    // Whether the content's parse error was logged; only attributedContent (GUI thread) uses it.
    mutable bool m_contentFailureLogged = false;
};

using VDLMessagePtr = std::shared_ptr<const VDLMessage>;

// True for one message: the same object, or two made from one history entry.
bool vdlIsSameMessage(const VDLMessagePtr &left, const VDLMessagePtr &right);

Q_DECLARE_METATYPE(VDLMessagePtr)

// Lets key paths read through VDLMessagePtr values. Call once at start-up, on any thread.
void vdlRegisterMessageType();

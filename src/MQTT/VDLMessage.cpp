#include "VDLMessage.h"

#include "VOKJSON.h"
#include "VOKJSONPrinter.h"
#include "VOKKeyPath.h"
#include "VOKMarkupEscape.h"

#include <QRegularExpression>

#include <mutex>

namespace {

QString hexDescription(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size() * 2 + bytes.size() / 4 + 2);
    text.append(QLatin1Char('<'));
    static constexpr char digits[] = "0123456789abcdef";
    for (qsizetype index = 0; index < bytes.size(); ++index) {
        if (index > 0 && index % 4 == 0)
            text.append(QLatin1Char(' '));
        const auto byte = static_cast<unsigned char>(bytes[index]);
        text.append(QLatin1Char(digits[byte >> 4]));
        text.append(QLatin1Char(digits[byte & 0xf]));
    }
    text.append(QLatin1Char('>'));
    return text;
}

} // namespace

VDLMessage::VDLMessage(const mosquitto_message &message, const QString &topic)
    : VOKMosquittoMessage(message, topic)
{
    m_type = VDLPayloadAnalysis(data(), this->topic()).type();
}

VDLMessage::VDLMessage(const QString &topic, const QByteArray &data, qint64 createdMSecs, int qos, bool retained,
                       int mid, VDLPayloadType type, qint64 sequence)
    : VOKMosquittoMessage(topic, data, createdMSecs, qos, retained, mid)
    , m_sequence(sequence)
    , m_type(type)
{
}

QString VDLMessage::summary() const
{
    switch (m_type) {
    case VDLPayloadType::None:
        return QString();
    case VDLPayloadType::RawData:
        return QStringLiteral("[%1]").arg(data().size());
    case VDLPayloadType::Text:
        return QStringLiteral("$ ") + payload();
    case VDLPayloadType::Number:
        return QStringLiteral("# ") + VDLPayloadAnalysis::numberText(data());
    case VDLPayloadType::JSON:
        return QStringLiteral("{%1}").arg(data().size());
    case VDLPayloadType::Boolean:
        return payload();
    case VDLPayloadType::Null:
        return QStringLiteral("null");
    }
    return QString();
}

QString VDLMessage::homeAssistantSummary() const
{
    // Read rarely (by device definitions), so worked out again rather than kept in every message.
    if (m_type != VDLPayloadType::JSON)
        return QString();
    return VDLPayloadAnalysis(data(), topic()).homeAssistantSummary();
}

int VDLMessage::summaryAlignment() const
{
    return m_type == VDLPayloadType::Number || m_type == VDLPayloadType::Boolean ? RightAlignment
                                                                                 : LeftAlignment;
}

std::optional<VOKMarkup> VDLMessage::attributedContent() const
{
    switch (m_type) {
    case VDLPayloadType::None:
        return VOKMarkup();
    case VDLPayloadType::RawData:
        return VOKMarkup(QStringLiteral("[c:Gray]") + hexDescription(data()));
    case VDLPayloadType::Text:
        return VOKMarkup(QStringLiteral("[c:Green]") + vokEscapedForMarkup(payload()));
    case VDLPayloadType::Number:
        return VOKMarkup(QStringLiteral("[c:Blue]") + vokEscapedForMarkup(payload()));
    case VDLPayloadType::JSON: {
        // A top-level string or null is JSON but no document: say so once, not at every refresh.
        QString failure;
        const QVariant value = m_contentFailureLogged ? vokJSONValue(data(), &failure) : vokJSONValue(data());
        if (!value.isValid()) {
            m_contentFailureLogged = true;
            return std::nullopt;
        }
        return VOKMarkup(vokPrettyPrintWithIndent(value, 0, true));
    }
    case VDLPayloadType::Boolean:
        return VOKMarkup(QStringLiteral("[c:Gray]") + vokEscapedForMarkup(payload()));
    case VDLPayloadType::Null:
        return VOKMarkup(QStringLiteral("[c:Gray]null"));
    }
    return std::nullopt;
}

QString VDLMessage::rawContent() const
{
    if (m_type == VDLPayloadType::RawData)
        return hexDescription(data());
    return payload();
}

QString VDLMessage::payloadFirstTerm() const
{
    static const QRegularExpression separators(QStringLiteral("\\s+"));
    const QStringList words = payload().split(separators, Qt::SkipEmptyParts);
    return words.isEmpty() ? QString() : words.front();
}

VDLPM VDLMessage::pm() const
{
    const QString content = rawContent();
    return VDLPM(topic(), content.isNull() ? VDLPM::Value() : VDLPM::Value(content), qos(), isRetained());
}

bool vdlIsSameMessage(const VDLMessagePtr &left, const VDLMessagePtr &right)
{
    if (left == right)
        return true;
    return left && right && left->sequence() >= 0 && left->sequence() == right->sequence()
        && left->topic() == right->topic();
}

void vdlRegisterMessageType()
{
    static std::once_flag once;
    std::call_once(once, [] {
        vokRegisterMosquittoMessageType();
        vokRegisterSharedGadget<VDLMessage>();
    });
}

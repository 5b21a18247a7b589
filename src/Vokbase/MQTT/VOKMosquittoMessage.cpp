#include "VOKMosquittoMessage.h"

#include "VOKClock.h"
#include "VOKData.h"
#include "VOKJSONReader.h"
#include "VOKKeyPath.h"
#include "VOKLog.h"
#include "VOKObjectDescription.h"


#include <mosquitto.h>

#include <charconv>
#include <cmath>
#include <mutex>

namespace {

QVariant parseJSON(const QByteArray &bytes, bool allowFragments, const QString &textForLog)
{
    VOKJSONReader::Failure failure;
    const QVariant value = VOKJSONReader::read(bytes, allowFragments, &failure);
    if (!value.isValid())
        VOK_ERROR(QStringLiteral("Error creating object from JSON: %1\nJSON String: %2")
                      .arg(failure.description(), vokDescriptionText(textForLog)));
    return value;
}

bool isNumberStart(char character)
{
    return (character >= '0' && character <= '9') || character == '.' || character == '-'
        || character == '+';
}

} // namespace

VOKMosquittoMessage::VOKMosquittoMessage(const mosquitto_message &message)
    : VOKMosquittoMessage(message, vokUTF8String(QByteArray(message.topic ? message.topic : "")))
{
}

VOKMosquittoMessage::VOKMosquittoMessage(const mosquitto_message &message, const QString &topic)
    : m_createdMSecs(VOKClock::current().currentMSecsSinceEpoch())
    , m_topic(topic)
{
    if (message.payloadlen > 0 && message.payload)
        m_data = QByteArray(static_cast<const char *>(message.payload), message.payloadlen);
    m_mid = message.mid;
    m_qos = qint8(message.qos);
    m_isRetained = message.retain;
}

VOKMosquittoMessage::VOKMosquittoMessage(const QString &topic, const QByteArray &data, qint64 createdMSecs, int qos,
                                         bool retained, int mid)
    : m_createdMSecs(createdMSecs)
    , m_topic(topic)
    , m_data(data.isEmpty() ? QByteArray() : data)
    , m_mid(mid)
    , m_qos(qint8(qos))
    , m_isRetained(retained)
{
}

VOKMosquittoMessage::~VOKMosquittoMessage() = default;

QString VOKMosquittoMessage::payload() const
{
    if (m_data.isNull())
        return QString();
    return vokUTF8String(m_data);
}

double VOKMosquittoMessage::payloadAsDouble() const
{
    const QByteArray text = payload().trimmed().toUtf8();
    if (text.isEmpty() || !isNumberStart(text.front()))
        return 0;
    // from_chars takes no leading plus sign; the lenient reading does.
    const char *begin = text.constData() + (text.front() == '+' ? 1 : 0);
    double value = 0;
    const auto result = std::from_chars(begin, text.constData() + text.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value))
        return 0;
    return value;
}

QVariant VOKMosquittoMessage::json() const
{
    if (m_data.isNull())
        return QVariant();
    return parseJSON(m_data, false, payload());
}

QVariant VOKMosquittoMessage::jsonF() const
{
    if (m_data.isNull())
        return QVariant();
    return parseJSON(m_data, true, payload());
}

QString VOKMosquittoMessage::isRetainedDisplay() const
{
    return m_isRetained ? QStringLiteral("[s:r.square]") : QString();
}

QString VOKMosquittoMessage::description() const
{
    return QStringLiteral("%1  %2 qos %3%4: %5")
        .arg(vokObjectDescription(gadgetMetaObject()->className(), this),
             vokDescriptionText(m_topic))
        .arg(m_qos)
        .arg(m_isRetained ? QStringLiteral(" retained") : QString(),
             vokDescriptionText(payload()));
}

void vokRegisterMosquittoMessageType()
{
    static std::once_flag once;
    std::call_once(once, [] { vokRegisterSharedGadget<VOKMosquittoMessage>(); });
}

#include "VOKMosquittoTopic.h"

#include "VOKLog.h"
#include "VOKMosquittoClient.h"
#include "VOKMosquittoTopicMatch.h"
#include "VOKObjectDescription.h"
#include "VOKString.h"

#include <QJsonDocument>
#include <QLocale>

VOKMosquittoTopic::VOKMosquittoTopic(const QString &topicPrefix, Callback callback)
    : m_topicPrefix(topicPrefix)
    , m_callback(std::move(callback))
{
}

QString VOKMosquittoTopic::topic() const
{
    return m_topicPrefix.endsWith(QLatin1Char('/')) ? m_topicPrefix + QLatin1Char('#') : m_topicPrefix;
}

VOKMosquittoTopic::Callback VOKMosquittoTopic::callback() const
{
    const std::lock_guard<std::mutex> locker(m_mutex);
    return m_callback;
}

bool VOKMosquittoTopic::hasCallback() const
{
    const std::lock_guard<std::mutex> locker(m_mutex);
    return bool(m_callback);
}

VOKMosquittoClient *VOKMosquittoTopic::mqttClient() const
{
    const std::lock_guard<std::mutex> locker(m_mutex);
    return m_client.data();
}

void VOKMosquittoTopic::setMqttClient(VOKMosquittoClient *client)
{
    const std::lock_guard<std::mutex> locker(m_mutex);
    m_client = client;
}

void VOKMosquittoTopic::handleMessage(const VOKMosquittoMessagePtr &message) const
{
    // One copy, read once: unregister on another thread cannot empty it between test and call.
    const Callback callback = this->callback();
    if (!callback)
        return;
    std::shared_ptr<const VOKMosquittoTopic> self = weak_from_this().lock();
    if (!self) {
        VOK_ASSERTION(QStringLiteral("%1 was not made with std::make_shared; message ignored").arg(description()));
        return;
    }
    const VOKMosquittoTopicMatch match(std::move(self), message);
    if (match.match())
        callback(match);
}

void VOKMosquittoTopic::unregister()
{
    VOKMosquittoClient *const client = mqttClient();
    if (const std::shared_ptr<const VOKMosquittoTopic> self = weak_from_this().lock(); client && self)
        client->unregisterTopic(self);
    const std::lock_guard<std::mutex> locker(m_mutex);
    m_callback = nullptr;
}

void VOKMosquittoTopic::publishTopic(const QString &subTopic, const QByteArray &data, bool retain) const
{
    if (VOKMosquittoClient *client = mqttClient())
        client->publishTopic(m_topicPrefix + subTopic, data, retain);
}

void VOKMosquittoTopic::publishTopicJSON(const QString &subTopic, const QVariant &value, bool retain) const
{
    const QJsonDocument document = QJsonDocument::fromVariant(value);
    if (document.isNull()) {
        VOK_ERROR(QStringLiteral("Error creating JSON: %1\nObject: %2")
                      .arg(QStringLiteral("not an object or an array"), VOKLog::excerpt(value.toString().toUtf8())));
        return;
    }
    publishTopic(subTopic, document.toJson(QJsonDocument::Compact), retain);
}

void VOKMosquittoTopic::publishTopicString(const QString &subTopic, const QString &text, bool retain) const
{
    publishTopic(subTopic, vokUTF8Data(text), retain);
}

void VOKMosquittoTopic::publishTopicNumber(const QString &subTopic, double number, bool retain) const
{
    publishTopicString(subTopic, QString::number(number, 'g', QLocale::FloatingPointShortest), retain);
}

QString VOKMosquittoTopic::description() const
{
    return QStringLiteral("%1  %2").arg(vokObjectDescription("VOKMosquittoTopic", this), topic());
}

#pragma once

#include "VDLMessage.h"

#include <mosquitto.h>

// Messages as the library would deliver them, for tests that need no broker.
inline VDLMessagePtr makeMessage(const QByteArray &topic, const QByteArray &payload, bool retained = false)
{
    QByteArray topicText = topic;
    QByteArray payloadBytes = payload;
    mosquitto_message message{};
    message.topic = topicText.data();
    message.payload = payloadBytes.isEmpty() ? nullptr : payloadBytes.data();
    message.payloadlen = int(payloadBytes.size());
    message.retain = retained;
    return std::make_shared<const VDLMessage>(message, QString::fromUtf8(topic));
}

#include "VDLArrivalBatch.h"

#include "VDLMessageHistory.h"

#include <mosquitto.h>

void VDLArrivalBatch::append(const mosquitto_message &message, const QString &topic, qint64 createdMSecs)
{
    Arrival &arrival = m_arrivals.emplace_back(
        Arrival{topic, createdMSecs, 0, 0, message.mid, quint8(message.qos), message.retain, false});
    if (message.payload && message.payloadlen > 0)
        appendPayload(arrival, static_cast<const char *>(message.payload), message.payloadlen);
}

void VDLArrivalBatch::appendFrom(const VDLArrivalBatch &other, qsizetype index)
{
    const Arrival &source = other.m_arrivals[size_t(index)];
    Arrival &arrival = m_arrivals.emplace_back(source);
    arrival.offset = 0;
    arrival.length = 0;
    arrival.large = false;
    if (source.large) {
        arrival.large = true;
        arrival.length = source.length;
        arrival.offset = qsizetype(m_large.size());
        m_large.push_back(other.m_large[size_t(source.offset)]);
    } else if (source.length > 0) {
        appendPayload(arrival, other.m_smallBytes.data() + source.offset, source.length);
    }
}

void VDLArrivalBatch::appendPayload(Arrival &arrival, const char *bytes, qsizetype length)
{
    arrival.length = length;
    if (length > VDLMessageHistory::largePayloadSize) {
        // Its own array: the history keeps it as it is.
        arrival.large = true;
        arrival.offset = qsizetype(m_large.size());
        m_large.emplace_back(bytes, length);
        return;
    }
    arrival.offset = qsizetype(m_smallBytes.size());
    m_smallBytes.insert(m_smallBytes.end(), bytes, bytes + length);
}

QByteArray VDLArrivalBatch::payloadAt(qsizetype index) const
{
    const Arrival &arrival = m_arrivals[size_t(index)];
    if (arrival.length == 0)
        return QByteArray();
    if (arrival.large)
        return m_large[size_t(arrival.offset)];
    return QByteArray::fromRawData(m_smallBytes.data() + arrival.offset, arrival.length);
}

void VDLArrivalBatch::clear()
{
    m_arrivals.clear();
    m_smallBytes.clear();
    m_large.clear();
}

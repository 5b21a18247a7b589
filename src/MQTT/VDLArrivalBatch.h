#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

struct mosquitto_message;

// Received messages not yet filed into the tree, oldest first, kept the way the network thread can
// append them fastest: a small record per message, the bytes of small payloads one after another
// in one buffer, large payloads in byte arrays of their own that the history then keeps. Appending
// allocates nothing once the batch has grown to the flow's size; clear() keeps that capacity, so
// a batch handed back and forth between the threads stops allocating.
//
// Not thread-safe: one thread at a time (the inbox hands it over under its lock).
class VDLArrivalBatch
{
public:
    void append(const mosquitto_message &message, const QString &topic, qint64 createdMSecs);
    // Appends the message at `index` of another batch.
    void appendFrom(const VDLArrivalBatch &other, qsizetype index);

    qsizetype size() const { return qsizetype(m_arrivals.size()); }
    bool isEmpty() const { return m_arrivals.empty(); }

    const QString &topicAt(qsizetype index) const { return m_arrivals[size_t(index)].topic; }
    qint64 createdAt(qsizetype index) const { return m_arrivals[size_t(index)].createdMSecs; }
    int qosAt(qsizetype index) const { return m_arrivals[size_t(index)].qos; }
    bool isRetainedAt(qsizetype index) const { return m_arrivals[size_t(index)].retained; }
    int midAt(qsizetype index) const { return m_arrivals[size_t(index)].mid; }
    // A small payload borrows the batch's buffer (valid until the batch is cleared or appended
    // to); a large one is its own array. Null without payload.
    QByteArray payloadAt(qsizetype index) const;

    // Empties the batch and keeps its capacity.
    void clear();

private:
    struct Arrival
    {
        QString topic;
        qint64 createdMSecs;
        // Into m_smallBytes, or into m_large for a large payload.
        qsizetype offset;
        qsizetype length;
        int mid;
        quint8 qos;
        bool retained;
        bool large;
    };

    void appendPayload(Arrival &arrival, const char *bytes, qsizetype length);

    std::vector<Arrival> m_arrivals;
    std::vector<char> m_smallBytes;
    std::vector<QByteArray> m_large;
};

#pragma once

#include "VDLPayloadAnalysis.h"

#include <QByteArray>
#include <QtGlobal>

#include <memory>
#include <optional>
#include <vector>

// The messages received on one topic, oldest first, kept compactly: a 24-byte record per message
// (arrival time, QoS, retain flag, packet identifier, the payload's class once known, and where
// its bytes are) with the payload bytes beside it. Payloads of up to 8 bytes live in the record
// itself; other small ones are copied into an append-only arena of growing chunks; large ones are
// kept as the byte array they came in, so a message made from them shares it. A payload equal to
// the one before it is stored once. Messages themselves (VDLMessage) are made on demand by the
// topic.
//
// The oldest messages can be dropped to bound memory; the latest always stays, and the history
// remembers how many were dropped. Appending is amortised O(1); reading any message is O(1).
// Not thread-safe: the owning topic's thread (the GUI thread) only.
class VDLMessageHistory
{
public:
    // Payloads above this size keep their own byte array.
    static constexpr qsizetype largePayloadSize = 2048;

    VDLMessageHistory();
    ~VDLMessageHistory();
    VDLMessageHistory(const VDLMessageHistory &) = delete;
    VDLMessageHistory &operator=(const VDLMessageHistory &) = delete;
    VDLMessageHistory(VDLMessageHistory &&) noexcept;
    VDLMessageHistory &operator=(VDLMessageHistory &&) noexcept;

    // Appends a message; a null or empty payload is stored as none. Answers the change of
    // memoryBytes().
    qint64 append(qint64 createdMSecs, const QByteArray &payload, int qos, bool retained, int mid);
    // Drops the oldest messages, at most all but the latest. Answers the change of memoryBytes()
    // (zero or negative).
    qint64 dropOldest(qsizetype count);

    // The messages kept; index 0 is the oldest kept.
    qsizetype size() const { return qsizetype(m_records.size() - m_firstRecord); }
    bool isEmpty() const { return size() == 0; }
    // How many older messages were dropped.
    quint64 droppedCount() const { return m_droppedCount; }

    qint64 createdAt(qsizetype index) const { return record(index).createdMSecs; }
    int qosAt(qsizetype index) const { return record(index).flags & QoSMask; }
    bool isRetainedAt(qsizetype index) const { return record(index).flags & RetainedFlag; }
    int midAt(qsizetype index) const { return record(index).mid; }
    qsizetype payloadSizeAt(qsizetype index) const { return qsizetype(record(index).length); }
    // A copy of a small payload, a shared copy of a large one; null without payload.
    QByteArray payloadAt(qsizetype index) const;
    // The payload's class, worked out when first asked for and remembered in the record.
    VDLPayloadType payloadTypeAt(qsizetype index) const;

    // The heap this history holds: records, arena chunks and large payloads.
    quint64 memoryBytes() const { return recordBytes() + m_payloadBytes; }

private:
    static constexpr quint8 QoSMask = 0x03;
    static constexpr quint8 RetainedFlag = 0x04;
    static constexpr quint8 InlinePayload = 0x00;
    static constexpr quint8 ArenaPayload = 0x08;
    static constexpr quint8 LargePayload = 0x10;
    static constexpr quint8 PlaceMask = 0x18;
    static constexpr quint8 UnknownType = 0xff;

    struct Record
    {
        qint64 createdMSecs;
        // Inline: the bytes. Arena: chunk number << 32 | offset. Large: the large payload's number.
        quint64 place;
        quint32 length;
        quint16 mid;
        quint8 flags;
        // A memo of what the payload says; UnknownType until asked for.
        mutable quint8 type;
    };
    static_assert(sizeof(Record) == 24, "a history record grew");

    struct Chunk
    {
        std::unique_ptr<char[]> bytes;
        quint32 capacity = 0;
        quint32 used = 0;
    };

    const Record &record(qsizetype index) const { return m_records[size_t(m_firstRecord + index)]; }
    const char *payloadBytes(const Record &record) const;
    bool equalsLatestPayload(const char *bytes, qsizetype length) const;
    quint64 placeInArena(const char *bytes, quint32 length);
    quint64 placeLarge(const QByteArray &payload);
    // The place of the oldest kept payload of that kind, or `none`.
    quint64 oldestKeptPlace(quint8 kind, quint64 none) const;
    void releaseUnreferenced();
    void compactRecords();
    quint64 recordBytes() const { return quint64(m_records.capacity()) * sizeof(Record); }

    std::vector<Record> m_records;
    // Records before this one were dropped and wait for the next compaction.
    size_t m_firstRecord = 0;
    // Vectors, not deques: an empty deque allocates over half a kilobyte, and most topics hold
    // few messages. Released from the front only when a drop frees whole chunks.
    std::vector<Chunk> m_chunks;
    // The number of m_chunks.front(); chunks before it were released.
    quint64 m_firstChunk = 0;
    std::vector<QByteArray> m_large;
    quint64 m_firstLarge = 0;
    quint64 m_droppedCount = 0;
    // Arena chunks and large payloads, each with its allocation's overhead.
    quint64 m_payloadBytes = 0;
};

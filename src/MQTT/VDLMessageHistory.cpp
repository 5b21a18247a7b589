#include "VDLMessageHistory.h"

#include <algorithm>
#include <cstring>

namespace {

// What malloc and QByteArray add to every block they hand out, as far as the budget is concerned.
constexpr quint64 allocationOverhead = 32;
// Arena chunks double from the first size up to the last, so a topic with a few messages costs
// little and a long history few allocations.
constexpr quint32 firstChunkSize = 64;
constexpr quint32 lastChunkSize = 64 * 1024;
constexpr qsizetype inlineSize = sizeof(quint64);

} // namespace

VDLMessageHistory::VDLMessageHistory() = default;

VDLMessageHistory::~VDLMessageHistory() = default;

VDLMessageHistory::VDLMessageHistory(VDLMessageHistory &&) noexcept = default;

VDLMessageHistory &VDLMessageHistory::operator=(VDLMessageHistory &&) noexcept = default;

qint64 VDLMessageHistory::append(qint64 createdMSecs, const QByteArray &payload, int qos, bool retained, int mid)
{
    const quint64 before = memoryBytes();
    Record added{createdMSecs, 0, quint32(payload.size()), quint16(mid),
                 quint8((qos & QoSMask) | (retained ? RetainedFlag : 0)), UnknownType};
    if (payload.size() <= inlineSize) {
        if (!payload.isEmpty())
            std::memcpy(&added.place, payload.constData(), size_t(payload.size()));
    } else if (equalsLatestPayload(payload.constData(), payload.size())) {
        const Record &latest = m_records.back();
        added.place = latest.place;
        added.flags |= latest.flags & PlaceMask;
    } else if (payload.size() <= largePayloadSize) {
        added.place = placeInArena(payload.constData(), quint32(payload.size()));
        added.flags |= ArenaPayload;
    } else {
        added.place = placeLarge(payload);
        added.flags |= LargePayload;
    }
    m_records.push_back(added);
    return qint64(memoryBytes()) - qint64(before);
}

bool VDLMessageHistory::equalsLatestPayload(const char *bytes, qsizetype length) const
{
    if (isEmpty())
        return false;
    const Record &latest = m_records.back();
    return latest.length == quint32(length) && std::memcmp(payloadBytes(latest), bytes, size_t(length)) == 0;
}

quint64 VDLMessageHistory::placeInArena(const char *bytes, quint32 length)
{
    if (m_chunks.empty() || m_chunks.back().capacity - m_chunks.back().used < length) {
        const quint32 grown = m_chunks.empty() ? firstChunkSize : std::min(m_chunks.back().capacity * 2, lastChunkSize);
        Chunk chunk;
        chunk.capacity = std::max(grown, length);
        chunk.bytes = std::make_unique_for_overwrite<char[]>(chunk.capacity);
        m_payloadBytes += chunk.capacity + allocationOverhead;
        m_chunks.push_back(std::move(chunk));
    }
    Chunk &chunk = m_chunks.back();
    std::memcpy(chunk.bytes.get() + chunk.used, bytes, length);
    const quint64 place = (m_firstChunk + m_chunks.size() - 1) << 32 | chunk.used;
    chunk.used += length;
    return place;
}

quint64 VDLMessageHistory::placeLarge(const QByteArray &payload)
{
    // Raw data borrowed from a receive buffer is copied; an owned array is shared.
    QByteArray kept = payload;
    if (!kept.data_ptr().isMutable())
        kept.detach();
    m_payloadBytes += quint64(kept.size()) + allocationOverhead;
    m_large.push_back(std::move(kept));
    return m_firstLarge + m_large.size() - 1;
}

const char *VDLMessageHistory::payloadBytes(const Record &record) const
{
    switch (record.flags & PlaceMask) {
    case ArenaPayload:
        return m_chunks[size_t((record.place >> 32) - m_firstChunk)].bytes.get() + (record.place & 0xffffffffu);
    case LargePayload:
        return m_large[size_t(record.place - m_firstLarge)].constData();
    default:
        return reinterpret_cast<const char *>(&record.place);
    }
}

QByteArray VDLMessageHistory::payloadAt(qsizetype index) const
{
    const Record &stored = record(index);
    if (stored.length == 0)
        return QByteArray();
    if ((stored.flags & PlaceMask) == LargePayload)
        return m_large[size_t(stored.place - m_firstLarge)];
    return QByteArray(payloadBytes(stored), qsizetype(stored.length));
}

VDLPayloadType VDLMessageHistory::payloadTypeAt(qsizetype index) const
{
    const Record &stored = record(index);
    if (stored.type == UnknownType)
        stored.type = quint8(VDLPayloadAnalysis(payloadAt(index), QString()).type());
    return VDLPayloadType(stored.type);
}

qint64 VDLMessageHistory::dropOldest(qsizetype count)
{
    const qsizetype dropped = std::clamp<qsizetype>(count, 0, size() - 1);
    if (dropped <= 0)
        return 0;
    const quint64 before = memoryBytes();
    m_firstRecord += size_t(dropped);
    m_droppedCount += quint64(dropped);
    releaseUnreferenced();
    compactRecords();
    return qint64(memoryBytes()) - qint64(before);
}

quint64 VDLMessageHistory::oldestKeptPlace(quint8 kind, quint64 none) const
{
    for (size_t index = m_firstRecord; index < m_records.size(); ++index) {
        if ((m_records[index].flags & PlaceMask) == kind)
            return m_records[index].place;
    }
    return none;
}

void VDLMessageHistory::releaseUnreferenced()
{
    // Places only grow along the history (a shared payload repeats the place before it), so
    // everything placed before the oldest kept record's payload is unreferenced.
    const quint64 keptChunk = oldestKeptPlace(ArenaPayload, (m_firstChunk + m_chunks.size()) << 32) >> 32;
    const quint64 keptLarge = oldestKeptPlace(LargePayload, m_firstLarge + m_large.size());
    // The chunk still being filled stays for the next small payload.
    const size_t chunksReleased = size_t(std::min(keptChunk - m_firstChunk, quint64(m_chunks.size()) - 1));
    for (size_t index = 0; index < chunksReleased; ++index)
        m_payloadBytes -= m_chunks[index].capacity + allocationOverhead;
    m_chunks.erase(m_chunks.begin(), m_chunks.begin() + std::ptrdiff_t(chunksReleased));
    m_firstChunk += chunksReleased;
    const size_t largeReleased = size_t(std::min(keptLarge - m_firstLarge, quint64(m_large.size())));
    for (size_t index = 0; index < largeReleased; ++index)
        m_payloadBytes -= quint64(m_large[index].size()) + allocationOverhead;
    m_large.erase(m_large.begin(), m_large.begin() + std::ptrdiff_t(largeReleased));
    m_firstLarge += largeReleased;
}

void VDLMessageHistory::compactRecords()
{
    // Amortised: records move only once half of them are dropped.
    if (m_firstRecord < m_records.size() / 2)
        return;
    m_records.erase(m_records.begin(), m_records.begin() + std::ptrdiff_t(m_firstRecord));
    m_firstRecord = 0;
    m_records.shrink_to_fit();
}

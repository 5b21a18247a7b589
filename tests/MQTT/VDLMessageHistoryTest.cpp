#include "VDLMessageHistory.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VINDLE_ADDRESS_SANITIZER 1
#endif
#endif

#ifdef VINDLE_ADDRESS_SANITIZER
#include <sanitizer/allocator_interface.h>
#else
#include <malloc.h>
#endif

namespace {

QByteArray randomBytes(QRandomGenerator &random, qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

struct Sent
{
    qint64 created;
    QByteArray payload;
    int qos;
    bool retained;
    int mid;
};

class Recorder
{
public:
    void append(VDLMessageHistory &history, const QByteArray &payload)
    {
        const Sent message{qint64(m_random.bounded(1'000'000)), payload, int(m_random.bounded(3)),
                           m_random.bounded(2) == 1, int(m_random.bounded(65536))};
        m_sent.push_back(message);
        history.append(message.created, message.payload, message.qos, message.retained, message.mid);
    }

    void expectKept(const VDLMessageHistory &history) const
    {
        const size_t firstKept = m_sent.size() - size_t(history.size());
        EXPECT_EQ(history.droppedCount(), firstKept);
        for (qsizetype index = 0; index < history.size(); ++index) {
            const Sent &expected = m_sent[firstKept + size_t(index)];
            EXPECT_EQ(history.createdAt(index), expected.created);
            EXPECT_EQ(history.payloadAt(index), expected.payload);
            EXPECT_EQ(history.payloadAt(index).isNull(), expected.payload.isEmpty()) << "none, not empty";
            EXPECT_EQ(history.qosAt(index), expected.qos);
            EXPECT_EQ(history.isRetainedAt(index), expected.retained);
            EXPECT_EQ(history.midAt(index), expected.mid);
        }
    }

    QRandomGenerator &random() { return m_random; }
    size_t count() const { return m_sent.size(); }

private:
    QRandomGenerator m_random{20};
    std::vector<Sent> m_sent;
};

// Under AddressSanitizer its own allocator keeps the books; glibc's large blocks are mapped on
// their own, outside the arenas' figure.
size_t heapInUse()
{
#ifdef VINDLE_ADDRESS_SANITIZER
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

} // namespace

TEST(VDLMessageHistory, GivesBackEveryMessageAsReceivedAcrossPayloadSizesAndDrops)
{
    // None, inline, arena and large payloads, runs of equal ones, chunks filled past their end,
    // and one of 16 MB.
    const QList<qsizetype> sizes{0, 1, 8, 9, 100, 100, 255, 257, 2048, 2049, 70'000, 70'000, 3, 0};
    VDLMessageHistory history;
    Recorder recorder;
    recorder.append(history, randomBytes(recorder.random(), 16 * 1024 * 1024));
    for (int round = 0; round < 40; ++round) {
        for (qsizetype index = 0; index < sizes.size(); ++index) {
            const bool repeat = index > 0 && sizes[index] == sizes[index - 1] && sizes[index] > 0;
            recorder.append(history, repeat ? history.payloadAt(history.size() - 1)
                                            : randomBytes(recorder.random(), sizes[index]));
        }
    }
    recorder.expectKept(history);

    // Dropping keeps the rest readable and gives the payloads' memory back.
    const quint64 before = history.memoryBytes();
    EXPECT_LT(history.dropOldest(qsizetype(recorder.count()) - 20), 0);
    EXPECT_LT(history.memoryBytes(), before / 10);
    recorder.expectKept(history);
    // The latest always stays, and appending goes on after drops.
    EXPECT_LE(history.dropOldest(1000), 0);
    EXPECT_EQ(history.size(), 1);
    recorder.append(history, "after");
    recorder.append(history, randomBytes(recorder.random(), 5000));
    recorder.expectKept(history);
    EXPECT_EQ(history.dropOldest(-1), 0);
}

TEST(VDLMessageHistory, StoresRepeatedPayloadsOnceAndAccountsForWhatItHolds)
{
    // Millions of messages as a busy broker sends them: most small, values often repeated.
    VDLMessageHistory history;
    QRandomGenerator random(4);
    const size_t heapBefore = heapInUse();
    QByteArray payload;
    for (int index = 0; index < 2'000'000; ++index) {
        if (random.bounded(4) != 0)
            payload = QByteArray::number(random.bounded(100'000)) + (index % 3 == 0 ? QByteArray(40, 'x') : QByteArray());
        if (index % 100'000 == 0)
            payload = randomBytes(random, 300'000);
        history.append(index, payload, 0, false, 0);
    }
    const double heapGrowth = double(heapInUse() - heapBefore);
    EXPECT_NEAR(double(history.memoryBytes()), heapGrowth, heapGrowth * 0.1);

    // A payload that repeats the one before it adds no payload bytes.
    VDLMessageHistory repeats;
    const QByteArray state(1000, 's');
    repeats.append(0, state, 0, false, 0);
    const quint64 afterFirst = repeats.memoryBytes();
    for (int index = 0; index < 1000; ++index)
        repeats.append(index, state, 0, false, 0);
    EXPECT_LT(repeats.memoryBytes() - afterFirst, 1000u * 64);
}

TEST(VDLMessageHistory, RemembersThePayloadClass)
{
    VDLMessageHistory history;
    for (const char *payload : {"21.5", "{\"a\":1}", "hello", "", "true"})
        history.append(0, payload, 0, false, 0);
    history.append(0, QByteArray("\xff\x00", 2), 0, false, 0);
    const QList<VDLPayloadType> expected{VDLPayloadType::Number, VDLPayloadType::JSON, VDLPayloadType::Text,
                                         VDLPayloadType::None, VDLPayloadType::Boolean, VDLPayloadType::RawData};
    for (qsizetype index = 0; index < history.size(); ++index)
        EXPECT_EQ(history.payloadTypeAt(index), expected[index]) << index;
}

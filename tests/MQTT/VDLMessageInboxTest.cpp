#include "VDLMessageHistory.h"
#include "VDLMessageInbox.h"

#include <QSemaphore>

#include <gtest/gtest.h>

#include <mosquitto.h>

#include <thread>

namespace {

bool push(VDLMessageInbox &inbox, const QString &topic, QByteArray payload, qint64 created = 0)
{
    mosquitto_message message{};
    message.payload = payload.isEmpty() ? nullptr : payload.data();
    message.payloadlen = int(payload.size());
    return inbox.push(message, topic, created);
}

std::vector<int> numbersIn(const VDLArrivalBatch &batch)
{
    std::vector<int> numbers;
    for (qsizetype index = 0; index < batch.size(); ++index)
        numbers.push_back(batch.payloadAt(index).toInt());
    return numbers;
}

} // namespace

TEST(VDLMessageInbox, OneWakePerFlowAndTheEmptyTakeEndsIt)
{
    VDLMessageInbox inbox;
    VDLArrivalBatch taken;
    EXPECT_TRUE(push(inbox, QStringLiteral("t"), "1")) << "the first arrival wakes the taker";
    EXPECT_FALSE(push(inbox, QStringLiteral("t"), "2"));
    inbox.takeAll(taken);
    EXPECT_EQ(numbersIn(taken), (std::vector<int>{1, 2}));

    // The taker lingers after a take that found messages: arrivals meanwhile wake nobody.
    EXPECT_FALSE(push(inbox, QStringLiteral("t"), "3"));
    inbox.takeAll(taken);
    EXPECT_EQ(taken.size(), 1);
    inbox.takeAll(taken);
    EXPECT_TRUE(taken.isEmpty());
    EXPECT_TRUE(push(inbox, QStringLiteral("t"), "4")) << "after an empty take the next arrival wakes again";
}

TEST(VDLArrivalBatch, CarriesEveryPartOfSmallLargeAndMissingPayloads)
{
    const QByteArray large(VDLMessageHistory::largePayloadSize + 1, 'L');
    VDLArrivalBatch batch;
    for (const QByteArray &payload : {QByteArray("small"), large, QByteArray()}) {
        mosquitto_message message{};
        QByteArray bytes = payload;
        message.payload = bytes.isEmpty() ? nullptr : bytes.data();
        message.payloadlen = int(bytes.size());
        message.qos = 2;
        message.retain = true;
        message.mid = 65535;
        batch.append(message, QStringLiteral("a/b"), 42);
    }
    VDLArrivalBatch held;
    for (qsizetype index = 0; index < batch.size(); ++index)
        held.appendFrom(batch, index);
    batch.clear();
    ASSERT_EQ(held.size(), 3);
    EXPECT_EQ(held.payloadAt(0), "small");
    EXPECT_EQ(held.payloadAt(1), large);
    EXPECT_TRUE(held.payloadAt(2).isNull());
    EXPECT_EQ(held.topicAt(1), QStringLiteral("a/b"));
    EXPECT_EQ(held.createdAt(1), 42);
    EXPECT_EQ(held.qosAt(1), 2);
    EXPECT_TRUE(held.isRetainedAt(1));
    EXPECT_EQ(held.midAt(1), 65535);
}

// The protocol of the client: a push that answers true posts one wake; the woken taker takes
// until a take comes back empty. No message may be stranded without a wake, none may come twice,
// and each producer's messages stay in the order it pushed them.
TEST(VDLMessageInbox, ProducersOnOtherThreadsLoseNothingAndKeepTheirOrder)
{
    constexpr int producers = 2;
    constexpr int perProducer = 20000;
    VDLMessageInbox inbox;
    QSemaphore wakes;
    std::vector<std::thread> threads;
    for (int producer = 0; producer < producers; ++producer) {
        threads.emplace_back([&inbox, &wakes, producer] {
            const QString topic = QString::number(producer);
            for (int count = 0; count < perProducer; ++count) {
                if (push(inbox, topic, QByteArray::number(count)))
                    wakes.release();
            }
        });
    }

    std::vector<int> next(producers, 0);
    int received = 0;
    bool inOrder = true;
    while (received < producers * perProducer) {
        if (!wakes.tryAcquire(1, 10000))
            break; // a stranded message: nobody was woken for it
        VDLArrivalBatch taken;
        for (inbox.takeAll(taken); !taken.isEmpty(); inbox.takeAll(taken)) {
            for (qsizetype index = 0; index < taken.size(); ++index) {
                const int producer = taken.topicAt(index).toInt();
                inOrder = inOrder && taken.payloadAt(index).toInt() == next[producer];
                ++next[producer];
                ++received;
            }
        }
    }
    for (std::thread &thread : threads)
        thread.join();

    EXPECT_EQ(received, producers * perProducer);
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(wakes.available(), 0) << "a wake without a take behind it";
}

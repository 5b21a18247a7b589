#include "MessageFactory.h"
#include "VDLMessageInbox.h"

#include <QSemaphore>

#include <gtest/gtest.h>

#include <thread>

namespace {

int numberOf(const VDLMessagePtr &message)
{
    return message->payload().toInt();
}

} // namespace

TEST(VDLMessageInbox, OneWakePerFlowAndTheEmptyTakeEndsIt)
{
    VDLMessageInbox inbox;
    EXPECT_TRUE(inbox.push(makeMessage("t", "1"))) << "the first arrival wakes the taker";
    EXPECT_FALSE(inbox.push(makeMessage("t", "2")));
    std::vector<VDLMessagePtr> taken = inbox.takeAll();
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(numberOf(taken[0]), 1);
    EXPECT_EQ(numberOf(taken[1]), 2);

    // The taker lingers after a take that found messages: arrivals meanwhile wake nobody.
    EXPECT_FALSE(inbox.push(makeMessage("t", "3")));
    EXPECT_EQ(inbox.takeAll().size(), 1u);
    EXPECT_TRUE(inbox.takeAll().empty());
    EXPECT_TRUE(inbox.push(makeMessage("t", "4"))) << "after an empty take the next arrival wakes again";
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
            const QByteArray topic = QByteArray::number(producer);
            for (int count = 0; count < perProducer; ++count) {
                if (inbox.push(makeMessage(topic, QByteArray::number(count))))
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
        for (std::vector<VDLMessagePtr> taken = inbox.takeAll(); !taken.empty(); taken = inbox.takeAll()) {
            for (const VDLMessagePtr &message : taken) {
                const int producer = message->topic().toInt();
                inOrder = inOrder && numberOf(message) == next[producer];
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

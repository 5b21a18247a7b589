#include "VDLHistoryBudget.h"
#include "VDLTopic.h"

#include <gtest/gtest.h>

namespace {

quint64 treeMemory(const VDLTopic &root)
{
    quint64 used = root.history().memoryBytes();
    for (const VDLTopic *child : root.subTopics())
        used += treeMemory(*child);
    return used;
}

void fill(VDLTopic &topic, int count, qint64 &clock)
{
    for (int index = 0; index < count; ++index)
        topic.addMessage(++clock, QByteArray(100, char('a' + index % 26)) + QByteArray::number(index), 0, index % 2 == 0, 0);
}

} // namespace

TEST(VDLHistoryBudget, DropsTheOldestOfTheLongestHistoriesAndKeepsLatestMessagesAndCounts)
{
    VDLTopic root;
    qint64 clock = 0;
    VDLTopic *const chatty = root.subtopicNamed(u"chatty");
    VDLTopic *const busy = root.subtopicNamed(u"busy");
    QList<VDLTopic *> quiet;
    fill(*chatty, 20'000, clock);
    fill(*busy, 5'000, clock);
    for (int index = 0; index < 50; ++index) {
        quiet.append(root.subtopicNamed(QString::number(index)));
        fill(*quiet.back(), 3, clock);
    }
    const quint64 totalBefore = root.totalMessages();
    const quint64 retainedBefore = root.totalRetainedTopics();
    const QByteArray chattyLatest = chatty->history().payloadAt(chatty->history().size() - 1);

    VDLHistoryBudget budget;
    budget.noteGrowth(qint64(treeMemory(root)));
    EXPECT_FALSE(budget.enforce(root)) << "no budget, no trimming";

    budget.setLimit(treeMemory(root) / 3);
    EXPECT_TRUE(budget.enforce(root));
    EXPECT_LE(treeMemory(root), budget.limit());
    // The longest history lost the most; the short ones lost nothing.
    EXPECT_GT(chatty->history().droppedCount(), busy->history().droppedCount());
    EXPECT_GT(chatty->history().droppedCount(), 10'000u);
    for (const VDLTopic *topic : quiet)
        EXPECT_EQ(topic->history().size(), 3);
    // Latest messages, received counts and totals stay.
    EXPECT_EQ(chatty->history().payloadAt(chatty->history().size() - 1), chattyLatest);
    EXPECT_EQ(chatty->receivedMessageCount(), 20'000u);
    EXPECT_EQ(chatty->latestMessage()->sequence(), 19'999);
    EXPECT_EQ(root.totalMessages(), totalBefore);
    EXPECT_EQ(root.totalRetainedTopics(), retainedBefore);

    // A budget smaller than the latest messages leaves each topic its latest one.
    budget.setLimit(1);
    budget.noteGrowth(1);
    budget.enforce(root);
    EXPECT_EQ(chatty->history().size(), 1);
    EXPECT_EQ(busy->history().size(), 1);
    EXPECT_EQ(root.totalMessages(), totalBefore);
}

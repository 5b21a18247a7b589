#include "MessageFactory.h"
#include "MockClock.h"
#include "VDLClient.h"
#include "VDLTopic.h"
#include "VDLTopicComparator.h"
#include "VDLTopicSortOrder.h"
#include "VOKPreferences.h"

#include <QSignalSpy>

#include <random>

#include <gtest/gtest.h>

namespace {

QStringList namesOf(const QList<VDLTopic *> &topics)
{
    QStringList names;
    for (const VDLTopic *topic : topics)
        names.append(topic->name());
    return names;
}

QList<VDLTopic *> sortedChildren(const VDLTopic &parent, quint64 order)
{
    QList<VDLTopic *> children = parent.subTopics();
    VDLTopicComparator(order).sort(children);
    return children;
}

} // namespace

TEST(VDLTopicComparator, OrdersByNameCreationAndCounts)
{
    MockClock clock(QDateTime::fromMSecsSinceEpoch(1'000'000));
    VDLTopic root;
    // Made in this order, one second apart: light10, light2, Big, big.
    VDLTopic *const light10 = root.subtopicNamed(u"light10");
    clock.advanceSeconds(1);
    VDLTopic *const light2 = root.subtopicNamed(u"light2");
    clock.advanceSeconds(1);
    VDLTopic *const big = root.subtopicNamed(u"Big");
    clock.advanceSeconds(1);
    root.subtopicNamed(u"big");
    for (int index = 0; index < 10; ++index)
        big->subtopicNamed(QString::number(index))->addMessage(makeMessage("Big/x", "1"));
    for (int index = 0; index < 3; ++index)
        light10->subtopicNamed(QString::number(index))->addMessage(makeMessage("light10/x", "1"));
    for (const char *name : {"a", "b", "c", "d", "e"})
        light2->addMessage(makeMessage("light2", name));

    // Trailing numbers compare as numbers; names equal but for case by their exact text.
    EXPECT_EQ(namesOf(sortedChildren(root, 0)), (QStringList{"Big", "big", "light2", "light10"}));
    EXPECT_EQ(namesOf(sortedChildren(root, 1)), (QStringList{"light10", "light2", "Big", "big"}));
    EXPECT_EQ(namesOf(sortedChildren(root, 2)), (QStringList{"Big", "light10", "light2", "big"}));
    EXPECT_EQ(namesOf(sortedChildren(root, 3)), (QStringList{"Big", "light2", "light10", "big"}));
    // Any other number keeps the order of arrival.
    EXPECT_EQ(namesOf(sortedChildren(root, 7)), (QStringList{"light10", "light2", "Big", "big"}));
}

TEST(VDLTopicComparator, FlatteningListsSiblingsAsTheOutlineDoesEvenForInconsistentNames)
{
    // "ab9" < "ab10" < "aB9" < "ab9": no consistent order exists; sorting must still finish, keep
    // every topic, repeat itself, and search (which flattens) must meet topics in outline order.
    VDLTopic root;
    std::mt19937 random(7);
    for (int index = 0; index < 2000; ++index) {
        const QString stem = QString::fromLatin1(random() % 2 ? "a" : "A") + QString::fromLatin1(random() % 2 ? "b" : "B");
        VDLTopic *const child = root.subtopicNamed(stem + QString::number(random() % 100));
        child->subtopicNamed(QString::number(random() % 20))->addMessage(makeMessage("x", "1"));
    }
    for (const quint64 order : {0, 1, 2, 3}) {
        const QList<VDLTopic *> sorted = sortedChildren(root, order);
        EXPECT_EQ(sorted, sortedChildren(root, order));
        QList<VDLTopic *> flat;
        root.flattenInto(flat, VDLTopicComparator(order).sortDescriptors());
        QList<VDLTopic *> expected{&root};
        for (VDLTopic *child : sorted)
            expected += QList<VDLTopic *>{child} + sortedChildren(*child, order);
        EXPECT_EQ(flat, expected) << "order " << order;
    }
}

TEST(VDLTopicSortOrder, IsWrittenAtOnceAndReadBack)
{
    VOKPreferences::standard().removeObjectForKey(VDLTopicSortOrder::PreferencesKey);
    VDLTopicSortOrder order;
    EXPECT_EQ(order.tokenSortOrder(), 0u);
    QSignalSpy changes(&order, &VDLTopicSortOrder::tokenSortOrderChanged);
    order.setTokenSortOrder(3);
    order.setTokenSortOrder(3);
    EXPECT_EQ(changes.size(), 1);
    EXPECT_EQ(VOKPreferences::standard().integerForKey(QStringLiteral("VLDTokenSortOrder")), 3);
    EXPECT_EQ(VDLTopicSortOrder().tokenSortOrder(), 3u);
    EXPECT_EQ(order.topicSortDescriptors().first().key(), QStringLiteral("totalMessages"));
    order.setTokenSortOrder(9);
    EXPECT_TRUE(order.topicSortDescriptors().isEmpty());
    EXPECT_EQ(order.comparator().order(), 9u);
}

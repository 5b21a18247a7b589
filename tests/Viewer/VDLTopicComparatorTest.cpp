#include "MessageFactory.h"
#include "VDLClient.h"
#include "VDLTopic.h"
#include "VDLTopicComparator.h"
#include "VDLTopicSortOrder.h"
#include "VOKPreferences.h"

#include <QSignalSpy>

#include <algorithm>
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
    VDLTopic root;
    VDLTopic *const light10 = root.subtopicNamed(u"light10");
    VDLTopic *const light2 = root.subtopicNamed(u"light2");
    VDLTopic *const big = root.subtopicNamed(u"Big");
    for (int index = 0; index < 10; ++index)
        big->subtopicNamed(QString::number(index))->addMessage(makeMessage("Big/x", "1"));
    for (int index = 0; index < 3; ++index)
        light10->subtopicNamed(QString::number(index))->addMessage(makeMessage("light10/x", "1"));
    light2->addMessage(makeMessage("light2", "1"));
    light2->addMessage(makeMessage("light2", "2"));

    EXPECT_EQ(namesOf(sortedChildren(root, 0)), (QStringList{"Big", "light2", "light10"}));
    EXPECT_EQ(namesOf(sortedChildren(root, 2)), (QStringList{"Big", "light10", "light2"}));
    EXPECT_EQ(namesOf(sortedChildren(root, 3)), (QStringList{"Big", "light10", "light2"}));
    // Equal counts fall back to the name; any other number keeps the order of arrival.
    light2->subtopicNamed(u"a")->addMessage(makeMessage("light2/a", "1"));
    light2->subtopicNamed(u"b")->addMessage(makeMessage("light2/b", "1"));
    EXPECT_EQ(namesOf(sortedChildren(root, 2)), (QStringList{"Big", "light2", "light10"}));
    EXPECT_EQ(namesOf(sortedChildren(root, 7)), (QStringList{"light10", "light2", "Big"}));
    // Names equal but for case are still told apart, the same way every time.
    VDLTopic *const upper = root.subtopicNamed(u"LIGHT2");
    EXPECT_EQ(VDLTopicComparator(0).compare(upper, light2), -VDLTopicComparator(0).compare(light2, upper));
    EXPECT_NE(VDLTopicComparator(0).compare(upper, light2), 0);
    EXPECT_NE(VDLTopicComparator(1).compare(light10, light2), 0);
}

TEST(VDLTopicComparator, InconsistentNameMixesSortSafelyAndRepeatably)
{
    // "a9" < "a10" < "A9" < "a9": no consistent order exists, the sort must still finish.
    VDLTopic root;
    std::mt19937 random(7);
    for (int index = 0; index < 2000; ++index) {
        const QString stem = QString::fromLatin1(random() % 2 ? "a" : "A") + QString::fromLatin1(random() % 2 ? "b" : "B");
        root.subtopicNamed(stem + QString::number(random() % 100));
    }
    const QList<VDLTopic *> once = sortedChildren(root, 0);
    EXPECT_EQ(once, sortedChildren(root, 0));
    QList<VDLTopic *> expected = root.subTopics();
    QList<VDLTopic *> actual = once;
    std::sort(expected.begin(), expected.end());
    std::sort(actual.begin(), actual.end());
    EXPECT_EQ(actual, expected);
}

TEST(VDLTopicComparator, DescriptorsFlattenInTheSameOrder)
{
    VDLTopic root;
    for (const char *topic : {"b/1", "b/2", "a/1", "c/9", "c/10", "c/11", "c/2"}) {
        const QString name = QString::fromLatin1(topic);
        root.subtopicNamed(name.section('/', 0, 0))->subtopicNamed(name.section('/', 1))->addMessage(makeMessage(topic, "1"));
    }
    // Creation order is left out: nodes made within one millisecond tie there.
    for (const quint64 order : {0, 2, 3, 4}) {
        QList<VDLTopic *> flat;
        root.flattenInto(flat, VDLTopicComparator(order).sortDescriptors());
        QList<VDLTopic *> expected{&root};
        for (VDLTopic *child : sortedChildren(root, order)) {
            expected.append(child);
            expected.append(sortedChildren(*child, order));
        }
        EXPECT_EQ(namesOf(flat), namesOf(expected)) << "order " << order;
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

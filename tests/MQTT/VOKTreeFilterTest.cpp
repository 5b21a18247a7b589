#include "MessageFactory.h"
#include "VDLClient.h"
#include "VDLTopic.h"
#include "VOKTreeFilter.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

// root -> a -> {b, c}, root -> d, filtered by a client's filter.
struct FilteredTree
{
    VDLClient client{QStringLiteral("127.0.0.1")};
    VDLTopic root;
    VDLTopic *a;
    VDLTopic *b;
    VDLTopic *c;
    VDLTopic *d;
    VOKTreeFilter &filter = *client.treeFilter();

    FilteredTree()
    {
        root.setClient(&client);
        a = root.subtopicNamed(u"a");
        b = a->subtopicNamed(u"b");
        c = a->subtopicNamed(u"c");
        d = root.subtopicNamed(u"d");
    }
    void match(const QString &name)
    {
        filter.setPredicate([name](const QObject *node) { return node->property("name").toString() == name; });
        filter.updateWithRoots({&root});
    }
};

} // namespace

TEST(VOKTreeFilter, KeepsMatchesAndTheirAncestors)
{
    FilteredTree tree;
    tree.match(QStringLiteral("b"));
    EXPECT_EQ(tree.filter.visibleObjects()->size(), 3);
    EXPECT_EQ(tree.filter.filteredChildrenOf(tree.a), QObjectList{tree.b});
    EXPECT_EQ(tree.root.filteredSubTopics(), QList<VDLTopic *>{tree.a});
    EXPECT_FALSE(tree.filter.isVisible(tree.d));
    // Nodes added after the computation stay hidden until the next one.
    VDLTopic *const late = tree.a->subtopicNamed(u"b2");
    EXPECT_FALSE(tree.filter.isVisible(late));

    tree.match(QStringLiteral("nothing"));
    EXPECT_TRUE(tree.filter.visibleObjects()->isEmpty());
    EXPECT_TRUE(tree.root.filteredSubTopics().isEmpty());

    tree.filter.setPredicate({});
    EXPECT_EQ(tree.a->filteredSubTopics(), tree.a->subTopics());
}

TEST(VOKTreeFilter, AnnouncesEachChangedParentOnce)
{
    FilteredTree tree;
    tree.match(QStringLiteral("b"));
    tree.filter.fireKVOForChangedParents();
    tree.match(QStringLiteral("b"));
    EXPECT_TRUE(tree.filter.changedParents().isEmpty());

    tree.match(QStringLiteral("c"));
    EXPECT_EQ(tree.filter.changedParents(), QObjectList{tree.a});
    tree.filter.setFilteredChildrenKeyPath(QString());
    tree.filter.fireKVOForChangedParents();
    EXPECT_EQ(tree.filter.changedParents().size(), 1);

    tree.filter.setFilteredChildrenKeyPath(QStringLiteral("filteredSubTopics"));
    QSignalSpy announced(tree.a, &VDLTopic::filteredSubTopicsChanged);
    tree.filter.fireKVOForChangedParents();
    EXPECT_EQ(announced.count(), 1);
    EXPECT_TRUE(tree.filter.changedParents().isEmpty());
}

TEST(VOKTreeFilter, SurvivesDeletedNodesAndDeepTrees)
{
    FilteredTree tree;
    tree.match(QStringLiteral("b"));
    tree.b->recursiveDelete();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(tree.filter.isVisible(tree.c));
    tree.match(QStringLiteral("c"));
    EXPECT_EQ(tree.filter.changedParents(), QObjectList{tree.a});

    VDLTopic *node = tree.d;
    for (int level = 0; level < 40000; ++level)
        node = node->subtopicNamed(u"x");
    node->addMessage(makeMessage("deep", "1"));
    tree.filter.setPredicate([](const QObject *candidate) {
        return !static_cast<const VDLTopic *>(candidate)->history().isEmpty();
    });
    tree.filter.updateWithRoots({&tree.root});
    EXPECT_EQ(tree.filter.visibleObjects()->size(), 40002);
}

TEST(VOKTreeFilter, PassingNodesAndAccessorsAgreeWithTheWalkByName)
{
    FilteredTree tree;
    const QObjectList passing{tree.b, tree.d};
    const auto passes = [passing](const QObject *node) { return passing.contains(node); };
    VOKTreeFilter byName;
    byName.setChildrenKeyPath(QStringLiteral("subTopics"));
    byName.setPredicate(passes);
    byName.updateWithRoots({&tree.root});
    tree.filter.setPredicate(passes);
    tree.filter.updateWithPassingNodes(passing);

    const auto asSet = [](const QObjectList &nodes) { return QSet<QObject *>(nodes.cbegin(), nodes.cend()); };
    EXPECT_EQ(asSet(*tree.filter.visibleObjects()), asSet(*byName.visibleObjects()));
    EXPECT_EQ(asSet(tree.filter.changedParents()), asSet(byName.changedParents()));
    EXPECT_EQ(asSet(byName.visibleObjects().value()), (QSet<QObject *>{&tree.root, tree.a, tree.b, tree.d}));
}

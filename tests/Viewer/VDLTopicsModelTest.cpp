#include "MessageFactory.h"
#include "VDLClient.h"
#include "VDLTopic.h"
#include "VDLTopicsModel.h"
#include "VDLTreeChange.h"
#include "VOKAttributedString.h"
#include "VOKModelIndexPaths.h"
#include "VOKOutlineView.h"

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A tree without a broker, shown through a model that is checked after every signal.
struct Outline
{
    VDLClient client{QStringLiteral("127.0.0.1"), 1884};
    VDLTopic root;
    VDLTopicsModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};

    explicit Outline(quint64 order = 0)
    {
        root.setClient(&client);
        model.setComparator(VDLTopicComparator(order));
        model.setRootTopic(&root);
    }

    VDLTopic *file(const QByteArray &topic, const QByteArray &payload = "1", bool retained = false)
    {
        VDLTopic *node = &root;
        for (const QByteArray &level : topic.split('/'))
            node = node->subtopicNamed(QString::fromUtf8(level));
        node->addMessage(makeMessage(topic, payload, retained));
        return node;
    }

    QModelIndex indexOf(const QByteArray &topic)
    {
        return model.indexOfTopic(root.topicAtRelativePath(QString::fromUtf8(topic)));
    }

    QStringList rowNames(const QModelIndex &parent) const
    {
        QStringList names;
        for (int row = 0; row < model.rowCount(parent); ++row)
            names.append(model.index(row, VDLTopicsModel::NameColumn, parent).data().toString());
        return names;
    }

    void match(const QString &name)
    {
        client.updateTreeFilter([name](const QObject *node) { return node->property("name").toString() == name; },
                                {&root});
    }

    void clearFilter() { client.updateTreeFilter({}, {&root}); }
};

} // namespace

TEST(VDLTopicsModel, ShowsTheRootAboveSortedChildrenAndInsertsInPlace)
{
    Outline outline;
    outline.file("home/light10");
    outline.file("home/light2");
    outline.file("Garden/pump");
    ASSERT_EQ(outline.model.rowCount(), 1);
    const QModelIndex root = outline.model.index(0, 0);
    EXPECT_EQ(root.data().toString(), QStringLiteral("mqtt://127.0.0.1:1884"));
    EXPECT_EQ(outline.rowNames(root), (QStringList{"Garden", "home"}));
    const QModelIndex home = outline.indexOf("home");
    EXPECT_EQ(outline.rowNames(home), (QStringList{"light2", "light10"}));
    EXPECT_EQ(outline.model.parent(outline.indexOf("home/light2")), home);

    // A selected row keeps its topic while siblings arrive before it.
    const QPersistentModelIndex selected(outline.indexOf("home/light10"));
    QSignalSpy inserted(&outline.model, &QAbstractItemModel::rowsInserted);
    QSignalSpy resets(&outline.model, &QAbstractItemModel::modelReset);
    outline.file("home/light1");
    outline.file("home/light3/level");
    ASSERT_EQ(inserted.size(), 3);
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(inserted[1][1].toInt(), 2);
    EXPECT_EQ(outline.rowNames(home), (QStringList{"light1", "light2", "light3", "light10"}));
    EXPECT_EQ(selected.row(), 3);
    EXPECT_EQ(VDLTopicsModel::topicAt(selected)->name(), QStringLiteral("light10"));
    EXPECT_EQ(resets.size(), 0);
}

TEST(VDLTopicsModel, MessagesChangeCellsOnceTheyAreFlushed)
{
    Outline outline;
    VDLTopic *const temperature = outline.file("home/temperature", "21.5", true);
    QSignalSpy changed(&outline.model, &QAbstractItemModel::dataChanged);
    temperature->addMessage(makeMessage("home/temperature", "22", true));
    temperature->addMessage(makeMessage("home/temperature", "23", true));
    EXPECT_EQ(changed.size(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return changed.size() == 3; }));
    QSet<QString> rows;
    for (const QList<QVariant> &signal : changed)
        rows.insert(signal[0].toModelIndex().data().toString());
    EXPECT_EQ(rows, (QSet<QString>{"temperature", "home", "mqtt://127.0.0.1:1884"}));

    const QModelIndex row = outline.indexOf("home/temperature");
    const QModelIndex summary = row.siblingAtColumn(VDLTopicsModel::SummaryColumn);
    EXPECT_EQ(summary.data().toString(), temperature->messageSummary());
    EXPECT_TRUE(summary.data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
    EXPECT_EQ(summary.data(VDLTopicsModel::AttributedRole).value<VOKAttributedString>().string(),
              temperature->messageSummary());
    EXPECT_EQ(row.siblingAtColumn(VDLTopicsModel::InfoColumn).data().toString(), QStringLiteral("1 3"));
    EXPECT_TRUE(row.siblingAtColumn(VDLTopicsModel::RetainedColumn).data(VDLTopicsModel::AttributedRole).isValid());
    EXPECT_EQ(row.data(VDLTopicsModel::TopicRole).value<VDLTopic *>(), temperature);
    outline.file("home/text", "hello");
    outline.model.flushPendingChanges();
    EXPECT_FALSE(outline.indexOf("home/text").siblingAtColumn(VDLTopicsModel::SummaryColumn).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
    EXPECT_FALSE(outline.indexOf("home").siblingAtColumn(VDLTopicsModel::RetainedColumn).data().isValid());
}

TEST(VDLTopicsModel, CountOrdersMoveRowsLive)
{
    Outline outline(3);
    for (const char *topic : {"a", "b", "c", "d"})
        outline.file(topic);
    outline.model.flushPendingChanges();
    const QModelIndex root = outline.model.index(0, 0);
    EXPECT_EQ(outline.rowNames(root), (QStringList{"a", "b", "c", "d"}));

    const QPersistentModelIndex selected(outline.indexOf("c"));
    QSignalSpy moved(&outline.model, &QAbstractItemModel::rowsMoved);
    outline.file("c");
    outline.file("d");
    outline.file("d");
    outline.model.flushPendingChanges();
    EXPECT_EQ(outline.rowNames(root), (QStringList{"d", "c", "a", "b"}));
    EXPECT_EQ(moved.size(), 2);
    EXPECT_EQ(selected.row(), 1);

    // Many rows at once re-sort through one layout change of their parent.
    QSignalSpy layouts(&outline.model, &QAbstractItemModel::layoutChanged);
    for (int index = 0; index < 20; ++index)
        outline.file("many/" + QByteArray::number(index));
    outline.model.flushPendingChanges();
    for (int index = 0; index < 20; ++index) {
        for (int repeat = 0; repeat < index % 7; ++repeat)
            outline.file("many/" + QByteArray::number(index));
    }
    outline.model.flushPendingChanges();
    EXPECT_GE(layouts.size(), 1);
    EXPECT_EQ(outline.rowNames(outline.indexOf("many")).mid(0, 4), (QStringList{"6", "13", "5", "12"}));
    EXPECT_EQ(outline.rowNames(root).first(), QStringLiteral("many"));
    EXPECT_EQ(VDLTopicsModel::topicAt(selected)->name(), QStringLiteral("c"));

    // Choosing another order re-sorts every level and keeps the selection.
    outline.model.setComparator(VDLTopicComparator(0));
    EXPECT_EQ(outline.rowNames(root), (QStringList{"a", "b", "c", "d", "many"}));
    EXPECT_EQ(selected.row(), 2);
    outline.model.setComparator(VDLTopicComparator(42));
    EXPECT_EQ(outline.rowNames(outline.indexOf("many")).mid(0, 3), (QStringList{"0", "1", "2"}));
}

TEST(VDLTopicsModel, DeletionRemovesRowsAndTheirIndexes)
{
    Outline outline;
    outline.file("a/b/c");
    outline.file("a/b/d");
    outline.file("a/e");
    outline.file("f");
    const QPersistentModelIndex deep(outline.indexOf("a/b/c"));
    const QPersistentModelIndex kept(outline.indexOf("f"));
    QSignalSpy removed(&outline.model, &QAbstractItemModel::rowsRemoved);
    outline.root.topicAtRelativePath(QStringLiteral("a/b"))->recursiveDelete();
    EXPECT_FALSE(deep.isValid());
    EXPECT_EQ(removed.size(), 3);
    EXPECT_EQ(outline.rowNames(outline.indexOf("a")), QStringList{"e"});
    outline.root.recursiveDelete();
    EXPECT_EQ(outline.model.rowCount(), 1);
    EXPECT_EQ(outline.model.rowCount(outline.model.index(0, 0)), 0);
    EXPECT_FALSE(kept.isValid());
    // Cell changes gathered for removed rows are dropped, not applied to freed topics.
    outline.file("g");
    outline.root.recursiveDelete();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    outline.model.flushPendingChanges();
}

TEST(VDLTopicsModel, OneNoticeOfArrivalsAndDeparturesGivesTheSameRows)
{
    Outline outline;
    outline.file("a/x");
    outline.file("a/y");
    outline.file("b");
    const QPersistentModelIndex y(outline.indexOf("a/y"));
    QSignalSpy inserted(&outline.model, &QAbstractItemModel::rowsInserted);
    {
        const VDLTreeChange batch(&outline.client);
        // A child that comes and goes unseen, a known one that goes, new ones and a new subtree.
        outline.file("a/brief")->recursiveDelete();
        outline.root.topicAtRelativePath(QStringLiteral("a/x"))->recursiveDelete();
        outline.file("a/z");
        outline.file("c/d/e");
        outline.file("b/f");
        EXPECT_EQ(inserted.size(), 0);
    }
    const QModelIndex root = outline.model.index(0, 0);
    EXPECT_EQ(outline.rowNames(root), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(outline.rowNames(outline.indexOf("a")), (QStringList{"y", "z"}));
    EXPECT_EQ(outline.rowNames(outline.indexOf("b")), QStringList{"f"});
    EXPECT_EQ(outline.rowNames(outline.indexOf("c/d")), QStringList{"e"});
    EXPECT_EQ(y.row(), 0);
    // Later arrivals still find their place: the known children were counted right.
    outline.file("a/w");
    EXPECT_EQ(outline.rowNames(outline.indexOf("a")), (QStringList{"w", "y", "z"}));
}

TEST(VDLTopicsModel, FilterChangesRelayoutTheirParents)
{
    Outline outline;
    outline.file("a/b");
    outline.file("a/c");
    outline.file("d");
    const QPersistentModelIndex b(outline.indexOf("a/b"));
    const QPersistentModelIndex c(outline.indexOf("a/c"));
    QSignalSpy layouts(&outline.model, &QAbstractItemModel::layoutChanged);
    outline.match(QStringLiteral("c"));
    EXPECT_GE(layouts.size(), 2);
    const QModelIndex root = outline.model.index(0, 0);
    EXPECT_EQ(outline.rowNames(root), QStringList{"a"});
    EXPECT_EQ(outline.rowNames(outline.indexOf("a")), QStringList{"c"});
    EXPECT_FALSE(b.isValid());
    EXPECT_EQ(c.row(), 0);
    // New topics stay hidden until the filter is computed again.
    outline.file("a/cc/c");
    EXPECT_EQ(outline.rowNames(outline.indexOf("a")), QStringList{"c"});

    outline.clearFilter();
    EXPECT_EQ(outline.rowNames(root), (QStringList{"a", "d"}));
    EXPECT_EQ(outline.rowNames(outline.indexOf("a")), (QStringList{"b", "c", "cc"}));
    EXPECT_EQ(outline.rowNames(outline.indexOf("a/cc")), QStringList{"c"});
    EXPECT_EQ(c.row(), 1);
}

TEST(VDLTopicsModel, FollowsItsRootOnlyWhileItExists)
{
    VDLTopicsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.index(0, 0).isValid());
    {
        VDLTopic root;
        root.subtopicNamed(u"a")->subtopicNamed(u"b");
        model.setRootTopic(&root);
        EXPECT_EQ(model.rowCount(model.index(0, 0)), 1);
        EXPECT_FALSE(model.index(0, 0, model.index(0, 1)).isValid());
        EXPECT_FALSE(model.indexOfTopic(&root, VDLTopicsModel::ColumnCount).isValid());
    }
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.rootTopic(), nullptr);
}

TEST(VDLTopicsModel, AnOutlineKeepsExpansionAndSelectionWhileMessagesArrive)
{
    Outline outline(3);
    outline.file("home/kitchen/light");
    outline.file("home/kitchen/switch");
    outline.file("office/lamp");
    VOKOutlineView view;
    view.setModel(&outline.model);
    view.setRepresentedObjectRole(VDLTopicsModel::TopicRole);
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.expandRecursively(outline.model.index(0, 0));
    const QModelIndex switchRow = outline.indexOf("home/kitchen/switch");
    view.selectionModel()->select(switchRow, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view.vokSnapshotTake();

    // Siblings arrive before the selected row, counts re-sort it, a collapsed leaf gains a child.
    for (const char *topic : {"home/kitchen/a", "home/kitchen/b", "aaa/x", "home/kitchen/switch", "home/kitchen/switch",
                              "office/lamp/bulb"})
        outline.file(topic);
    outline.model.flushPendingChanges();
    const QModelIndex movedSwitch = outline.indexOf("home/kitchen/switch");
    EXPECT_EQ(movedSwitch.row(), 0);
    EXPECT_EQ(view.selectionModel()->selectedRows(), QModelIndexList{movedSwitch});
    EXPECT_TRUE(view.isExpanded(outline.indexOf("home/kitchen")));
    EXPECT_TRUE(view.isExpanded(outline.indexOf("office")));
    EXPECT_TRUE(outline.model.hasChildren(outline.indexOf("office/lamp")));

    // The snapshot finds the same topics again after the tree changed.
    view.collapseAll();
    view.clearSelection();
    view.vokSnapshotApply();
    EXPECT_EQ(view.selectionModel()->selectedRows(), QModelIndexList{movedSwitch});
    EXPECT_TRUE(view.isExpanded(outline.indexOf("home/kitchen")));
    EXPECT_EQ(VOKModelIndexPaths::indexPathOfObject(outline.model, movedSwitch.data(VDLTopicsModel::TopicRole).value<VDLTopic *>(),
                                                    VDLTopicsModel::TopicRole),
              (VOKIndexPath{0, 0, 0, 0}));
}

TEST(VDLTopicsModel, TheDeepestTopicsAreShownAndRemovedWithoutRecursion)
{
    // 32,768 levels is what the longest topic name a broker accepts can make.
    Outline outline;
    VDLTopic *node = &outline.root;
    for (int level = 0; level < 32768; ++level)
        node = node->subtopicNamed(u"x");
    node->addMessage(makeMessage("x", "1"));
    outline.model.flushPendingChanges();
    EXPECT_EQ(outline.model.indexOfTopic(node).parent().parent().data(VDLTopicsModel::TopicRole).value<VDLTopic *>(),
              node->parentTopic()->parentTopic());
    EXPECT_EQ(VOKModelIndexPaths::indexPathOfObject(outline.model, node, VDLTopicsModel::TopicRole)->length(), 32769);
    outline.model.setComparator(VDLTopicComparator(2));
    outline.root.recursiveDelete();
    EXPECT_EQ(outline.model.rowCount(outline.model.index(0, 0)), 0);
}

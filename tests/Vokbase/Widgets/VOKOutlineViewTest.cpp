#include "VOKModelIndexPaths.h"
#include "VOKOutlineView.h"

#include <QKeyEvent>
#include <QStandardItemModel>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A tree of standard items, each standing for a QObject named like its text.
struct ObjectTree
{
    QStandardItemModel model;
    std::vector<std::unique_ptr<QObject>> objects;

    QStandardItem *item(const QString &name)
    {
        objects.push_back(std::make_unique<QObject>());
        objects.back()->setObjectName(name);
        auto *const item = new QStandardItem(name);
        item->setData(QVariant::fromValue(objects.back().get()), Qt::UserRole);
        return item;
    }
    QStandardItem *add(QStandardItem *parent, const QString &name)
    {
        QStandardItem *const child = item(name);
        (parent ? parent : model.invisibleRootItem())->appendRow(child);
        return child;
    }
    QObject *object(const QString &name) const
    {
        for (const auto &object : objects) {
            if (object->objectName() == name)
                return object.get();
        }
        return nullptr;
    }
};

QStringList namesOf(const QList<QObject *> &objects)
{
    QStringList names;
    for (const QObject *object : objects)
        names.append(object->objectName());
    return names;
}

} // namespace

TEST(VOKOutlineView, SnapshotsFollowObjectsAcrossInsertionsAndMoves)
{
    ObjectTree tree;
    QStandardItem *const a = tree.add(nullptr, "A");
    tree.add(a, "a1");
    QStandardItem *const a2 = tree.add(a, "a2");
    tree.add(a2, "deep");
    tree.add(nullptr, "B");
    VOKOutlineView view;
    view.setModel(&tree.model);
    view.expand(a->index());
    view.expand(a2->index());
    view.selectionModel()->select(a2->index(), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view.selectionModel()->select(tree.model.index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view.vokSnapshotTake();
    EXPECT_EQ(namesOf(view.expansionSnapshot()), (QStringList{"A", "a2"}));
    EXPECT_EQ(namesOf(view.selectionSnapshot()), (QStringList{"a2", "B"}));

    // New rows before, B moved to the top, everything collapsed and deselected.
    tree.model.insertRow(0, tree.item("X"));
    tree.model.insertRow(0, tree.model.takeRow(2));
    view.collapseAll();
    view.clearSelection();
    view.vokSnapshotApply();
    EXPECT_TRUE(view.isExpanded(a->index()));
    EXPECT_TRUE(view.isExpanded(a2->index()));
    EXPECT_FALSE(view.isExpanded(tree.model.index(1, 0)));
    QStringList selected;
    for (const QModelIndex &index : view.selectionModel()->selectedRows())
        selected.append(index.data().toString());
    selected.sort();
    EXPECT_EQ(selected, (QStringList{"B", "a2"}));

    // Rows under a parent that stays collapsed are not visited: a2 keeps its own state.
    view.vokSnapshotTake();
    view.collapse(a->index());
    view.vokSnapshotTake();
    EXPECT_EQ(namesOf(view.expansionSnapshot()), QStringList{});
    EXPECT_EQ(namesOf(view.selectionSnapshot()), QStringList{"B"});
    view.vokSnapshotApply();
    EXPECT_TRUE(view.isExpanded(a2->index()));
    EXPECT_TRUE(view.selectionModel()->isRowSelected(a2->row(), a2->index().parent()));
}

TEST(VOKOutlineView, FirstVisibleRowScrollsBackAndEscapeIsPassedOn)
{
    ObjectTree tree;
    for (int index = 0; index < 100; ++index)
        tree.add(nullptr, QString::number(index));
    VOKOutlineView view;
    view.setModel(&tree.model);
    view.resize(200, 120);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.scrollTo(tree.model.index(60, 0), QAbstractItemView::PositionAtTop);
    view.vokSnapshotTake();
    EXPECT_EQ(view.firstVisibleRow(), 60);
    view.scrollToTop();
    view.vokSnapshotApply();
    EXPECT_EQ(view.indexAt(QPoint(0, 0)).row(), 0);
    view.vokSnapshotAndFirstRowApply();
    EXPECT_EQ(view.indexAt(QPoint(0, 0)).row(), 60);

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &escape);
    EXPECT_FALSE(escape.isAccepted());
}

TEST(VOKModelIndexPaths, FindsObjectsDepthFirstAndSkipsPathsThatLeadNowhere)
{
    ObjectTree tree;
    QStandardItem *const a = tree.add(nullptr, "A");
    tree.add(a, "a1");
    QStandardItem *const b = tree.add(nullptr, "B");
    QStandardItem *const again = tree.item("again");
    again->setData(QVariant::fromValue(tree.object("a1")), Qt::UserRole);
    b->appendRow(again);
    tree.add(b, "b2");
    // The first hit in pre-order wins.
    EXPECT_EQ(VOKModelIndexPaths::indexPathOfObject(tree.model, tree.object("a1"), Qt::UserRole), (VOKIndexPath{0, 0}));
    EXPECT_EQ(VOKModelIndexPaths::indexPathOfObject(tree.model, tree.object("b2"), Qt::UserRole), (VOKIndexPath{1, 1}));
    EXPECT_FALSE(VOKModelIndexPaths::indexPathOfObject(tree.model, tree.object("again"), Qt::UserRole));
    const QList<VOKIndexPath> paths{{1, 1}, {5}, {}, {0, 0, 0}, {-1}, {0}};
    EXPECT_EQ(namesOf(VOKModelIndexPaths::objectsAtIndexPaths(tree.model, paths, Qt::UserRole)), (QStringList{"b2", "A"}));
}

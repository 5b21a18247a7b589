#include "LogCapture.h"
#include "VDLOutlineColumns.h"
#include "VOKPreferences.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

namespace {

// An outline of three columns at a known width.
struct Outline
{
    QStandardItemModel model{0, 3};
    QTreeView view;
    VDLOutlineColumns *columns;

    Outline()
    {
        view.setModel(&model);
        columns = new VDLOutlineColumns(view);
        view.resize(600, 300);
        view.show();
    }

    void addRow(const QString &name) { model.appendRow({new QStandardItem(name), new QStandardItem, new QStandardItem}); }
    int width(int column) const { return view.header()->sectionSize(column); }
};

} // namespace

TEST(VDLOutlineColumns, TheFirstColumnFitsItsRowsUpToHalfTheOutlineUntilTheUserSizesIt)
{
    Outline outline;
    outline.addRow(QStringLiteral("x"));
    const int narrow = outline.width(0);
    outline.addRow(QStringLiteral("a rather long device name/with/a deep topic"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return outline.width(0) > narrow; }));
    EXPECT_LE(outline.width(0), outline.view.viewport()->width() / 2);
    outline.addRow(QString(500, QLatin1Char('w')));
    ASSERT_TRUE(QTest::qWaitFor([&] { return outline.width(0) == outline.view.viewport()->width() / 2; }));

    outline.view.header()->resizeSection(0, 90);
    outline.addRow(QString(600, QLatin1Char('w')));
    outline.columns->fitFirstColumn();
    EXPECT_EQ(outline.width(0), 90);
}

TEST(VDLOutlineColumns, WidthsAndHiddenColumnsAreRememberedPerWindow)
{
    const QString name = QStringLiteral("VDLViewerViewController|{\"host\":\"columns.test\"}");
    VOKPreferences::standard().removeObjectForKey(VDLOutlineColumns::keyForName(name));
    {
        Outline first;
        first.columns->setAutosaveName(name);
        const QVariant before = VOKPreferences::standard().objectForKey(VDLOutlineColumns::keyForName(name));
        first.view.header()->resizeSection(0, 123);
        first.view.header()->setSectionHidden(1, true);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return VOKPreferences::standard().objectForKey(VDLOutlineColumns::keyForName(name)) != before; }));
    }
    Outline again;
    again.columns->setAutosaveName(name);
    EXPECT_EQ(again.width(0), 123);
    EXPECT_TRUE(again.view.header()->isSectionHidden(1));
    EXPECT_FALSE(again.columns->isFitting());

    // Another window keeps its own; a value that is no header's state is reported and left alone.
    Outline other;
    other.columns->setAutosaveName(name + QStringLiteral("2"));
    EXPECT_TRUE(other.columns->isFitting());
    VOKPreferences::standard().setObject(QStringLiteral("not a header"), VDLOutlineColumns::keyForName(QStringLiteral("bad")));
    LogCapture log;
    Outline unreadable;
    unreadable.columns->setAutosaveName(QStringLiteral("bad"));
    EXPECT_EQ(log.linesContaining(QStringLiteral("unreadable column widths")).size(), 1);
    EXPECT_TRUE(unreadable.columns->isFitting());
    for (const QString &used : {name, name + QStringLiteral("2"), QStringLiteral("bad")})
        VOKPreferences::standard().removeObjectForKey(VDLOutlineColumns::keyForName(used));
}

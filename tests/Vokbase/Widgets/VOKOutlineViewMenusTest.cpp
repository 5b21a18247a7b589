#include "VOKMenu.h"
#include "VOKOutlineView.h"
#include "VOKOutlineViewDelegate.h"
#include "VOKTableColumnToggleMenu.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace {

// Answers a menu titled after what was clicked, or none when told to.
class RecordingDelegate : public VOKOutlineViewDelegate
{
public:
    bool answerMenus = true;
    std::optional<QModelIndex> clickedRow;
    QHeaderView *clickedHeader = nullptr;

    std::unique_ptr<QMenu> contextMenuForTableView(VOKOutlineView &, const QModelIndex &clicked) override
    {
        clickedRow = clicked;
        return answer(clicked.data().toString());
    }
    std::unique_ptr<QMenu> contextMenuForTableHeaderView(QHeaderView &header) override
    {
        clickedHeader = &header;
        return answer(QStringLiteral("header"));
    }

private:
    std::unique_ptr<QMenu> answer(const QString &title) const
    {
        if (!answerMenus)
            return nullptr;
        auto menu = std::make_unique<QMenu>();
        VOKMenu::addItemWithTitle(*menu, title);
        return menu;
    }
};

// Three columns, the last explained by a tool tip, rows "r0" to "r2".
struct ThreeColumns
{
    QStandardItemModel model{3, 3};

    ThreeColumns()
    {
        model.setHorizontalHeaderLabels({"Topic", "Value", "#"});
        model.setHeaderData(2, Qt::Horizontal, "Message count", Qt::ToolTipRole);
        for (int row = 0; row < 3; ++row)
            model.setItem(row, 0, new QStandardItem(QStringLiteral("r%1").arg(row)));
    }
};

// Right-clicks the widget's viewport at the position; answers whether someone took the click.
bool rightClick(QAbstractItemView &widget, const QPoint &position)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, position, widget.viewport()->mapToGlobal(position));
    QApplication::sendEvent(widget.viewport(), &event);
    return event.isAccepted();
}

QStringList titlesOf(const QMenu &menu)
{
    QStringList titles;
    const QList<QAction *> items = menu.actions();
    for (const QAction *item : items)
        titles.append(item->text());
    return titles;
}

} // namespace

TEST(VOKOutlineViewMenus, DelegateSuppliesRowAndHeaderMenus)
{
    ThreeColumns table;
    RecordingDelegate delegate;
    VOKOutlineView view;
    view.setModel(&table.model);
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    // Without a delegate the click goes on, as with any tree view.
    const QPoint onSecondRow = view.visualRect(table.model.index(1, 0)).center();
    EXPECT_FALSE(rightClick(view, onSecondRow));

    view.setDelegate(&delegate);
    delegate.answerMenus = false;
    EXPECT_TRUE(rightClick(view, onSecondRow)); // no menu, and not passed on either
    ASSERT_TRUE(delegate.clickedRow.has_value());
    EXPECT_EQ(delegate.clickedRow->row(), 1);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    delegate.answerMenus = true;
    EXPECT_TRUE(rightClick(view, onSecondRow));
    QPointer<QMenu> shown = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(titlesOf(*shown), (QStringList{"r1"}));
    shown->hide();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.isNull(); }));

    // The empty area below the rows answers an invalid row.
    EXPECT_TRUE(rightClick(view, QPoint(5, view.viewport()->height() - 5)));
    EXPECT_FALSE(delegate.clickedRow->isValid());
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    QApplication::activePopupWidget()->hide();

    // The menu key asks for the current row.
    view.setCurrentIndex(table.model.index(2, 0));
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(1, 1), view.mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(&view, &key);
    EXPECT_EQ(delegate.clickedRow->row(), 2);
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    QApplication::activePopupWidget()->hide();

    delegate.answerMenus = false;
    delegate.clickedRow.reset();
    EXPECT_TRUE(rightClick(*view.header(), QPoint(5, 5)));
    EXPECT_FALSE(delegate.clickedRow.has_value());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    delegate.answerMenus = true;
    EXPECT_TRUE(rightClick(*view.header(), QPoint(5, 5)));
    EXPECT_EQ(delegate.clickedHeader, view.header());
    shown = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(titlesOf(*shown), (QStringList{"header"}));
    shown->hide();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.isNull(); }));
}

TEST(VOKOutlineViewMenus, ColumnMenuTogglesColumnsButTheTreeColumn)
{
    ThreeColumns table;
    VOKOutlineView outline;
    outline.setModel(&table.model);
    outline.hideColumn(1);

    const std::unique_ptr<QMenu> menu = VOKTableColumnToggleMenu::make(outline);
    EXPECT_EQ(titlesOf(*menu), (QStringList{"Columns", "Value", "Message count"}));
    const QList<QAction *> items = menu->actions();
    EXPECT_FALSE(items.at(0)->isEnabled());
    EXPECT_FALSE(items.at(1)->isChecked());
    EXPECT_TRUE(items.at(2)->isChecked());

    items.at(1)->trigger();
    items.at(2)->trigger();
    EXPECT_FALSE(outline.isColumnHidden(1));
    EXPECT_TRUE(outline.isColumnHidden(2));
    EXPECT_FALSE(VOKTableColumnToggleMenu::make(outline)->actions().at(2)->isChecked());

    // A plain table has no tree column to keep.
    QTreeView plain;
    plain.setModel(&table.model);
    EXPECT_EQ(VOKTableColumnToggleMenu::make(plain)->actions().size(), 4);
}

TEST(VOKOutlineViewMenus, ColumnMenuOutlivingItsViewDoesNothing)
{
    ThreeColumns table;
    auto outline = std::make_unique<VOKOutlineView>();
    outline->setModel(&table.model);
    const std::unique_ptr<QMenu> menu = VOKTableColumnToggleMenu::make(*outline);
    const QPointer<QHeaderView> header = outline->header();
    outline.reset();
    ASSERT_TRUE(header.isNull()) << "the menu outlives the view's header";

    // Choosing an item then reaches nothing: no header, no model change; the menu stays whole.
    QSignalSpy headerChanges(&table.model, &QAbstractItemModel::headerDataChanged);
    menu->actions().at(1)->trigger();
    EXPECT_EQ(headerChanges.count(), 0);
    EXPECT_EQ(titlesOf(*menu), (QStringList{"Columns", "Value", "Message count"}));
}

#include "MessageFactory.h"
#include "VDLClient.h"
#include "VDLHistoryModel.h"
#include "VDLTopic.h"
#include "VDLTopicsModel.h"
#include "VDLTextView.h"
#include "VDLValueViewController.h"
#include "VOKAttributedString.h"
#include "VOKPreferences.h"

#include <QAbstractItemModelTester>
#include <QGuiApplication>
#include <QPalette>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

// One topic of a tree without a broker.
struct History
{
    VDLClient client{QStringLiteral("127.0.0.1"), 1884};
    VDLTopic root;
    VDLTopic *topic;

    History()
    {
        root.setClient(&client);
        topic = root.subtopicNamed(QStringLiteral("t"));
    }

    void add(const QByteArray &payload, int count = 1)
    {
        for (int index = 0; index < count; ++index)
            topic->addMessage(makeMessage("t", payload));
    }
};

void selectRow(QTreeView &view, int row)
{
    view.selectionModel()->select(view.model()->index(row, 0),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

} // namespace

TEST(VDLHistoryModel, InsertsArrivalsAtTheTopAndDropsTheOldestPastItsLimit)
{
    History history;
    VDLHistoryModel model(3);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    history.add("1", 2);
    model.setTopic(history.topic);
    const QPersistentModelIndex oldest = model.index(1, 0);
    ASSERT_TRUE(vdlIsSameMessage(model.messageAt(oldest), history.topic->messageAt(0)));

    history.add("2");
    model.sync();
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_TRUE(vdlIsSameMessage(model.messageAt(model.index(0, 0)), history.topic->messageAt(2)));
    EXPECT_EQ(oldest.row(), 2);
    // More than the limit at once: only the newest arrive, the older rows all leave.
    history.add("3", 4);
    model.sync();
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_FALSE(oldest.isValid());
    EXPECT_TRUE(vdlIsSameMessage(model.messageAt(model.index(0, 0)), history.topic->messageAt(6)));
    EXPECT_TRUE(vdlIsSameMessage(model.messageAt(model.index(2, 0)), history.topic->messageAt(4)));
    model.sync(); // nothing new
    EXPECT_EQ(model.rowCount(), 3);
    model.setTopic(nullptr);
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(VDLValueViewController, AHistoryRowShowsItsMessageUntilLatestOrEscape)
{
    History history;
    history.add(R"({"older": true})");
    history.add("newest");
    VDLValueViewController pane;
    QAbstractItemModelTester tester(pane.historyModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    pane.show();
    pane.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&pane));
    pane.setTopic(history.topic);
    const VDLMessagePtr older = history.topic->messages().first();
    EXPECT_TRUE(pane.isFollowingLatest());
    EXPECT_EQ(pane.valueText(), QStringLiteral("newest"));
    EXPECT_TRUE(pane.messageInfoText().startsWith(QStringLiteral("Latest message, received ")));
    EXPECT_FALSE(pane.latestButton()->isEnabled());

    selectRow(*pane.historyView(), 1);
    EXPECT_TRUE(vdlIsSameMessage(pane.shownMessage(), older));
    EXPECT_TRUE(pane.valueText().contains(QStringLiteral("\"older\": true")));
    EXPECT_TRUE(pane.messageInfoText().startsWith(QStringLiteral("Message received ")));
    EXPECT_TRUE(pane.latestButton()->isEnabled());

    // Arrivals go above the selected row, which keeps its message, and so does the view.
    history.add("newer", 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane.historyRowCount() == 5; }));
    const QModelIndexList selected = pane.historyView()->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_TRUE(vdlIsSameMessage(pane.historyModel()->messageAt(selected.first()), older));
    EXPECT_TRUE(vdlIsSameMessage(pane.shownMessage(), older));

    pane.historyView()->setFocus();
    QTest::keyClick(pane.historyView(), Qt::Key_Escape);
    EXPECT_TRUE(pane.isFollowingLatest());
    EXPECT_TRUE(vdlIsSameMessage(pane.shownMessage(), history.topic->latestMessage()));
    selectRow(*pane.historyView(), 4);
    pane.valueView()->setFocus();
    QTest::keyClick(pane.valueView(), Qt::Key_Escape);
    EXPECT_TRUE(vdlIsSameMessage(pane.shownMessage(), history.topic->latestMessage()));
    selectRow(*pane.historyView(), 4);
    pane.latestButton()->click();
    EXPECT_TRUE(pane.isFollowingLatest());
    history.add("newest again");
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane.valueText() == QStringLiteral("newest again"); }));
    EXPECT_EQ(pane.historyTitleText(), QStringLiteral("History (6)"));

    // Messages dropped for the history budget are counted and said to be gone.
    history.topic->dropOldestMessages(4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane.historyTitleText().contains(QStringLiteral("dropped")); }));
    EXPECT_EQ(pane.historyTitleText(),
              QStringLiteral("History (newest 2 of 6), older messages dropped to stay within the history budget"));

    // Another topic starts at its newest message.
    selectRow(*pane.historyView(), 2);
    VDLTopic *const other = history.root.subtopicNamed(QStringLiteral("u"));
    other->addMessage(makeMessage("u", "other"));
    pane.setTopic(other);
    EXPECT_TRUE(pane.isFollowingLatest());
    EXPECT_EQ(pane.valueText(), QStringLiteral("other"));
    EXPECT_FALSE(pane.latestButton()->isEnabled());
    // One without messages of its own shows none, not the last topic's.
    pane.setTopic(&history.root);
    EXPECT_FALSE(pane.shownMessage());
    EXPECT_EQ(pane.valueText(), QString());
    EXPECT_EQ(pane.messageInfoText(), QString());
}

TEST(VDLValueViewController, ValueCellsShowAQuietPreviewAfterTheSummaryAndNeverInterpretIt)
{
    History history;
    history.add("{ \"battery\": 97, \"note\": \"<b>x</b>\" }");
    VDLTopicsModel outline;
    outline.setRootTopic(&history.root);
    VDLHistoryModel list(10);
    list.setTopic(history.topic);
    const QModelIndex outlineCell = outline.indexOfTopic(history.topic, VDLTopicsModel::SummaryColumn);
    const QModelIndex listCell = list.index(0, VDLHistoryModel::ValueColumn);
    const QString expected = QStringLiteral(R"({37}  {"battery":97,"note":"<b>x</b>"})");
    for (const auto &[cell, role] : {std::pair(outlineCell, int(VDLTopicsModel::AttributedRole)),
                                     std::pair(listCell, VDLHistoryModel::AttributedRole)}) {
        const auto styled = cell.data(role).value<VOKAttributedString>();
        EXPECT_EQ(styled.string(), expected);
        EXPECT_FALSE(styled.attributesAt(0).foreground);
        EXPECT_EQ(styled.attributesAt(6).foreground, QGuiApplication::palette().color(QPalette::PlaceholderText));
        // The summary itself stays what the dump prints.
        EXPECT_EQ(cell.data().toString(), QStringLiteral("{37}"));
        const QString toolTip = cell.data(Qt::ToolTipRole).toString();
        EXPECT_TRUE(toolTip.contains(QStringLiteral("&lt;b&gt;x&lt;/b&gt;"))) << qPrintable(toolTip);
    }

    // A text shows its text once, on one line.
    history.add("<i>a</i>\nb");
    list.sync();
    EXPECT_EQ(list.index(0, VDLHistoryModel::ValueColumn).data(VDLHistoryModel::AttributedRole).value<VOKAttributedString>().string(),
              QStringLiteral("$ <i>a</i>\u23CEb"));

    // A long text's summary is bounded where a view measures it: laying out megabytes froze the window.
    history.add(QByteArray(1 << 20, 'x'));
    list.sync();
    for (const QModelIndex &cell : {outline.indexOfTopic(history.topic, VDLTopicsModel::SummaryColumn),
                                    list.index(0, VDLHistoryModel::ValueColumn)})
        EXPECT_LE(cell.data().toString().size(), 1010);
}

TEST(VDLValueViewController, ViewsAppearWhereTheyApplyAndTheDifferenceComparesWithTheMessageBefore)
{
    VOKPreferences::standard().removeObjectForKey(QLatin1String(VDLValueViewController::PreferencesKey));
    History history;
    history.add(R"({"state":"ON","power":{"now":5}})");
    VDLValueViewController pane;
    pane.show();
    pane.setTopic(history.topic);
    QTabBar *const tabs = pane.viewBar();
    EXPECT_TRUE(tabs->isTabVisible(VDLValueViewController::ChartView));
    // A first message has nothing before it.
    EXPECT_FALSE(tabs->isTabVisible(VDLValueViewController::DifferenceView));

    history.add(R"({"state":"OFF","power":{"now":0}})");
    history.add(R"({"state":"OFF","power":{"now":0},"new":1})");
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane.historyRowCount() == 3; }));
    EXPECT_TRUE(tabs->isTabVisible(VDLValueViewController::DifferenceView));
    pane.compareWithPrevious(pane.historyModel()->index(1, 0));
    EXPECT_EQ(pane.currentView(), VDLValueViewController::DifferenceView);
    EXPECT_EQ(pane.differenceText(), QStringLiteral("~ power.now: 5 → 0\n~ state: \"ON\" → \"OFF\""));
    // The difference follows the message shown; the first message has none, so the value shows.
    pane.followLatest();
    EXPECT_EQ(pane.differenceText(), QStringLiteral("+ new: 1"));
    selectRow(*pane.historyView(), 2);
    EXPECT_EQ(pane.currentView(), VDLValueViewController::ValueView);

    // The choice comes back wherever it applies: not on a topic without values to chart, again
    // on the next that has them, and in a new pane.
    pane.followLatest();
    tabs->setCurrentIndex(VDLValueViewController::ChartView);
    VDLTopic *const text = history.root.subtopicNamed(QStringLiteral("text"));
    text->addMessage(makeMessage("text", "hello"));
    pane.setTopic(text);
    EXPECT_FALSE(tabs->isTabVisible(VDLValueViewController::ChartView));
    EXPECT_EQ(pane.currentView(), VDLValueViewController::ValueView);
    pane.setTopic(history.topic);
    EXPECT_EQ(pane.currentView(), VDLValueViewController::ChartView);
    VDLValueViewController another;
    another.setTopic(history.topic);
    EXPECT_EQ(another.currentView(), VDLValueViewController::ChartView);
}

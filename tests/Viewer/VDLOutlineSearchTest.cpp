#include "MessageFactory.h"
#include "MockClock.h"
#include "VDLClient.h"
#include "VDLOutlineSearch.h"
#include "VDLSearchBar.h"
#include "VDLTopic.h"
#include "VDLTopicsModel.h"
#include "VDLTopicsViewController.h"
#include "VOKOutlineView.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A topics pane over a tree without a broker; the model is checked after every signal.
struct SearchPane
{
    VDLClient client{QStringLiteral("127.0.0.1"), 1884};
    VDLTopic root;
    VDLTopicsViewController pane;
    QAbstractItemModelTester tester{pane.model(), QAbstractItemModelTester::FailureReportingMode::Fatal};
    VDLOutlineSearch &search = *pane.search();

    SearchPane()
    {
        root.setClient(&client);
        pane.model()->setRootTopic(&root);
    }

    ~SearchPane() { pane.model()->setRootTopic(nullptr); }

    // Files one message the way the client does: inside the pane's data-change callbacks.
    VDLTopic *file(const QByteArray &topic, const QByteArray &payload = "1")
    {
        pane.clientDataWillChange(&client);
        VDLTopic *node = &root;
        for (const QByteArray &level : topic.split('/'))
            node = node->subtopicNamed(QString::fromUtf8(level));
        node->addMessage(makeMessage(topic, payload));
        pane.clientDataDidChange(&client);
        return node;
    }

    VDLTopic *topic(const char *path) { return root.topicAtRelativePath(QString::fromUtf8(path)); }

    void select(const QList<VDLTopic *> &topics)
    {
        QItemSelectionModel *const selection = pane.outlineView()->selectionModel();
        selection->clearSelection();
        for (VDLTopic *topic : topics)
            selection->select(pane.model()->indexOfTopic(topic), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    QList<VDLTopic *> selected() const { return pane.selectedObjects(); }

    // The names of the rows shown below a topic.
    QStringList shownBelow(VDLTopic *parent) const
    {
        QStringList names;
        const QModelIndex index = pane.model()->indexOfTopic(parent);
        for (int row = 0; row < pane.model()->rowCount(index); ++row)
            names.append(pane.model()->index(row, 0, index).data().toString());
        return names;
    }
};

QStringList paths(const QList<VDLTopic *> &topics)
{
    QStringList list;
    for (const VDLTopic *topic : topics)
        list.append(topic->path());
    return list;
}

} // namespace

TEST(VDLOutlineSearch, FindsByPathAndPayloadInOutlineOrderNeverTheRoot)
{
    SearchPane outline;
    outline.file("home/light10", "off");
    outline.file("home/light2", "off");
    outline.file("Garden/pump", "LIGHT on");
    outline.file("cellar", "dark");
    outline.file("tele/plug/LWT", "Online");
    outline.file("tele/plug/STATE", R"({"POWER":"ON"})");

    // Case is ignored; siblings come in the outline's order (trailing numbers as numbers);
    // the payload counts only when asked for.
    outline.search.setSearchString(QStringLiteral("LiGhT"));
    EXPECT_EQ(paths(outline.search.results().matches()), (QStringList{"home/light2", "home/light10"}));
    // A device is found by its summary; the summaries and payloads of other topics are not searched.
    outline.search.setSearchString(QStringLiteral("on"));
    EXPECT_EQ(paths(outline.search.results().matches()), (QStringList{"tele/plug"}));
    outline.search.setSearchString(QStringLiteral("LiGhT"));
    outline.search.setSearchIncludesPreview(true);
    EXPECT_EQ(paths(outline.search.results().matches()), (QStringList{"Garden/pump", "home/light2", "home/light10"}));

    // The whole path is searched, across levels, but never the root's host name.
    outline.search.setSearchString(QStringLiteral("e/l"));
    EXPECT_EQ(paths(outline.search.results().matches()), (QStringList{"home/light2", "home/light10"}));
    outline.search.setSearchString(QStringLiteral("127.0"));
    EXPECT_TRUE(outline.search.results().isEmpty());
    EXPECT_TRUE(outline.search.searchInfo().isNull());
    // Garden/pump and home are neighbours in outline order: a text spanning both finds neither.
    outline.search.setSearchString(QStringLiteral("pumphome"));
    EXPECT_TRUE(outline.search.results().isEmpty());
}

TEST(VDLOutlineSearch, PayloadsAreSearchedAsTheyAreShown)
{
    SearchPane outline;
    outline.file("kitchen", "K\xc3\xbc""che ON");
    outline.file("plain", "Power ON");
    outline.file("raw", QByteArray("\x01\x02\xff\xfe", 4));
    outline.search.setSearchIncludesPreview(true);

    outline.search.setSearchString(QStringLiteral("on"));
    EXPECT_EQ(paths(outline.search.results().matches()), (QStringList{"kitchen", "plain"}));
    outline.search.setSearchString(QStringLiteral("K\u00dcCHE"));
    EXPECT_EQ(paths(outline.search.results().matches()), (QStringList{"kitchen"}));
    // Raw data as the hexadecimal bytes the value pane shows.
    outline.search.setSearchString(QStringLiteral("02FF"));
    EXPECT_EQ(paths(outline.search.results().matches()), (QStringList{"raw"}));
}

TEST(VDLOutlineSearch, AMatchDeletedBeforeTheNextRefreshIsNeverSteppedTo)
{
    SearchPane outline;
    outline.file("lamp1");
    VDLTopic *const doomed = outline.file("lamp2");
    VDLTopic *const last = outline.file("lamp3");
    outline.search.setSearchString(QStringLiteral("lamp"));
    outline.search.setDoFilter(true);
    outline.select({last});

    doomed->recursiveDelete();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(outline.search.results().count(), 2);
    outline.search.setDoFilter(false);
    outline.search.setDoFilter(true);
    outline.search.findPrevious();
    EXPECT_EQ(paths(outline.selected()), (QStringList{"lamp1"}));
}

TEST(VDLOutlineSearch, NextAndPreviousStepFromTheSelectedRowAndWrap)
{
    SearchPane outline;
    VDLTopic *const a = outline.file("a/x");
    VDLTopic *const b = outline.file("b/x");
    outline.file("b/y");
    VDLTopic *const c = outline.file("c/x");

    // Nothing selected and no earlier find: typing reveals the first match, so next is the second.
    outline.search.setSearchString(QStringLiteral("x"));
    EXPECT_EQ(outline.selected(), (QList<VDLTopic *>{a}));
    outline.pane.outlineView()->selectionModel()->clearSelection();
    outline.search.findNext();
    EXPECT_EQ(outline.selected(), (QList<VDLTopic *>{b}));

    outline.select({c});
    outline.search.findNext();
    EXPECT_EQ(outline.selected(), (QList<VDLTopic *>{a}));
    outline.search.findPrevious();
    EXPECT_EQ(outline.selected(), (QList<VDLTopic *>{c}));

    // From a row that is no match, in outline order: b/y lies between b/x and c/x.
    outline.select({outline.topic("b/y")});
    outline.search.findPrevious();
    EXPECT_EQ(outline.selected(), (QList<VDLTopic *>{b}));
    outline.select({outline.topic("b/y")});
    outline.search.findNext();
    EXPECT_EQ(outline.selected(), (QList<VDLTopic *>{c}));
    // The ancestors of a revealed match are expanded.
    EXPECT_TRUE(outline.pane.outlineView()->isExpanded(outline.pane.model()->indexOfTopic(outline.topic("c"))));
}

TEST(VDLOutlineSearch, ASingleMatchIsFoundByNextWithoutSelection)
{
    SearchPane outline;
    outline.file("a");
    VDLTopic *const only = outline.file("b/needle");
    outline.search.setSearchString(QStringLiteral("needle"));
    outline.pane.outlineView()->selectionModel()->clearSelection();
    outline.search.findNext();
    EXPECT_EQ(outline.selected(), (QList<VDLTopic *>{only}));
    EXPECT_EQ(outline.search.searchInfo(), QStringLiteral("1 of 1"));
}

TEST(VDLOutlineSearch, TypingKeepsTheCurrentMatchWhileItStillMatches)
{
    SearchPane outline;
    outline.file("kitchen/temp");
    VDLTopic *const tent = outline.file("tent");
    VDLTopic *const tempo = outline.file("tempo");
    outline.search.setSearchString(QStringLiteral("te"));
    outline.select({tempo});
    outline.search.findNext();
    outline.search.findPrevious();
    ASSERT_EQ(outline.search.mostRecentFind(), tempo);

    outline.search.setSearchString(QStringLiteral("tem"));
    EXPECT_EQ(outline.selected(), (QList<VDLTopic *>{tempo}));
    // tempo no longer matches: the first match in outline order is revealed.
    outline.search.setSearchString(QStringLiteral("ten"));
    EXPECT_EQ(outline.selected(), (QList<VDLTopic *>{tent}));

    // Clearing leaves the selection as it is.
    outline.search.setSearchString(QString());
    EXPECT_EQ(outline.search.mostRecentFind(), nullptr);
    EXPECT_TRUE(outline.search.results().isEmpty());
    EXPECT_EQ(outline.selected(), (QList<VDLTopic *>{tent}));
}

TEST(VDLOutlineSearch, InfoCountsOrPlacesTheSelectedMatch)
{
    SearchPane outline;
    VDLTopic *const one = outline.file("room1");
    VDLTopic *const two = outline.file("room2");
    VDLTopic *const hall = outline.file("hall");
    outline.search.setSearchString(QStringLiteral("room"));
    EXPECT_EQ(outline.search.searchInfo(), QStringLiteral("1 of 2"));
    // The info follows the user's clicks.
    outline.select({two});
    EXPECT_EQ(outline.search.searchInfo(), QStringLiteral("2 of 2"));
    outline.select({hall});
    EXPECT_EQ(outline.search.searchInfo(), QStringLiteral("2 found"));
    outline.select({one, two});
    EXPECT_EQ(outline.search.searchInfo(), QStringLiteral("2 found"));
    EXPECT_EQ(outline.pane.searchBar()->infoLabel()->text(), QStringLiteral("2 found"));
    outline.search.setSearchString(QString());
    EXPECT_TRUE(outline.search.searchInfo().isNull());
}

TEST(VDLOutlineSearch, FilterShowsMatchesWithTheirAncestorsAndEverythingWithoutMatches)
{
    SearchPane outline;
    outline.file("home/kitchen/lamp");
    outline.file("home/kitchen/fridge");
    outline.file("home/hall/lamp");
    outline.file("garden/pump");
    VDLTopic *const home = outline.topic("home");
    outline.search.setSearchString(QStringLiteral("lamp"));
    outline.search.setDoFilter(true);
    EXPECT_EQ(outline.shownBelow(&outline.root), (QStringList{"home"}));
    EXPECT_EQ(outline.shownBelow(outline.topic("home/kitchen")), (QStringList{"lamp"}));

    // Messages keep arriving while the filter is on; new matches show with the next refresh.
    outline.file("garden/lamp");
    outline.file("garden/hose");
    EXPECT_TRUE(QTest::qWaitFor([&] { return outline.shownBelow(&outline.root).size() == 2; }, 5000));
    EXPECT_EQ(outline.shownBelow(outline.topic("garden")), (QStringList{"lamp"}));

    // No match: the whole tree.
    outline.search.setSearchString(QStringLiteral("nothing"));
    EXPECT_EQ(outline.shownBelow(home), (QStringList{"hall", "kitchen"}));
    EXPECT_TRUE(outline.search.searchInfo().isNull());
    outline.search.setSearchString(QStringLiteral("fridge"));
    EXPECT_EQ(outline.shownBelow(home), (QStringList{"kitchen"}));
    outline.search.setDoFilter(false);
    EXPECT_EQ(outline.shownBelow(home), (QStringList{"hall", "kitchen"}));
    outline.search.setDoFilter(true);
    outline.search.setSearchString(QString());
    EXPECT_EQ(outline.shownBelow(&outline.root), (QStringList{"garden", "home"}));
    EXPECT_FALSE(outline.client.treeFilter()->predicate());
}

TEST(VDLOutlineSearch, TopicsArrivingUnderAFilterAreFoundInOutlineOrder)
{
    SearchPane outline;
    outline.file("room/lamp");
    outline.file("room/c-sensor");
    outline.search.setSearchString(QStringLiteral("sensor"));
    outline.search.setDoFilter(true);

    // Hidden by the filter when they arrive; sorted in among the hidden and shown siblings.
    outline.file("room/a-sensor");
    outline.search.findNext();
    outline.file("room/b-lamp");
    outline.file("room/d-sensor");
    outline.search.findNext();
    EXPECT_EQ(paths(outline.search.results().matches()),
              (QStringList{"room/a-sensor", "room/c-sensor", "room/d-sensor"}));
    EXPECT_EQ(outline.shownBelow(outline.topic("room")), (QStringList{"a-sensor", "c-sensor", "d-sensor"}));
}

TEST(VDLOutlineSearch, FilterSwitchesKeepTheExpansionAndTheSelection)
{
    SearchPane outline;
    VDLTopic *const lamp = outline.file("home/kitchen/lamp");
    outline.file("home/hall/door");
    outline.file("garden/pump");
    VOKOutlineView &view = *outline.pane.outlineView();
    const auto isExpanded = [&](const char *path) {
        return view.isExpanded(outline.pane.model()->indexOfTopic(outline.topic(path)));
    };
    view.expand(outline.pane.model()->indexOfTopic(outline.topic("garden")));
    view.expand(outline.pane.model()->indexOfTopic(outline.topic("home/hall")));
    outline.search.setSearchString(QStringLiteral("lamp"));

    for (const bool on : {true, false, true, false}) {
        outline.search.setDoFilter(on);
        EXPECT_EQ(outline.selected(), (QList<VDLTopic *>{lamp}));
        EXPECT_TRUE(isExpanded("home/kitchen"));
    }
    // Rows the filter hid come back as they were.
    EXPECT_TRUE(isExpanded("garden"));
    EXPECT_TRUE(isExpanded("home/hall"));
}

TEST(VDLOutlineSearch, ABurstOfMessagesIsSearchedOnceAboutTwoSecondsLater)
{
    MockClock clock(QDateTime(QDate(2026, 1, 5), QTime(12, 0)));
    SearchPane outline;
    outline.file("sensor/1");
    outline.search.setSearchString(QStringLiteral("sensor"));
    QSignalSpy searched(&outline.search, &VDLOutlineSearch::searched);

    for (const QByteArray topic : {"sensor/2", "sensor/3", "sensor/2", "other"})
        outline.file(topic);
    QTest::qWait(0);
    EXPECT_EQ(searched.size(), 0);
    ASSERT_TRUE(searched.wait(VDLOutlineSearch::ThrottleMilliseconds + 1000));
    EXPECT_EQ(outline.search.results().count(), 4);
    EXPECT_EQ(outline.search.searchInfo(), QStringLiteral("1 of 4"));

    // Quiet for more than two seconds: the next message is searched on the next turn.
    clock.advanceSeconds(3);
    outline.file("sensor/4");
    EXPECT_EQ(searched.size(), 1);
    ASSERT_TRUE(searched.wait(1000));
    EXPECT_EQ(outline.search.results().count(), 5);
    EXPECT_EQ(searched.size(), 2);

    // Edits of the text are never held back; without a text, messages start nothing.
    outline.search.setSearchString(QStringLiteral("sensor/4"));
    EXPECT_EQ(searched.size(), 3);
    outline.search.setSearchString(QString());
    outline.file("sensor/5");
    EXPECT_FALSE(searched.wait(100));
    EXPECT_EQ(searched.size(), 4);
}

TEST(VDLOutlineSearch, TheBarDrivesTheSearchFromTheKeyboard)
{
    SearchPane outline;
    VDLTopic *const first = outline.file("lamp1");
    VDLTopic *const second = outline.file("lamp2");
    VDLSearchBar &bar = *outline.pane.searchBar();
    EXPECT_EQ(bar.field()->placeholderText(), QStringLiteral("Search"));
    EXPECT_TRUE(bar.field()->isClearButtonEnabled());

    QTest::keyClicks(bar.field(), QStringLiteral("lamp"));
    EXPECT_EQ(outline.search.searchString(), QStringLiteral("lamp"));
    EXPECT_EQ(outline.selected(), (QList<VDLTopic *>{first}));
    QTest::keyClick(bar.field(), Qt::Key_Return);
    EXPECT_EQ(outline.selected(), (QList<VDLTopic *>{second}));
    QTest::keyClick(bar.field(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(outline.selected(), (QList<VDLTopic *>{first}));

    bar.filterToggle()->setChecked(true);
    bar.includePayloadsToggle()->setChecked(true);
    EXPECT_TRUE(outline.search.doFilter());
    EXPECT_TRUE(outline.search.searchIncludesPreview());

    QTest::keyClick(bar.field(), Qt::Key_Escape);
    EXPECT_TRUE(outline.search.searchString().isEmpty());
    EXPECT_TRUE(outline.search.searchInfo().isNull());

    // Escape in the outline clears the search as well, and the field shows it.
    QTest::keyClicks(bar.field(), QStringLiteral("2"));
    ASSERT_EQ(outline.search.searchInfo(), QStringLiteral("1 of 1"));
    QTest::keyClick(outline.pane.outlineView(), Qt::Key_Escape);
    EXPECT_TRUE(bar.field()->text().isEmpty());
    EXPECT_TRUE(outline.search.searchInfo().isNull());
}

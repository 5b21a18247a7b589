#include "MosquittoBroker.h"
#include "VDLChartView.h"
#include "VDLClient.h"
#include "VDLQCustomPlot.h"
#include "VDLTopic.h"
#include "VDLValueViewController.h"
#include "VOKMosquittoClient.h"
#include "VOKPreferences.h"

#include <QComboBox>
#include <QTabBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

constexpr int patience = 10000;

QStringList namesOf(const QList<VDLChartField> &fields)
{
    QStringList names;
    for (const VDLChartField &field : fields)
        names.append(field.name());
    return names;
}

void zoomIn(QCustomPlot &plot)
{
    const QPointF centre = plot.axisRect()->rect().center();
    QWheelEvent wheel(centre, plot.mapToGlobal(centre), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&plot, &wheel);
}

} // namespace

TEST(VDLChartView, FollowsATopicFedByTheBrokerUntilTheUserZooms)
{
    VOKPreferences::standard().removeObjectForKey(QLatin1String(VDLChartView::PreferencesKey));
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    VOKMosquittoClient publisher(QStringLiteral("127.0.0.1"), broker.port());
    publisher.connectToBroker();
    VDLClient client(QStringLiteral("127.0.0.1"), broker.port());
    client.connectWithPath(QStringLiteral("home"));
    const QString path = QStringLiteral("home/kitchen/sensor");
    int sent = 0;
    // Retained, so the first reaches the client even before it has subscribed.
    const auto publish = [&] {
        ++sent;
        publisher.publishTopic(path, R"({"temperature":)" + QByteArray::number(20 + sent) + R"(,"humidity":)"
                                         + QByteArray::number(40 - sent) + R"(,"battery":[1]})", true);
    };
    publish();
    VDLTopic *topic = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (topic = client.topicAt(path, false)) != nullptr; }, patience));

    VDLValueViewController pane;
    pane.resize(800, 600);
    pane.show();
    pane.setTopic(topic);
    VDLChartView *const chart = pane.chartView();
    ASSERT_TRUE(pane.viewBar()->isTabVisible(VDLValueViewController::ChartView));
    pane.chooseView(VDLValueViewController::ChartView);
    EXPECT_EQ(namesOf(chart->fields()), (QStringList{QStringLiteral("temperature"), QStringLiteral("humidity")}));
    EXPECT_EQ(chart->field().name(), QStringLiteral("temperature"));

    // New messages are drawn as they come, the time range running to the newest.
    publish();
    publish();
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart->messagesRead() == 3 && chart->drawnPointCount() == 3; }, patience));
    // The time range ends just after the newest message.
    const auto endsAtNewest = [&] {
        const QCPRange range = chart->plot()->xAxis->range();
        const double newest = double(topic->latestMessage()->createdMSecsSinceEpoch()) / 1000;
        return range.contains(newest) && range.upper - newest < range.size() * 0.05;
    };
    EXPECT_TRUE(chart->isFollowing());
    EXPECT_TRUE(endsAtNewest());
    const QCPGraphData newest = *(chart->plot()->graph(0)->data()->end() - 1);
    const QPoint newestPoint(int(chart->plot()->xAxis->coordToPixel(newest.key)),
                             int(chart->plot()->yAxis->coordToPixel(newest.value)));
    EXPECT_TRUE(chart->hoverText(newestPoint).endsWith(QStringLiteral("temperature: 23"))) << qPrintable(chart->hoverText(newestPoint));

    // A zoomed view stays where the user put it while messages arrive; a double-click follows again.
    zoomIn(*chart->plot());
    EXPECT_FALSE(chart->isFollowing());
    const QCPRange zoomed = chart->plot()->xAxis->range();
    publish();
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart->messagesRead() == 4; }, patience));
    EXPECT_EQ(chart->plot()->xAxis->range(), zoomed);
    QTest::mouseDClick(chart->plot(), Qt::LeftButton, Qt::NoModifier, chart->plot()->rect().center());
    EXPECT_TRUE(chart->isFollowing());
    EXPECT_TRUE(endsAtNewest());

    // The field chosen is kept for the topic's path, and so is the chart's tab.
    chart->fieldChooser()->setCurrentIndex(1);
    Q_EMIT chart->fieldChooser()->activated(1);
    EXPECT_EQ(chart->field().name(), QStringLiteral("humidity"));
    EXPECT_EQ(chart->plot()->graph(0)->data()->at(0)->value, 39);
    VDLValueViewController another;
    another.setTopic(topic);
    EXPECT_EQ(another.currentView(), VDLValueViewController::ChartView);
    EXPECT_EQ(another.chartView()->field().name(), QStringLiteral("humidity"));
    client.disconnectFromBroker();
    publisher.disconnectFromBroker();
}

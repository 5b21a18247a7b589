#include "MessageFactory.h"
#include "VDLChartDecimator.h"
#include "VDLChartSeries.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

// One message a second from `start` on.
VDLMessageHistory historyOf(const QList<QByteArray> &payloads, qint64 start = 0)
{
    VDLMessageHistory history;
    for (const QByteArray &payload : payloads) {
        history.append(start, payload, 0, false, 0);
        start += 1000;
    }
    return history;
}

VDLChartField field(const QString &dotted)
{
    return VDLChartField(dotted.split(QLatin1Char('.')));
}

} // namespace

TEST(VDLChartField, ReadsNumbersBooleansStateTextsAndTheNumericLeavesOfObjects)
{
    const VDLChartField payload;
    const QList<std::pair<QByteArray, std::optional<double>>> cases{
        {"21.5", 21.5}, {" -3e2 ", -300.0}, {"true", 1.0}, {"false", 0.0}, {" ON ", 1.0}, {"off", 0.0},
        {"Online", 1.0}, {"closed", 0.0}, {"hello", std::nullopt}, {"1e999", std::nullopt},
        {QByteArray("\x01\x02", 2), std::nullopt}, {"{\"a\":1}", std::nullopt}, {"[1]", std::nullopt},
        {QByteArray(64, 'o') + "n", std::nullopt},
    };
    for (const auto &[bytes, expected] : cases)
        EXPECT_EQ(payload.valueOf(*makeMessage("t", bytes)), expected) << bytes.constData();

    const VDLMessagePtr tasmota = makeMessage(
        "t", R"({"Time":"2026-12-07","ENERGY":{"Total":187.035,"Power":2298,"Parts":[1,2]},"On":true,"Count":3})");
    const VDLMessagePtr older = makeMessage("t", R"({"Count":2,"Extra":{"deep":{"x":1.5}}})");
    const VDLMessagePtr number = makeMessage("t", "7");
    EXPECT_EQ(field("ENERGY.Power").valueOf(*tasmota), 2298.0);
    EXPECT_EQ(field("Extra.deep.x").valueOf(*older), 1.5);
    // Missing, an array, a boolean, a string, an object, or not an object at all: no value.
    for (const QString &name : {QStringLiteral("ENERGY.Voltage"), QStringLiteral("ENERGY.Parts"),
                                QStringLiteral("On"), QStringLiteral("Time"), QStringLiteral("ENERGY")})
        EXPECT_EQ(field(name).valueOf(*tasmota), std::nullopt) << qPrintable(name);
    EXPECT_EQ(field("Count").valueOf(*number), std::nullopt);

    // The newest message's leaves in its own order, then what older ones add; the payload first
    // when one of them is a value of its own.
    QStringList names;
    for (const VDLChartField &found : VDLChartField::fieldsOf({older, number, tasmota}))
        names.append(found.name());
    EXPECT_EQ(names, (QStringList{QStringLiteral("Value"), QStringLiteral("ENERGY.Total"), QStringLiteral("ENERGY.Power"),
                                  QStringLiteral("Count"), QStringLiteral("Extra.deep.x")}));
    EXPECT_EQ(VDLChartField::fieldsOf({older, number, tasmota}, 1).size(), 3);
}

TEST(VDLChartSeries, ReadsEachMessageOnceAndInSlices)
{
    VDLMessageHistory messages = historyOf({"1", "ON", "nonsense", "3"}, 1'000'000);
    VDLChartSeries series;
    EXPECT_FALSE(series.extend(messages, 2));
    EXPECT_EQ(series.messagesRead(), 2u);
    EXPECT_TRUE(series.extend(messages));
    EXPECT_EQ(series.values(), (std::vector<double>{1, 1, 3}));
    EXPECT_EQ(series.times(), (std::vector<qint64>{1'000'000, 1'001'000, 1'003'000}));
    EXPECT_FALSE(series.isStates());
    EXPECT_EQ(series.lowest(), 1);
    EXPECT_EQ(series.highest(), 3);

    // Only the new message is read; a clock set back is noticed.
    messages.append(994'000, "-2", 0, false, 0);
    EXPECT_TRUE(series.extend(messages));
    EXPECT_EQ(series.size(), 4);
    EXPECT_FALSE(series.isTimeOrdered());
    EXPECT_EQ(series.earliest(), 994'000);
    EXPECT_EQ(series.latest(), 1'003'000);

    // A shorter history (another topic's) is read from its start.
    EXPECT_TRUE(series.extend(historyOf({"true", "OFF"})));
    EXPECT_EQ(series.values(), (std::vector<double>{1, 0}));
    EXPECT_TRUE(series.isStates());

    // Values read stay when their messages are dropped; dropped messages not yet read are skipped.
    VDLMessageHistory trimmed = historyOf({"1", "2", "3", "4", "5"});
    VDLChartSeries partly;
    EXPECT_FALSE(partly.extend(trimmed, 1));
    trimmed.dropOldest(3);
    EXPECT_TRUE(partly.extend(trimmed));
    EXPECT_EQ(partly.values(), (std::vector<double>{1, 4, 5}));
    EXPECT_EQ(partly.messagesRead(), 5u);
}

TEST(VDLChartDecimator, KeepsEveryColumnsLowestAndHighestAndTheNeighboursOfTheRange)
{
    for (const bool timeOrdered : {true, false}) {
        QRandomGenerator random(7);
        VDLMessageHistory messages;
        double value = 0;
        for (int index = 0; index < 20'000; ++index) {
            value += random.bounded(2.0) - 1.0;
            messages.append(timeOrdered ? index * 10 : qint64(random.bounded(200'000)),
                            QByteArray::number(value, 'g', 17), 0, false, 0);
        }
        VDLChartSeries series;
        series.extend(messages);
        ASSERT_EQ(series.isTimeOrdered(), timeOrdered);

        const double from = 50'000;
        const double to = 150'000;
        const int columns = 137;
        const VDLChartDecimator::Points points = VDLChartDecimator::decimate(series, from, to, columns);
        ASSERT_LE(points.keys.size(), size_t(2 * columns + 2));
        EXPECT_TRUE(std::is_sorted(points.keys.begin(), points.keys.end()));
        // Every column's extremes are drawn.
        const double scale = columns / (to - from);
        std::vector<std::pair<double, double>> extremes(columns, {1e300, -1e300});
        double before = -1e300;
        double after = 1e300;
        for (qsizetype index = 0; index < series.size(); ++index) {
            const double time = double(series.times()[index]);
            if (time < from) {
                before = std::max(before, time);
                continue;
            }
            if (time > to) {
                after = std::min(after, time);
                continue;
            }
            auto &[lowest, highest] = extremes[std::min(columns - 1, int((time - from) * scale))];
            lowest = std::min(lowest, series.values()[index]);
            highest = std::max(highest, series.values()[index]);
        }
        for (const auto &[lowest, highest] : extremes) {
            if (lowest > highest)
                continue;
            EXPECT_NE(std::find(points.values.begin(), points.values.end(), lowest), points.values.end());
            EXPECT_NE(std::find(points.values.begin(), points.values.end(), highest), points.values.end());
        }
        EXPECT_EQ(points.keys.front(), before / 1000.0);
        EXPECT_EQ(points.keys.back(), after / 1000.0);
    }

    // Degenerate requests give no points, and never a crash.
    VDLChartSeries series;
    series.extend(historyOf({"1", "2"}));
    EXPECT_TRUE(VDLChartDecimator::decimate(series, 10, 5, 100).keys.empty());
    EXPECT_TRUE(VDLChartDecimator::decimate(series, qQNaN(), 5, 100).keys.empty());
    EXPECT_EQ(VDLChartDecimator::decimate(series, 0, 1e15, -4).keys.size(), 2u);
    EXPECT_TRUE(VDLChartDecimator::decimate(VDLChartSeries(), 0, 1, 10).keys.empty());
}

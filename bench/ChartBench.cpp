// bench_chart: what the value pane's chart costs on a long history.
//
//   bench_chart [N]   (default 1000000)
//
// Files N numeric messages (one a second) on one topic, then opens a chart of it (offscreen,
// 800 x 400) and prints the time of the first draw (reading the whole history, decimating and
// painting), of a redraw after one more message (median and worst of 50), and of a pan of a
// zoomed view. Then does the same for 100,000 JSON objects, whose first draw is spread over
// several turns of the event loop: it prints the time until the whole history is drawn and the
// longest turn meanwhile.

#include "VDLChartView.h"
#include "VDLQCustomPlot.h"
#include "VDLTopic.h"
#include "VOKClock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <mosquitto.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// One message a second from a fixed start: a history of N messages spans N seconds.
class SteppingClock final : public VOKClock
{
public:
    QDateTime currentDateTime() const override { return QDateTime::fromMSecsSinceEpoch(currentMSecsSinceEpoch()); }
    qint64 currentMSecsSinceEpoch() const override { return m_now; }
    void step() { m_now += 1000; }

private:
    qint64 m_now = 1'765'000'000'000;
};

void file(VDLTopic &topic, SteppingClock &clock, const QByteArray &payload)
{
    QByteArray bytes = payload;
    mosquitto_message message{};
    message.topic = const_cast<char *>("bench/chart");
    message.payload = bytes.data();
    message.payloadlen = int(bytes.size());
    topic.addMessage(std::make_shared<const VDLMessage>(message, QStringLiteral("bench/chart")));
    clock.step();
}

double milliseconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double measure(const std::function<void()> &step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    return milliseconds(timer);
}

void measureNumbers(qint64 count, SteppingClock &clock)
{
    VDLTopic root;
    VDLTopic *const topic = root.subtopicNamed(QStringLiteral("numbers"));
    for (qint64 index = 0; index < count; ++index)
        file(*topic, clock, QByteArray::number(20 + double(index % 1000) / 10 + double(index % 7)));
    VDLChartView chart;
    chart.resize(800, 400);
    chart.show();
    QCoreApplication::processEvents();
    const double first = measure([&] { chart.setTopic(topic); });
    std::printf("  %lld numbers: first draw %.1f ms (%d points drawn)\n", count, first, chart.drawnPointCount());

    std::vector<double> redraws;
    for (int round = 0; round < 50; ++round) {
        file(*topic, clock, "42.5");
        redraws.push_back(measure([&] { chart.redraw(); }));
    }
    std::sort(redraws.begin(), redraws.end());
    std::printf("  redraw after one new message: median %.2f ms, worst %.2f ms (50 rounds)\n", redraws[redraws.size() / 2],
                redraws.back());

    const QCPRange whole = chart.plot()->xAxis->range();
    std::vector<double> pans;
    for (int round = 0; round < 20; ++round) {
        const double from = whole.lower + whole.size() * round / 40;
        pans.push_back(measure([&] {
            chart.plot()->xAxis->setRange(from, from + whole.size() / 2);
            chart.plot()->replot();
        }));
    }
    std::sort(pans.begin(), pans.end());
    std::printf("  pan of a view zoomed to half the history: median %.2f ms, worst %.2f ms\n", pans[pans.size() / 2],
                pans.back());
}

void measureObjects(qint64 count, SteppingClock &clock)
{
    VDLTopic root;
    VDLTopic *const topic = root.subtopicNamed(QStringLiteral("objects"));
    for (qint64 index = 0; index < count; ++index)
        file(*topic, clock,
             R"({"temperature":)" + QByteArray::number(double(index % 300) / 10) + R"(,"humidity":55,"battery":97})");
    VDLChartView chart;
    chart.resize(800, 400);
    chart.show();
    QCoreApplication::processEvents();
    double longestTurn = 0;
    QElapsedTimer turn;
    QObject::connect(&chart, &VDLChartView::redrawn, [&] {
        longestTurn = std::max(longestTurn, milliseconds(turn));
    });
    QElapsedTimer whole;
    whole.start();
    turn.start();
    chart.setTopic(topic);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        turn.start();
        if (chart.messagesRead() == topic->receivedMessageCount())
            loop.quit();
    });
    poll.start(0);
    loop.exec();
    std::printf("  %lld JSON objects (field %s): whole history drawn after %.1f ms, longest turn %.1f ms\n", count,
                qPrintable(chart.field().name()), milliseconds(whole), longestTurn);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const qint64 count = argc > 1 ? std::max(1LL, QByteArray(argv[1]).toLongLong()) : 1'000'000;
    SteppingClock clock;
    VOKClock::setCurrent(&clock);
    std::printf("Chart of one topic's history (offscreen, 800 x 400):\n");
    measureNumbers(count, clock);
    measureObjects(std::min<qint64>(count, 100'000), clock);
    VOKClock::setCurrent(nullptr);
    return 0;
}

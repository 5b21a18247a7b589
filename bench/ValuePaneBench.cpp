// bench_value_pane: what selecting a topic with a large latest payload costs the viewer window.
//
//   bench_value_pane [MB ...]   (default 1 5 16)
//
// Starts a local mosquitto, publishes retained JSON, text and binary payloads of each size on
// topics of their own, opens a viewer window (offscreen) on the broker and selects each topic in
// turn. For each it prints the time until the GUI thread is idle again (a 0 ms timer round trip
// after the selection), the time until the value pane shows the payload (its background work
// done), the longest the GUI thread was busy in between, the peak resident memory above the
// level before the selection, and the time to leave the topic again for a small one. Then it selects a topic that receives a 5 MB JSON message
// every second for ten seconds and prints how late a 50 ms timer fires meanwhile.

#include "BenchPort.h"
#include "VDLClient.h"
#include "VDLTopic.h"
#include "VDLPayloadView.h"
#include "VDLURLOpener.h"
#include "VDLValueViewController.h"
#include "VDLViewerViewController.h"
#include "VOKMosquittoClient.h"
#include "VOKWindowController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr int megabyte = 1024 * 1024;

bool waitFor(const std::function<bool()> &condition, int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

QByteArray jsonPayload(qsizetype size)
{
    QByteArray json = "[";
    for (int index = 0; json.size() < size; ++index) {
        if (index > 0)
            json += ',';
        json += R"({"id":)" + QByteArray::number(index) + R"(,"name":"sensor-)" + QByteArray::number(index)
            + R"(","values":[21.5,40,1013.25],"online":true,"room":null})";
    }
    return json + "]";
}

QByteArray textPayload(qsizetype size)
{
    QByteArray text;
    for (int index = 0; text.size() < size; ++index)
        text += "2026-12-07 12:00:00 INFO line " + QByteArray::number(index) + " the pump reports a steady flow\n";
    return text;
}

QByteArray binaryPayload(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    std::mt19937 random(7);
    for (char &byte : bytes)
        byte = char(random());
    bytes[0] = 0; // never text
    return bytes;
}

// Kilobytes from /proc/self/status.
long statusKilobytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toLong();
    }
    return 0;
}

void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Milliseconds until a 0 ms timer started after the step has fired: the GUI thread is idle again.
double untilIdle(const std::function<void()> &step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
    return double(timer.nsecsElapsed()) / 1e6;
}

// Milliseconds until background work is done and its results are delivered, waiting in the
// event loop so that the GUI thread's stalls meanwhile show in the stall watch.
double untilShown(const VDLViewerViewController &viewer, const QElapsedTimer &since)
{
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!viewer.valuePane()->payloadView()->isPreparing())
            loop.quit();
    });
    poll.start();
    loop.exec();
    QCoreApplication::processEvents();
    return double(since.nsecsElapsed()) / 1e6;
}

// The longest time the GUI thread did not get to a 10 ms timer while it ran.
class StallWatch
{
public:
    StallWatch()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, double(m_sinceTick.nsecsElapsed()) / 1e6 - 10);
            m_sinceTick.start();
        });
        m_sinceTick.start();
        m_timer.start();
    }

    double longest() const { return std::max(m_longest, double(m_sinceTick.nsecsElapsed()) / 1e6 - 10); }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    double m_longest = 0;
};

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[size_t(fraction * double(values.size() - 1))];
}

struct Payload
{
    QString topic;
    QByteArray bytes;
};

void measureSelection(VDLViewerViewController &viewer, const Payload &payload)
{
    QCoreApplication::processEvents();
    const long before = statusKilobytes("VmRSS:");
    resetPeakMemory();
    QElapsedTimer since;
    since.start();
    const StallWatch stalls;
    const double idle = untilIdle([&] { viewer.handleUrl(QUrl(QStringLiteral("mqtt://h/") + payload.topic)); });
    const double shown = untilShown(viewer, since);
    const double longestStall = stalls.longest();
    const long peak = statusKilobytes("VmHWM:");
    const double leave = untilIdle([&] { viewer.handleUrl(QUrl(QStringLiteral("mqtt://h/bench/small"))); });
    untilShown(viewer, since);
    const double added = double(std::max(0L, peak - before)) * 1024;
    std::printf("  %-14s %4.1f MB  idle after %7.1f ms  shown after %7.1f ms  longest stall %7.1f ms  peak RSS +%6.1f MB "
                "(%.1fx)  leave %6.1f ms\n",
                qPrintable(payload.topic), double(payload.bytes.size()) / megabyte, idle, shown, longestStall,
                added / megabyte, added / double(payload.bytes.size()), leave);
    std::fflush(stdout);
}

void measureArrivals(VDLViewerViewController &viewer, VOKMosquittoClient &publisher)
{
    const QString topic = QStringLiteral("bench/live");
    const QByteArray payload = jsonPayload(5 * megabyte);
    const quint64 before = viewer.client()->rootTopic()->totalMessages();
    publisher.publishTopic(topic, payload, false);
    waitFor([&] { return viewer.client()->rootTopic()->totalMessages() > before; }, 30000);
    viewer.handleUrl(QUrl(QStringLiteral("mqtt://h/") + topic));
    untilShown(viewer, QElapsedTimer());

    std::vector<double> delays;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(50);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        delays.push_back(std::max(0.0, double(sinceTick.nsecsElapsed()) / 1e6 - 50));
        sinceTick.start();
    });
    QTimer arrivals;
    arrivals.setInterval(1000);
    int sent = 0;
    QEventLoop loop;
    QObject::connect(&arrivals, &QTimer::timeout, [&] {
        if (++sent > 10) {
            loop.quit();
            return;
        }
        publisher.publishTopic(topic, payload, false);
    });
    resetPeakMemory();
    sinceTick.start();
    ticker.start();
    arrivals.start();
    loop.exec();
    ticker.stop();
    std::printf("  5 MB JSON every second on the selected topic, 10 s: 50 ms timer lateness p50 %.1f ms, p99 %.1f ms, "
                "max %.1f ms (%zu ticks), peak RSS %.1f MB\n",
                percentile(delays, 0.5), percentile(delays, 0.99),
                delays.empty() ? 0.0 : *std::max_element(delays.begin(), delays.end()), delays.size(),
                double(statusKilobytes("VmHWM:")) / 1024);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QList<int> sizes;
    for (const QString &argument : QCoreApplication::arguments().mid(1))
        sizes.append(std::max(1, argument.toInt()));
    if (sizes.isEmpty())
        sizes = {1, 5, 16};

    const int port = benchFreePort();
    QProcess broker;
    broker.start(QStringLiteral("mosquitto"), {QStringLiteral("-p"), QString::number(port)});
    if (!benchWaitUntilListening(port)) {
        std::fprintf(stderr, "bench_value_pane: cannot start mosquitto\n");
        return 1;
    }
    VOKMosquittoClient publisher(QStringLiteral("127.0.0.1"), port);
    QList<Payload> payloads;
    for (const int size : sizes) {
        payloads.append({QStringLiteral("bench/json%1").arg(size), jsonPayload(qsizetype(size) * megabyte)});
        payloads.append({QStringLiteral("bench/text%1").arg(size), textPayload(qsizetype(size) * megabyte)});
        payloads.append({QStringLiteral("bench/binary%1").arg(size), binaryPayload(qsizetype(size) * megabyte)});
    }
    publisher.publishTopic(QStringLiteral("bench/small"), "21.5", true);
    for (const Payload &payload : std::as_const(payloads))
        publisher.publishTopic(payload.topic, payload.bytes, true);
    publisher.connectToBroker();
    if (!waitFor([&] { return publisher.isConnected() && publisher.publishQueue().isEmpty(); }, 30000)) {
        std::fprintf(stderr, "bench_value_pane: cannot publish\n");
        return 1;
    }

    VDLURLOpener::open(QUrl(QStringLiteral("mqtt://127.0.0.1:%1/").arg(port)));
    auto *const viewer =
        qobject_cast<VDLViewerViewController *>(VOKWindowController::openControllers().first()->viewController());
    const quint64 expected = quint64(payloads.size()) + 1;
    if (!waitFor([&] { return viewer->client()->rootTopic() && viewer->client()->rootTopic()->totalMessages() >= expected; }, 60000)) {
        std::fprintf(stderr, "bench_value_pane: the payloads did not arrive\n");
        return 1;
    }
    viewer->handleUrl(QUrl(QStringLiteral("mqtt://h/bench/small")));
    waitFor([] { return false; }, 300);
    std::printf("Selecting a topic whose latest payload is large (viewer window, offscreen):\n");
    for (const Payload &payload : std::as_const(payloads))
        measureSelection(*viewer, payload);
    measureArrivals(*viewer, publisher);
    publisher.disconnectFromBroker();
    broker.terminate();
    broker.waitForFinished();
    return 0;
}

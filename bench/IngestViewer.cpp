#include "IngestViewer.h"

#include "IngestConnection.h"
#include "IngestFlood.h"
#include "IngestNodeMemory.h"
#include "IngestProcess.h"
#include "IngestThreadCost.h"
#include "VDLOutlineSearch.h"
#include "VDLClient.h"
#include "VDLTopic.h"
#include "VDLTopicsModel.h"
#include "VDLTopicsViewController.h"
#include "VDLChartView.h"
#include "VDLURLOpener.h"
#include "VDLValueViewController.h"
#include "VDLViewerViewController.h"
#include "VOKOutlineView.h"
#include "VOKWindowController.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int tickMilliseconds = 50;

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[size_t(fraction * double(values.size() - 1))];
}

struct Tick
{
    double second;
    double delayMilliseconds;
};

std::vector<double> delaysUntil(const std::vector<Tick> &ticks, double lastSecond)
{
    std::vector<double> delays;
    for (const Tick &tick : ticks) {
        if (tick.second <= lastSecond)
            delays.push_back(tick.delayMilliseconds);
    }
    return delays;
}

void expandFirstLevel(VDLViewerViewController &viewer)
{
    VDLTopicsModel *const model = viewer.topicsPane()->model();
    model->flushPendingChanges();
    const QModelIndex root = model->index(0, 0);
    viewer.topicsPane()->outlineView()->expand(root);
    for (int row = 0; row < model->rowCount(root); ++row)
        viewer.topicsPane()->outlineView()->expand(model->index(row, 0, root));
}

// Once the first messages are in: the tree opened, one topic selected, and the chart or the
// search with Filter on when asked for.
void prepare(VDLViewerViewController &viewer, const QByteArray &selectedTopic, const IngestViewerOptions &options)
{
    expandFirstLevel(viewer);
    viewer.handleUrl(QUrl(QStringLiteral("mqtt://h/") + QString::fromUtf8(selectedTopic)));
    if (options.showChart)
        viewer.valuePane()->chooseView(VDLValueViewController::ChartView);
    if (!options.search.isEmpty()) {
        viewer.topicsPane()->search()->setSearchString(options.search);
        viewer.topicsPane()->search()->setDoFilter(true);
    }
}

quint64 droppedMessages(const VDLTopic &topic)
{
    quint64 dropped = topic.history().droppedCount();
    for (const VDLTopic *child : topic.subTopics())
        dropped += droppedMessages(*child);
    return dropped;
}

QString runName(const IngestViewerOptions &options)
{
    if (!options.search.isEmpty())
        return QStringLiteral("... searching \"%1\", Filter on").arg(options.search);
    if (options.showChart)
        return QStringLiteral("... with the topic's chart shown");
    if (options.historyBudgetBytes > 0)
        return QStringLiteral("... with a %1 MB history budget").arg(options.historyBudgetBytes >> 20);
    return QStringLiteral("Vindle viewer window");
}

void printWindowRun(VDLViewerViewController &viewer, const IngestFlood &flood, const IngestViewerOptions &options,
                    const std::vector<double> &delays)
{
    const QString who = runName(options);
    const double elapsed = flood.secondsToLastArrival();
    std::printf("  %-30s wall %7.2f s  %9.0f msgs/s  peak RSS %7.1f MB  selected %s\n", qPrintable(who), elapsed,
                double(flood.arrivedCount()) / elapsed, double(ingestPeakResidentKilobytes()) / 1024,
                viewer.selectedTopic() ? "yes" : "no");
    flood.printArrivals();
    if (options.historyBudgetBytes > 0)
        std::printf("  messages dropped for the budget: %llu\n",
                    static_cast<unsigned long long>(droppedMessages(*viewer.client()->rootTopic())));
    if (options.showChart)
        std::printf("  chart shown: %s, %d points drawn\n",
                    viewer.valuePane()->currentView() == VDLValueViewController::ChartView ? "yes" : "no",
                    viewer.valuePane()->chartView()->drawnPointCount());
    if (!options.search.isEmpty()) {
        viewer.topicsPane()->search()->findNext();
        std::printf("  search info at the end: %s\n", qPrintable(viewer.topicsPane()->search()->searchInfo()));
    }
    std::printf("  VIEWER_WALL %.4f\n", elapsed);
    std::printf("  50 ms timer lateness: p50 %.1f ms, p99 %.1f ms, max %.1f ms (%zu ticks)\n", percentile(delays, 0.5),
                percentile(delays, 0.99), delays.empty() ? 0.0 : *std::max_element(delays.begin(), delays.end()),
                delays.size());
}

} // namespace

int runIngestViewer(int port, const IngestWorkload &workload, const IngestViewerOptions &options)
{
    VDLURLOpener::open(QUrl(QStringLiteral("mqtt://127.0.0.1:%1/").arg(port)));
    if (VOKWindowController::openControllers().isEmpty())
        return 1;
    auto *const viewer = qobject_cast<VDLViewerViewController *>(VOKWindowController::openControllers().first()->viewController());
    viewer->client()->setHistoryBudget(options.historyBudgetBytes);
    VDLTopic *const root = ingestWaitForRoot(*viewer->client());
    if (!root) {
        std::fprintf(stderr, "viewer: no connection\n");
        return 1;
    }

    // The GUI thread's lateness: how far each tick of a 50 ms timer comes after its time. Ticks of
    // the quiet period after the last message are left out.
    std::vector<Tick> ticks;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(tickMilliseconds);

    const QByteArray selectedTopic = workload.topic(0);
    IngestNodeMemory nodeMemory(workload);
    IngestThreadCost guiCost(workload.messageCount());
    bool prepared = false;
    IngestFlood flood(port, workload);
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
        const double late = double(sinceTick.nsecsElapsed()) / 1e6 - tickMilliseconds;
        ticks.push_back({flood.secondsSinceStart(), std::max(0.0, late)});
        sinceTick.start();
    });
    QObject::connect(root, &VDLTopic::totalMessagesChanged, root, [&] {
        const qint64 filed = qint64(root->totalMessages());
        if (!prepared && filed >= 1000) {
            prepared = true;
            prepare(*viewer, selectedTopic, options);
        }
        flood.arrived(filed);
        guiCost.filed(filed);
        nodeMemory.sample(*root);
    });
    sinceTick.start();
    ticker.start();
    flood.runUntilQuiet();
    ticker.stop();
    guiCost.finish(flood.arrivedCount());
    const std::vector<double> delays = delaysUntil(ticks, flood.secondsToLastArrival());
    printWindowRun(*viewer, flood, options, delays);
    guiCost.print();
    nodeMemory.print();
    return 0;
}

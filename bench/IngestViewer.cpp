#include "IngestViewer.h"

#include "IngestNodeMemory.h"
#include "IngestThreadClock.h"
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
#include <QEventLoop>
#include <QTimer>
#include <QUrl>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int tickMilliseconds = 50;
constexpr int runTimeoutMilliseconds = 180000;

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[size_t(fraction * double(values.size() - 1))];
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

} // namespace

int runIngestViewer(int port, const IngestWorkload &workload, const QString &search, bool showChart,
                    const std::function<std::function<void()>()> &startPublisher)
{
    const qint64 count = workload.messageCount();
    VDLURLOpener::open(QUrl(QStringLiteral("mqtt://127.0.0.1:%1/").arg(port)));
    if (VOKWindowController::openControllers().isEmpty())
        return 1;
    auto *const viewer = qobject_cast<VDLViewerViewController *>(VOKWindowController::openControllers().first()->viewController());
    QEventLoop loop;
    QTimer::singleShot(runTimeoutMilliseconds, &loop, &QEventLoop::quit);
    QObject::connect(viewer->client(), &VDLClient::rootTopicChanged, &loop, &QEventLoop::quit);
    loop.exec();
    VDLTopic *const root = viewer->client()->rootTopic();
    if (!root) {
        std::fprintf(stderr, "viewer: no connection\n");
        return 1;
    }

    // The GUI thread's lateness: how far each tick of a 50 ms timer comes after its time.
    std::vector<double> delays;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(tickMilliseconds);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        delays.push_back(std::max(0.0, double(sinceTick.nsecsElapsed()) / 1e6 - tickMilliseconds));
        sinceTick.start();
    });

    const QByteArray selectedTopic = workload.topic(0);
    IngestNodeMemory nodeMemory(workload);
    double threadStart = 0;
    double threadAtEnd = 0;
    bool prepared = false;
    double elapsed = 0;
    QElapsedTimer wall;
    QObject::connect(root, &VDLTopic::totalMessagesChanged, &loop, [&] {
        if (!prepared && root->totalMessages() >= 1000) {
            prepared = true;
            expandFirstLevel(*viewer);
            viewer->handleUrl(QUrl(QStringLiteral("mqtt://h/") + QString::fromUtf8(selectedTopic)));
            if (showChart)
                viewer->valuePane()->chooseView(VDLValueViewController::ChartView);
            if (!search.isEmpty()) {
                viewer->topicsPane()->search()->setSearchString(search);
                viewer->topicsPane()->search()->setDoFilter(true);
            }
        }
        nodeMemory.sample(*root);
        if (root->totalMessages() == quint64(count)) {
            threadAtEnd = ingestThreadCpuSeconds();
            elapsed = double(wall.nsecsElapsed()) / 1e9;
            loop.quit();
        }
    });
    wall.start();
    threadStart = ingestThreadCpuSeconds();
    sinceTick.start();
    ticker.start();
    const std::function<void()> waitForPublisher = startPublisher();
    loop.exec();
    ticker.stop();
    waitForPublisher();
    if (elapsed == 0) {
        std::fprintf(stderr, "viewer: only %llu of %lld messages arrived\n",
                     static_cast<unsigned long long>(root->totalMessages()), count);
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const QString who = !search.isEmpty() ? QStringLiteral("... searching \"%1\", Filter on").arg(search)
        : showChart                       ? QStringLiteral("... with the topic's chart shown")
                                          : QStringLiteral("Vindle viewer window");
    std::printf("  %-30s wall %7.2f s  %9.0f msgs/s  peak RSS %7.1f MB  selected %s\n", qPrintable(who), elapsed,
                double(count) / elapsed, double(usage.ru_maxrss) / 1024, viewer->selectedTopic() ? "yes" : "no");
    if (showChart)
        std::printf("  chart shown: %s, %d points drawn\n",
                    viewer->valuePane()->currentView() == VDLValueViewController::ChartView ? "yes" : "no",
                    viewer->valuePane()->chartView()->drawnPointCount());
    if (!search.isEmpty()) {
        viewer->topicsPane()->search()->findNext();
        std::printf("  search info at the end: %s\n", qPrintable(viewer->topicsPane()->search()->searchInfo()));
    }
    std::printf("  VIEWER_WALL %.4f\n", elapsed);
    std::printf("  50 ms timer lateness: p50 %.1f ms, p99 %.1f ms, max %.1f ms (%zu ticks)\n", percentile(delays, 0.5),
                percentile(delays, 0.99), delays.empty() ? 0.0 : *std::max_element(delays.begin(), delays.end()),
                delays.size());
    std::printf("  GUI thread per message: %.2f us\n", (threadAtEnd - threadStart) / double(count) * 1e6);
    nodeMemory.print();
    return 0;
}

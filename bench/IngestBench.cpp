// bench_ingest: how fast VDLClient files a broker's messages into its tree, against
// `mosquitto_sub -t '#'` receiving the same messages.
//
//   bench_ingest [a] [b] [c] [g] [s] [--count N]
//
// Starts a local mosquitto, and for each scenario (all three by default) runs the reference and
// then Vindle, each in a fresh process, with a publisher process sending the workload at full
// speed. Prints wall and CPU times, the ratio, messages per second, peak resident memory, heap
// bytes per stored message beyond its payload, and the GUI thread's cost per message in the
// first and last 10% of the run. Scenario g runs the headless client and then the viewer window
// (offscreen) on the same flood, for the window's ingest rate and the GUI thread's lateness, and
// the window once more with the selected topic's chart shown;
// scenario s does the same on 100,000 topics, and then runs the window once more with a search
// and Filter on.

#include "BenchPort.h"
#include "IngestHeap.h"
#include "IngestNodeMemory.h"
#include "IngestPublisher.h"
#include "IngestThreadClock.h"
#include "IngestViewer.h"
#include "IngestWorkload.h"
#include "VDLClient.h"
#include "VDLTopic.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <memory>
#include <vector>

extern char **environ;

namespace {

constexpr int settleMilliseconds = 500;
constexpr int runTimeoutMilliseconds = 120000;

struct Child
{
    pid_t pid = -1;
};

Child spawn(const QStringList &arguments, bool silenceOutput)
{
    std::vector<QByteArray> storage;
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (silenceOutput) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    Child child;
    if (posix_spawnp(&child.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        child.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

rusage waitFor(const Child &child)
{
    rusage usage{};
    int status = 0;
    wait4(child.pid, &status, 0, &usage);
    return usage;
}

double seconds(const timeval &time)
{
    return double(time.tv_sec) + double(time.tv_usec) / 1e6;
}

double cpuSeconds(const rusage &usage)
{
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

Child startPublisher(int port, const IngestWorkload &workload)
{
    return spawn({QCoreApplication::applicationFilePath(), QStringLiteral("--publish"), QString::number(port),
                  QString(QLatin1Char(workload.scenario())), QString::number(workload.messageCount())},
                 false);
}

void printRun(const char *who, double wall, double cpu, qint64 count, long peakKilobytes)
{
    std::printf("  %-22s wall %7.2f s  cpu %7.2f s  %9.0f msgs/s  peak RSS %7.1f MB\n", who, wall, cpu,
                double(count) / wall, double(peakKilobytes) / 1024);
}

// The reference: mosquitto_sub printing every message to /dev/null.
int runReference(int port, const IngestWorkload &workload)
{
    const Child subscriber = spawn({QStringLiteral("mosquitto_sub"), QStringLiteral("-h"), QStringLiteral("127.0.0.1"),
                                    QStringLiteral("-p"), QString::number(port), QStringLiteral("-t"),
                                    QStringLiteral("#"), QStringLiteral("-C"),
                                    QString::number(workload.messageCount())},
                                   true);
    QThread::msleep(settleMilliseconds);
    QElapsedTimer wall;
    wall.start();
    const Child publisher = startPublisher(port, workload);
    const rusage usage = waitFor(subscriber);
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    waitFor(publisher);
    printRun("mosquitto_sub -t '#'", elapsed, cpuSeconds(usage), workload.messageCount(), usage.ru_maxrss);
    std::printf("  REF_WALL %.4f\n", elapsed);
    return 0;
}

qint64 payloadBytes(const IngestWorkload &workload)
{
    qint64 total = 0;
    for (qint64 index = 0; index < workload.messageCount(); ++index)
        total += workload.payload(index).size();
    return total;
}

// Vindle: a viewer client with no window, filing into its tree on this (GUI) thread.
int runVindle(int port, const IngestWorkload &workload)
{
    const qint64 count = workload.messageCount();
    const qint64 payloads = payloadBytes(workload);
    VDLClient client(QStringLiteral("127.0.0.1"), port);
    client.connectWithPath(QString());
    QEventLoop loop;
    QTimer::singleShot(runTimeoutMilliseconds, &loop, &QEventLoop::quit);
    QObject::connect(&client, &VDLClient::rootTopicChanged, &loop, &QEventLoop::quit);
    loop.exec();
    VDLTopic *const root = client.rootTopic();
    if (!root) {
        std::fprintf(stderr, "vindle: no connection\n");
        return 1;
    }
    QTimer::singleShot(settleMilliseconds, &loop, &QEventLoop::quit);
    loop.exec();

    const size_t heapBefore = ingestHeapBytes();
    IngestNodeMemory nodeMemory(workload);
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    const double threadStart = ingestThreadCpuSeconds();
    double threadAtFirstTenth = 0;
    double threadAtLastTenth = 0;
    double threadAtEnd = 0;
    double elapsed = 0;
    QElapsedTimer wall;
    QObject::connect(root, &VDLTopic::totalMessagesChanged, &loop, [&] {
        const quint64 filed = root->totalMessages();
        nodeMemory.sample(*root);
        if (threadAtFirstTenth == 0 && filed >= quint64(count / 10))
            threadAtFirstTenth = ingestThreadCpuSeconds();
        if (threadAtLastTenth == 0 && filed >= quint64(count - count / 10))
            threadAtLastTenth = ingestThreadCpuSeconds();
        if (filed == quint64(count)) {
            threadAtEnd = ingestThreadCpuSeconds();
            elapsed = double(wall.nsecsElapsed()) / 1e9;
            loop.quit();
        }
    });
    wall.start();
    const Child publisher = startPublisher(port, workload);
    loop.exec();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    waitFor(publisher);
    if (threadAtEnd == 0) {
        std::fprintf(stderr, "vindle: only %llu of %lld messages arrived\n",
                     static_cast<unsigned long long>(root->totalMessages()), count);
        return 1;
    }
    const double perMessageFirst = (threadAtFirstTenth - threadStart) / double(count / 10) * 1e6;
    const double perMessageLast = (threadAtEnd - threadAtLastTenth) / double(count / 10) * 1e6;
    const double heapGrowth = double(ingestHeapBytes()) - double(heapBefore);
    printRun("Vindle VDLClient", elapsed, cpuSeconds(after) - cpuSeconds(before), count, after.ru_maxrss);
    std::printf("  VINDLE_WALL %.4f\n", elapsed);
    std::printf("  heap per stored message beyond its payload: %.0f bytes (%llu topics)\n",
                (heapGrowth - double(payloads)) / double(count),
                static_cast<unsigned long long>(root->totalTopics()));
    std::printf("  GUI thread per message: first 10%% %.2f us, last 10%% %.2f us (last/first %.2f)\n",
                perMessageFirst, perMessageLast, perMessageLast / perMessageFirst);
    nodeMemory.print();
    return 0;
}

// Runs this program again in one mode: a fresh process per measured run keeps the figures apart.
void runChild(const QStringList &arguments)
{
    QStringList all{QCoreApplication::applicationFilePath()};
    all.append(arguments);
    std::fflush(stdout);
    waitFor(spawn(all, false));
}

// The viewer window run needs a widget application; everything else runs without one.
bool isViewerRun(int argc, char **argv)
{
    return argc > 1 && QByteArray(argv[1]).startsWith("--viewer");
}

int runAll(const QString &scenarios, qint64 requestedCount)
{
    const int port = benchFreePort();
    const Child broker = spawn({QStringLiteral("mosquitto"), QStringLiteral("-p"), QString::number(port)}, true);
    if (broker.pid < 0 || !benchWaitUntilListening(port)) {
        std::fprintf(stderr, "bench_ingest: cannot start mosquitto\n");
        return 1;
    }
    for (const QChar scenario : scenarios) {
        const char name = char(scenario.unicode());
        if (name == 'g') {
            // The window's scenario: the headless client and the window on the same flood, then
            // the window again with the selected topic's chart shown.
            const qint64 count = requestedCount > 0 ? requestedCount : 200000;
            std::printf("(g) viewer window: %lld messages over 10,000 topics\n", count);
            for (const char *mode : {"--vindle", "--viewer", "--viewer-chart"})
                runChild({QString::fromLatin1(mode), QString::number(port), QStringLiteral("a"), QString::number(count)});
            continue;
        }
        if (name == 's') {
            const qint64 count = requestedCount > 0 ? requestedCount : IngestWorkload::defaultCount(name);
            std::printf("%s\n", qPrintable(IngestWorkload(name, count).description()));
            for (const char *mode : {"--vindle", "--viewer", "--viewer-search"})
                runChild({QString::fromLatin1(mode), QString::number(port), QStringLiteral("s"), QString::number(count)});
            continue;
        }
        const qint64 count = requestedCount > 0 ? requestedCount : IngestWorkload::defaultCount(name);
        std::printf("%s\n", qPrintable(IngestWorkload(name, count).description()));
        for (const char *mode : {"--reference", "--vindle"})
            runChild({QString::fromLatin1(mode), QString::number(port), QString(scenario), QString::number(count)});
    }
    kill(broker.pid, SIGTERM);
    waitFor(broker);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (isViewerRun(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> application = isViewerRun(argc, argv)
        ? std::make_unique<QApplication>(argc, argv)
        : std::make_unique<QCoreApplication>(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() == 4 && arguments[0].startsWith(QLatin1String("--"))) {
        const int port = arguments[1].toInt();
        const IngestWorkload workload(arguments[2].at(0).toLatin1(), arguments[3].toLongLong());
        if (arguments[0] == QLatin1String("--publish"))
            return runIngestPublisher(port, workload);
        if (arguments[0] == QLatin1String("--reference"))
            return runReference(port, workload);
        if (arguments[0] == QLatin1String("--vindle"))
            return runVindle(port, workload);
        if (arguments[0].startsWith(QLatin1String("--viewer"))) {
            const QString search = arguments[0] == QLatin1String("--viewer-search") ? QStringLiteral("probe") : QString();
            const bool showChart = arguments[0] == QLatin1String("--viewer-chart");
            return runIngestViewer(port, workload, search, showChart, [port, &workload]() -> std::function<void()> {
                const Child publisher = startPublisher(port, workload);
                return [publisher] { waitFor(publisher); };
            });
        }
    }
    QString scenarios;
    qint64 count = 0;
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        if (arguments[index] == QLatin1String("--count") && index + 1 < arguments.size())
            count = arguments[++index].toLongLong();
        else if (arguments[index].size() == 1 && QStringLiteral("abcgs").contains(arguments[index]))
            scenarios += arguments[index];
    }
    return runAll(scenarios.isEmpty() ? QStringLiteral("abc") : scenarios, count);
}

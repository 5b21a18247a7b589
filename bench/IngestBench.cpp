// bench_ingest: how fast VDLClient files a broker's messages into its tree, against
// `mosquitto_sub -t '#'` receiving the same messages.
//
//   bench_ingest [a] [b] [c] [d] [g] [s] [--count N] [--hog]
//
// Starts a local mosquitto, and for each scenario (a, b and c by default) runs the reference and
// then Vindle, each in a fresh process, with a publisher process sending the workload at full
// speed. A run ends once the publisher has exited and nothing new has arrived for a while, since
// the broker drops messages for a receiver that falls behind. Prints for each run how many
// messages arrived of those sent, wall time to the last one, CPU time, messages per second and
// peak resident memory, and for the scenario the ratio of CPU per message. Vindle's run adds its
// heap bytes per stored message beyond its payload and the GUI thread's cost per message over the
// run and in its first and last 10%. Scenario d is a with ten million messages. Scenario g runs
// the headless client and then the viewer window (offscreen) on the same flood, for the window's
// ingest rate and the GUI thread's lateness, the window once more with the selected topic's
// chart shown, and once more with a 4 MB history budget; d adds the tree filled without a broker; scenario s does the same on 100,000 topics, and then runs the window once more
// with a search and Filter on. With --hog, one busy loop per core runs beside each scenario's runs.

#include "BenchPort.h"
#include "IngestConnection.h"
#include "IngestFlood.h"
#include "IngestHeap.h"
#include "IngestHogs.h"
#include "IngestNodeMemory.h"
#include "IngestPipe.h"
#include "IngestProcess.h"
#include "IngestPublisher.h"
#include "IngestThreadCost.h"
#include "IngestViewer.h"
#include "IngestWorkload.h"
#include "VDLClient.h"
#include "VDLTopic.h"
#include "VDLTopicPath.h"

#include <QApplication>
#include <QEventLoop>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

constexpr int settleMilliseconds = 500;
// What mosquitto_sub prints for each message: one byte, so that counting costs it next to nothing.
constexpr char referenceMark = 'x';
constexpr int referenceReadMilliseconds = 10;
const char *const cpuPerMessageKey = "CPU_US_PER_MESSAGE";
// Less than g's histories hold, so the budget trims while the window fills.
constexpr quint64 viewerHistoryBudgetBytes = 4 * 1024 * 1024;

void printRun(const char *who, const IngestFlood &flood, double cpu, long peakKilobytes)
{
    const double wall = flood.secondsToLastArrival();
    const double arrived = double(std::max<qint64>(1, flood.arrivedCount()));
    std::printf("  %-22s wall %7.2f s  cpu %7.2f s  %9.0f msgs/s  peak RSS %7.1f MB\n", who, wall, cpu, arrived / wall,
                double(peakKilobytes) / 1024);
    flood.printArrivals();
    std::printf("  %s %.4f\n", cpuPerMessageKey, cpu / arrived * 1e6);
}

// The reference: mosquitto_sub printing one byte per message into a pipe that this process counts.
// It writes each message at once; the pipe is read every 10 ms rather than as each byte comes, as
// waking the reader for every message would cost mosquitto_sub more than the write itself. So the
// count is exact and the time of the last message is within 10 ms.
int runReference(int port, const IngestWorkload &workload)
{
    IngestPipe output;
    const IngestChild subscriber = ingestSpawn(
        {QStringLiteral("mosquitto_sub"), QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
         QString::number(port), QStringLiteral("-t"), QStringLiteral("#"), QStringLiteral("-F"),
         QString(QLatin1Char(referenceMark)), QStringLiteral("-N")},
        output.writeFd());
    output.closeWriteEnd();
    if (subscriber.pid < 0 || !output.isOpen()) {
        std::fprintf(stderr, "reference: cannot start mosquitto_sub\n");
        return 1;
    }
    QThread::msleep(settleMilliseconds);
    IngestFlood flood(port, workload);
    qint64 count = 0;
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, &reader, [&] {
        const QByteArray chunk = output.readAvailable();
        count += std::count(chunk.begin(), chunk.end(), referenceMark);
        flood.arrived(count);
    });
    reader.start(referenceReadMilliseconds);
    flood.runUntilQuiet();
    const long peakKilobytes = ingestPeakResidentKilobytes(subscriber.pid);
    kill(subscriber.pid, SIGTERM);
    const rusage usage = ingestWaitFor(subscriber);
    printRun("mosquitto_sub -t '#'", flood, ingestCpuSeconds(usage), peakKilobytes);
    std::printf("  REF_WALL %.4f\n", flood.secondsToLastArrival());
    return 0;
}

qint64 payloadBytes(const IngestWorkload &workload)
{
    qint64 total = 0;
    for (qint64 index = 0; index < workload.messageCount(); ++index)
        total += workload.payload(index).size();
    return total;
}

// What the topics' histories hold, as they account for it: the messages without the tree.
quint64 historyBytes(const VDLTopic &topic)
{
    quint64 bytes = topic.history().memoryBytes();
    for (const VDLTopic *child : topic.subTopics())
        bytes += historyBytes(*child);
    return bytes;
}

void printStorage(const VDLTopic &root, double heapGrowth, double storedPayloads, double stored)
{
    std::printf("  heap per stored message beyond its payload: %.0f bytes with the tree's %llu topics, %.0f in the "
                "histories alone\n",
                (heapGrowth - storedPayloads) / stored, static_cast<unsigned long long>(root.totalTopics()),
                (double(historyBytes(root)) - storedPayloads) / stored);
}

// Connects and lets the subscription settle before the flood.
VDLTopic *connectedRoot(VDLClient &client)
{
    client.connectWithPath(QString());
    VDLTopic *const root = ingestWaitForRoot(client);
    if (root) {
        QEventLoop loop;
        QTimer::singleShot(settleMilliseconds, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return root;
}

// Vindle: a viewer client with no window, filing into its tree on this (GUI) thread. Its CPU is
// the whole process's: the network thread and the GUI thread together.
int runVindle(int port, const IngestWorkload &workload)
{
    const qint64 payloads = payloadBytes(workload);
    VDLClient client(QStringLiteral("127.0.0.1"), port);
    VDLTopic *const root = connectedRoot(client);
    if (!root) {
        std::fprintf(stderr, "vindle: no connection\n");
        return 1;
    }
    const std::size_t heapBefore = ingestHeapBytes();
    IngestNodeMemory nodeMemory(workload);
    IngestThreadCost guiCost(workload.messageCount());
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    IngestFlood flood(port, workload);
    QObject::connect(root, &VDLTopic::totalMessagesChanged, root, [&] {
        const qint64 filed = qint64(root->totalMessages());
        flood.arrived(filed);
        guiCost.filed(filed);
        nodeMemory.sample(*root);
    });
    flood.runUntilQuiet();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    guiCost.finish(flood.arrivedCount());
    // Which messages were dropped is unknown; the payload sizes are spread evenly enough over the
    // workload that the arrived share of their sum stands for the stored ones.
    const double arrived = double(std::max<qint64>(1, flood.arrivedCount()));
    const double storedPayloads = double(payloads) * arrived / double(workload.messageCount());
    const double heapGrowth = double(ingestHeapBytes()) - double(heapBefore);
    const double cpu = ingestCpuSeconds(after) - ingestCpuSeconds(before);
    printRun("Vindle VDLClient", flood, cpu, ingestPeakResidentKilobytes());
    std::printf("  VINDLE_WALL %.4f\n", flood.secondsToLastArrival());
    printStorage(*root, heapGrowth, storedPayloads, arrived);
    guiCost.print();
    nodeMemory.print();
    return 0;
}

// The tree alone, filed on this thread straight from the workload without a broker: what ten
// million stored messages cost where no broker on this machine keeps up with the publisher.
int runStore(const IngestWorkload &workload)
{
    const qint64 payloads = payloadBytes(workload);
    VDLTopic root;
    const std::size_t heapBefore = ingestHeapBytes();
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    for (qint64 index = 0; index < workload.messageCount(); ++index) {
        const QString topic = QString::fromUtf8(workload.topic(index));
        VDLTopicLevels levels(topic);
        VDLTopic *node = &root;
        for (QStringView level; levels.next(level);)
            node = node->subtopicNamed(level);
        node->addMessage(index, workload.payload(index), 0, false, 0);
    }
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const double count = double(workload.messageCount());
    const double cpu = ingestCpuSeconds(after) - ingestCpuSeconds(before);
    std::printf("  %-22s cpu %7.2f s  %9.0f msgs/s  peak RSS %7.1f MB\n", "Vindle tree, no broker", cpu, count / cpu,
                double(ingestPeakResidentKilobytes()) / 1024);
    std::printf("  stored %llu messages\n", static_cast<unsigned long long>(root.totalMessages()));
    printStorage(root, double(ingestHeapBytes()) - double(heapBefore), double(payloads), count);
    return 0;
}

// Runs this program again in one mode, a fresh process per measured run to keep the figures apart,
// and answers the CPU per message it reported.
std::optional<double> runChild(const QStringList &arguments)
{
    std::fflush(stdout);
    IngestPipe output;
    const IngestChild child = ingestSpawnSelf(arguments, output.writeFd());
    output.closeWriteEnd();
    QByteArray printed;
    for (QByteArray chunk = output.readSome(); !chunk.isEmpty(); chunk = output.readSome())
        printed += chunk;
    ingestWaitFor(child);
    std::fwrite(printed.constData(), 1, size_t(printed.size()), stdout);
    static const QRegularExpression cpuLine(QStringLiteral("%1 ([0-9.]+)").arg(QLatin1String(cpuPerMessageKey)));
    const QRegularExpressionMatch match = cpuLine.match(QString::fromLatin1(printed));
    return match.hasMatch() ? std::optional(match.captured(1).toDouble()) : std::nullopt;
}

// The window's scenarios run the headless client and then the window; the others the reference
// and then the headless client.
QStringList modesOf(char scenario)
{
    switch (scenario) {
    case 'g':
        return {QStringLiteral("--vindle"), QStringLiteral("--viewer"), QStringLiteral("--viewer-chart"),
                QStringLiteral("--viewer-budget")};
    case 'd':
        return {QStringLiteral("--reference"), QStringLiteral("--vindle"), QStringLiteral("--store")};
    case 's':
        return {QStringLiteral("--vindle"), QStringLiteral("--viewer"), QStringLiteral("--viewer-search")};
    default:
        return {QStringLiteral("--reference"), QStringLiteral("--vindle")};
    }
}

void runScenario(int port, char scenario, qint64 requestedCount, bool hog)
{
    // The window's scenario g floods it with a's messages, fewer of them by default.
    const char stream = scenario == 'g' ? 'a' : scenario;
    const qint64 defaultCount = scenario == 'g' ? 200000 : IngestWorkload::defaultCount(stream);
    const qint64 count = requestedCount > 0 ? requestedCount : defaultCount;
    const IngestWorkload workload(stream, count);
    QString heading = scenario == 'g' ? QStringLiteral("(g) viewer window: %1 messages over 10,000 topics").arg(count)
                                      : workload.description();
    if (hog)
        heading += QStringLiteral(" [hog on: %1 busy loops beside the runs]").arg(IngestHogs::countForThisMachine());
    std::printf("%s\n", qPrintable(heading));
    const IngestHogs hogs(hog);
    std::optional<double> referenceCpu;
    std::optional<double> vindleCpu;
    for (const QString &mode : modesOf(scenario)) {
        const std::optional<double> cpu =
            runChild({mode, QString::number(port), QString(QLatin1Char(stream)), QString::number(count)});
        if (mode == QLatin1String("--reference"))
            referenceCpu = cpu;
        else if (mode == QLatin1String("--vindle"))
            vindleCpu = cpu;
    }
    if (referenceCpu && vindleCpu && *referenceCpu > 0)
        std::printf("  cpu ratio %.2fx (Vindle's CPU per message over mosquitto_sub's)\n", *vindleCpu / *referenceCpu);
}

int runAll(const QString &scenarios, qint64 requestedCount, bool hog)
{
    const int port = benchFreePort();
    const IngestChild broker = ingestSpawnSilenced({QStringLiteral("mosquitto"), QStringLiteral("-p"), QString::number(port)});
    if (broker.pid < 0 || !benchWaitUntilListening(port)) {
        std::fprintf(stderr, "bench_ingest: cannot start mosquitto\n");
        return 1;
    }
    for (const QChar scenario : scenarios)
        runScenario(port, char(scenario.unicode()), requestedCount, hog);
    kill(broker.pid, SIGTERM);
    ingestWaitFor(broker);
    return 0;
}

// The viewer window run needs a widget application; everything else runs without one.
bool isViewerRun(int argc, char **argv)
{
    return argc > 1 && QByteArray(argv[1]).startsWith("--viewer");
}

int runMode(const QStringList &arguments)
{
    const QString &mode = arguments[0];
    const int port = arguments[1].toInt();
    const IngestWorkload workload(arguments[2].at(0).toLatin1(), arguments[3].toLongLong());
    if (mode == QLatin1String("--publish"))
        return runIngestPublisher(port, workload);
    if (mode == QLatin1String("--reference"))
        return runReference(port, workload);
    if (mode == QLatin1String("--vindle"))
        return runVindle(port, workload);
    if (mode == QLatin1String("--store"))
        return runStore(workload);
    if (!mode.startsWith(QLatin1String("--viewer"))) {
        std::fprintf(stderr, "bench_ingest: unknown mode %s\n", qPrintable(mode));
        return 2;
    }
    IngestViewerOptions options;
    if (mode == QLatin1String("--viewer-search"))
        options.search = QStringLiteral("probe");
    options.showChart = mode == QLatin1String("--viewer-chart");
    if (mode == QLatin1String("--viewer-budget"))
        options.historyBudgetBytes = viewerHistoryBudgetBytes;
    return runIngestViewer(port, workload, options);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && QByteArray(argv[1]) == "--spin")
        IngestHogs::spin();
    if (isViewerRun(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> application = isViewerRun(argc, argv)
        ? std::make_unique<QApplication>(argc, argv)
        : std::make_unique<QCoreApplication>(argc, argv);
    // Figures are printed for runChild to read back, whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() == 4 && arguments[0].startsWith(QLatin1String("--")))
        return runMode(arguments);
    QString scenarios;
    qint64 count = 0;
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        if (arguments[index] == QLatin1String("--count") && index + 1 < arguments.size())
            count = arguments[++index].toLongLong();
        else if (arguments[index].size() == 1 && QStringLiteral("abcdgs").contains(arguments[index]))
            scenarios += arguments[index];
    }
    return runAll(scenarios.isEmpty() ? QStringLiteral("abc") : scenarios, count, arguments.contains(QLatin1String("--hog")));
}

// What the topics outline's search costs on a big tree, in a real (offscreen) pane: the search
// field taking the focus on a tree that changed (the tree is read then), typing a six-letter
// search one keystroke at a time (every keystroke searches the whole tree, reveals the match and
// updates the info), stepping through the matches with Find Next, and switching
// the filter on and off with a few thousand matches. Times include the events the outline
// processes right after each step. Prints p50 and max per kind of step.
//
// Usage: bench_outline_search [topics] [rounds]   (default 100000 5)

#include "MessageFactory.h"
#include "VDLClient.h"
#include "VDLMessage.h"
#include "VDLOutlineSearch.h"
#include "VDLTopic.h"
#include "VDLTopicsModel.h"
#include "VDLTopicsViewController.h"
#include "VDLTreeChange.h"
#include "VOKOutlineView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

void file(VDLTopic &root, const QByteArray &topic, const QByteArray &payload)
{
    VDLTopic *node = &root;
    for (const QByteArray &level : topic.split('/'))
        node = node->subtopicNamed(QString::fromUtf8(level));
    node->addMessage(makeMessage(topic, payload));
}

// bench/dev<d>/sensor<m>, a hundred per device; every twentieth is a probe<m> instead and every
// tenth carries a JSON payload. Every tenth device also reports as a relay (online, relay/0),
// which makes it a recognised device with a summary of its own.
void fileTree(VDLClient &client, VDLTopic &root, int topicCount)
{
    const VDLTreeChange batch(&client);
    for (int index = 0; index < topicCount; ++index) {
        const QByteArray name = index % 20 == 0 ? "probe" : "sensor";
        const QByteArray device = "bench/dev" + QByteArray::number(index / 100);
        const QByteArray payload = index % 10 == 0
            ? R"({"temperature":21.5,"humidity":40,"unit":"celsius"})"
            : QByteArray::number(index % 1000);
        file(root, device + "/" + name + QByteArray::number(index % 100), payload);
        if (index % 1000 == 0) {
            file(root, device + "/online", "true");
            file(root, device + "/relay/0", "on");
        }
    }
}

int recognisedDevices(VDLTopic &root)
{
    int devices = 0;
    for (const VDLTopic *device : root.subtopicNamed(QStringLiteral("bench"))->subTopics())
        devices += device->representedDevice() ? 1 : 0;
    return devices;
}

// The rows the outline shows expanded.
int expandedRows(const VDLTopicsViewController &pane)
{
    int expanded = 0;
    QList<QModelIndex> pending{pane.model()->index(0, 0)};
    while (!pending.isEmpty()) {
        const QModelIndex row = pending.takeLast();
        if (!pane.outlineView()->isExpanded(row))
            continue;
        ++expanded;
        for (int child = 0; child < pane.model()->rowCount(row); ++child)
            pending.append(pane.model()->index(child, 0, row));
    }
    return expanded;
}

struct Times
{
    QList<double> milliseconds;

    void measure(const std::function<void()> &step)
    {
        QElapsedTimer timer;
        timer.start();
        step();
        QCoreApplication::processEvents();
        milliseconds.append(double(timer.nsecsElapsed()) / 1e6);
    }

    void print(const char *what)
    {
        std::sort(milliseconds.begin(), milliseconds.end());
        std::printf("%-40s p50 %7.1f ms  max %7.1f ms  (%lld steps)\n", what, milliseconds[milliseconds.size() / 2],
                    milliseconds.last(), static_cast<long long>(milliseconds.size()));
    }
};

// Each round starts on a tree that changed since the last search: a message arrives, then the
// field takes the focus (which reads the tree) and the text is typed.
void typeSearch(VDLOutlineSearch &search, const std::function<void()> &changeTree, const QString &text, int rounds,
                const char *what)
{
    Times preparing;
    Times typing;
    for (int round = 0; round < rounds; ++round) {
        changeTree();
        QCoreApplication::processEvents();
        preparing.measure([&] { search.prepare(); });
        for (qsizetype length = 1; length <= text.size(); ++length)
            typing.measure([&] { search.setSearchString(text.left(length)); });
        search.setSearchString(QString());
        QCoreApplication::processEvents();
    }
    preparing.print("  the field takes the focus");
    typing.print(what);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int topicCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    VDLClient client(QStringLiteral("127.0.0.1"));
    VDLTopic root;
    root.setClient(&client);
    VDLTopicsViewController pane;
    pane.resize(600, 800);
    pane.show();
    pane.model()->setRootTopic(&root);
    fileTree(client, root, topicCount);
    pane.model()->flushPendingChanges();
    QCoreApplication::processEvents();
    std::printf("%d topics (%d with JSON payloads, %d recognised devices), %lld topics with messages\n", topicCount,
                topicCount / 10, recognisedDevices(root), static_cast<long long>(root.totalTopics()));

    VDLOutlineSearch &search = *pane.search();
    int arrivals = 0;
    const auto changeTree = [&] {
        const VDLTreeChange batch(&client);
        root.subtopicNamed(QStringLiteral("bench"))->addMessage(makeMessage("bench", QByteArray::number(++arrivals)));
    };
    typeSearch(search, changeTree, QStringLiteral("sensor"), rounds, "typing \"sensor\" (every topic matches)");
    typeSearch(search, changeTree, QStringLiteral("probe7"), rounds, "typing \"probe7\"");
    search.setSearchIncludesPreview(true);
    typeSearch(search, changeTree, QStringLiteral("celsiu"), rounds, "typing \"celsiu\", payloads included");
    search.setSearchIncludesPreview(false);

    search.setSearchString(QStringLiteral("sensor"));
    Times steps;
    for (int step = 0; step < 20 * rounds; ++step)
        steps.measure([&] { search.findNext(); });
    steps.print("find next among every topic");

    search.setSearchString(QStringLiteral("probe"));
    std::printf("\"probe\" matches %lld topics\n", static_cast<long long>(search.results().count()));
    VDLTopic *const selected = search.mostRecentFind();
    // Besides the way down to the match, the user has opened a few devices.
    const QModelIndex devices = pane.model()->indexOfTopic(root.subtopicNamed(QStringLiteral("bench")));
    for (int row = 0; row < 50; ++row)
        pane.outlineView()->expand(pane.model()->index(row * 7, 0, devices));
    const int expandedBefore = expandedRows(pane);
    Times on;
    Times off;
    for (int round = 0; round < rounds; ++round) {
        on.measure([&] { search.setDoFilter(true); });
        off.measure([&] { search.setDoFilter(false); });
    }
    on.print("filter on");
    off.print("filter off");
    const QModelIndex row = pane.model()->indexOfTopic(selected);
    std::printf("selection kept: %s; expanded rows %d before, %d after\n",
                pane.outlineView()->selectionModel()->isRowSelected(row.row(), row.parent()) ? "yes" : "no",
                expandedBefore, expandedRows(pane));
    pane.model()->setRootTopic(nullptr);
    return 0;
}

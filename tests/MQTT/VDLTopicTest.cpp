#include "LogCapture.h"
#include "MessageFactory.h"
#include "TopicNotices.h"
#include "VDLClient.h"
#include "VDLTopic.h"
#include "VDLTreeChange.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// A tree with a client that is never connected, so deletions queue their publications.
struct Tree
{
    explicit Tree(const QString &host = QStringLiteral("127.0.0.1"))
        : client(host, 1884)
    {
        root.setClient(&client);
    }

    VDLClient client;
    VDLTopic root;

    VDLTopic *file(const QByteArray &topic, const QByteArray &payload, bool retained = false)
    {
        VDLTopic *node = &root;
        for (const QByteArray &level : topic.split('/'))
            node = node->subtopicNamed(QString::fromUtf8(level));
        node->addMessage(makeMessage(topic, payload, retained));
        return node;
    }
};


} // namespace

TEST(VDLTopic, TotalsFollowMessagesAlongThePath)
{
    Tree tree;
    VDLTopic *const b = tree.file("a/b", "1", true);
    tree.file("a/c", "2");
    VDLTopic *const a = tree.root.subtopicNamed(u"a", false);
    ASSERT_EQ(tree.root.subTopics(), QList<VDLTopic *>{a});
    EXPECT_EQ(a->totalTopics(), 2u);
    EXPECT_EQ(tree.root.totalMessages(), 2u);
    EXPECT_EQ(tree.root.totalRetainedTopics(), 1u);

    // Observers notified of a change see the new totals all the way up.
    QList<quint64> seenAtRoot;
    QObject::connect(b, &VDLTopic::totalMessagesChanged, [&] { seenAtRoot.append(tree.root.totalMessages()); });
    b->addMessage(makeMessage("a/b", "3"));
    EXPECT_EQ(seenAtRoot, QList<quint64>{3});
    EXPECT_EQ(b->totalMessages(), 2u);
    EXPECT_EQ(a->totalMessages(), 3u);
    EXPECT_EQ(b->totalTopics(), 1u);
    EXPECT_EQ(tree.root.totalTopics(), 2u);
    // The live update is not retained: the topic stops counting as retained everywhere.
    EXPECT_EQ(b->totalRetainedTopics(), 0u);
    EXPECT_EQ(tree.root.totalRetainedTopics(), 0u);
    EXPECT_EQ(b->messageSummary(), QStringLiteral("# 3"));
}

TEST(VDLTopic, RetainedDisplayAndNames)
{
    Tree tree;
    VDLTopic *const leaf = tree.file("a/b", "x", true);
    VDLTopic *const a = leaf->parentTopic();
    EXPECT_EQ(leaf->isRetainedDisplay(), VOKMarkup(QStringLiteral("[s:r.square]")));
    EXPECT_EQ(a->isRetainedDisplay(), VOKMarkup(QStringLiteral("[c:Gray][s:r.square]")));
    tree.file("a/c", "y", true);
    EXPECT_FALSE(a->isRetainedDisplay().has_value());

    EXPECT_EQ(tree.root.displayName(), QStringLiteral("mqtt://127.0.0.1:1884"));
    EXPECT_EQ(leaf->displayName(), QStringLiteral("b"));
    EXPECT_EQ(leaf->ancestors(), (QList<VDLTopic *>{&tree.root, a}));
    EXPECT_EQ(tree.root.recursiveTopics().size(), 2);
    EXPECT_EQ(tree.root.subtopicNamed(u"+"), nullptr);
}

TEST(VDLTopic, PathsKeepEmptyLevelsAndUrlsRoundTrip)
{
    Tree tree;
    VDLTopic *const x = tree.file("/x", "1");
    EXPECT_EQ(x->path(), QStringLiteral("/x"));
    EXPECT_EQ(x->parentTopic()->path(), QString(""));
    EXPECT_FALSE(x->parentTopic()->path().isNull());
    EXPECT_TRUE(tree.root.path().isNull());
    EXPECT_EQ(tree.file("a//b", "1")->path(), QStringLiteral("a//b"));

    EXPECT_EQ(tree.root.topicAtRelativePath(QString()), &tree.root);
    EXPECT_EQ(tree.root.topicAtRelativePath(QStringLiteral("a/b")), tree.root.topicAtRelativePath(QStringLiteral("a//b")));
    EXPECT_EQ(tree.root.topicAtRelativePath(QStringLiteral("a/zzz")), nullptr);
    EXPECT_EQ(tree.root.subtopicNamed(u"a")->subTopics().size(), 1);

    for (const QByteArray &topic : {QByteArray("a b/100%/what?/#x"), QByteArray("/x"), QByteArray("ü/é"),
                                    QByteArray("$SYS/+plus")}) {
        const VDLTopic *const node = tree.file(topic, "1");
        const QUrl url(node->urlS(), QUrl::StrictMode);
        ASSERT_TRUE(url.isValid()) << qPrintable(node->urlS());
        EXPECT_FALSE(url.hasQuery());
        EXPECT_FALSE(url.hasFragment());
        EXPECT_EQ(url.path(QUrl::FullyDecoded).mid(1), QString::fromUtf8(topic)) << qPrintable(node->urlS());
    }
}

TEST(VDLTopic, LatestMessageAsUrlPublishesItAgainOnTheSameServer)
{
    Tree tree(QStringLiteral("::1"));
    VDLTopic *const topic = tree.file("a b/\xc3\xa9", "21.5 %", true);
    EXPECT_TRUE(tree.root.latestMessageAsUrl().isEmpty()) << "no message";
    EXPECT_EQ(topic->latestMessageAsUrl().toString(QUrl::FullyEncoded),
              QStringLiteral("mqtt://[::1]:1884/a%20b/%C3%A9?value=21.5%20%25&retain=1"));
    topic->addMessage(makeMessage("a b/\xc3\xa9", "off"));
    EXPECT_EQ(topic->latestMessageAsUrl().query(), QStringLiteral("value=off"));
}

TEST(VDLTopic, RecursiveDeleteClearsRetainedTopicsBottomUp)
{
    Tree tree;
    tree.file("a/b", "1", true);
    tree.file("a/c", "2", true);
    tree.file("a/d", "3", false);
    tree.file("z", "4");
    VDLTopic *const a = tree.root.subtopicNamed(u"a");
    const QList<VDLTopic *> children = a->subTopics();
    TopicNotices notices(tree.client);
    a->recursiveDelete();
    // One notice naming every removed topic with its parent and place, children first.
    ASSERT_EQ(notices.list().size(), 1);
    QList<std::tuple<VDLTopic *, VDLTopic *, qsizetype>> removals;
    for (const VDLTopicChanges::Removal &removal : notices.list()[0].removals())
        removals.append({removal.topic, removal.parent, removal.index});
    EXPECT_EQ(removals, (QList<std::tuple<VDLTopic *, VDLTopic *, qsizetype>>{
                            {children[0], a, 0}, {children[1], a, 0}, {children[2], a, 0}, {a, &tree.root, 0}}));
    const QList<VOKMosquittoPublication> queue = tree.client.publishQueue();
    ASSERT_EQ(queue.size(), 2);
    EXPECT_EQ(queue[0].topic, QStringLiteral("a/b"));
    EXPECT_EQ(queue[1].topic, QStringLiteral("a/c"));
    EXPECT_TRUE(queue[0].retain);
    EXPECT_TRUE(queue[0].data.isNull());
    EXPECT_EQ(tree.root.subTopics().size(), 1);
    EXPECT_EQ(tree.root.totalMessages(), 1u);
    EXPECT_EQ(tree.root.totalTopics(), 1u);
    EXPECT_EQ(tree.root.totalRetainedTopics(), 0u);
}

TEST(VDLTopic, ChangesAreAnnouncedOncePerBatchOrOperation)
{
    Tree tree;
    TopicNotices notices(tree.client);
    {
        const VDLTreeChange batch(&tree.client);
        tree.file("a/b", "1", true);
        tree.file("a/c", "2");
        EXPECT_TRUE(notices.list().isEmpty());
    }
    ASSERT_EQ(notices.list().size(), 1);
    VDLTopic *const a = tree.root.subtopicNamed(u"a", false);
    VDLTopic *const b = a->subTopics()[0];
    VDLTopic *const c = a->subTopics()[1];
    // A parent comes before the children it gained; totals changed all along the paths.
    EXPECT_EQ(notices.list()[0].changedParents(), (QList<VDLTopic *>{&tree.root, a}));
    EXPECT_EQ(notices.list()[0].countChanges(), (QSet<VDLTopic *>{&tree.root, a, b, c}));
    EXPECT_TRUE(notices.list()[0].displayChanges().contains(b));

    // A new filter predicate: one notice with the parents whose visible children changed.
    const VDLTopic *const e = tree.file("d/e", "3");
    notices.clear();
    tree.client.updateTreeFilter([](const QObject *node) { return node->property("name") == QStringLiteral("e"); },
                                 {&tree.root});
    ASSERT_EQ(notices.list().size(), 1);
    const QList<VDLTopic *> &filtered = notices.list()[0].filterChanges();
    EXPECT_EQ(QSet<VDLTopic *>(filtered.cbegin(), filtered.cend()), (QSet<VDLTopic *>{&tree.root, e->parentTopic()}));
    EXPECT_EQ(tree.root.filteredSubTopics(), QList<VDLTopic *>{e->parentTopic()});
}

TEST(VDLTopic, FlattenSortsEachLevel)
{
    Tree tree;
    for (const QByteArray topic : {"b/light10", "b/light2", "a", "b/Light1"})
        tree.file(topic, "1");
    QList<VDLTopic *> list;
    tree.root.flattenInto(list, {VOKSortDescriptor(QStringLiteral("name"), true,
                                                   QStringLiteral("vokCaseInsensitiveCompareWithTrailingNumber:"))});
    QStringList paths;
    for (const VDLTopic *node : list)
        paths.append(node->path());
    EXPECT_EQ(paths, (QStringList{QString(), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("b/Light1"),
                                  QStringLiteral("b/light2"), QStringLiteral("b/light10")}));
    list.clear();
    tree.root.flattenInto(list);
    EXPECT_EQ(list[1]->path(), QStringLiteral("b"));
}

TEST(VDLTopic, DeepestTopicWorksWithoutRecursion)
{
    LogCapture log;
    const QByteArray deepest(65535, '/');
    auto tree = std::make_unique<Tree>();
    VDLTopic *const bottom = tree->file(deepest, "1", true);
    EXPECT_EQ(bottom->path().size(), 65535);
    EXPECT_EQ(tree->root.totalMessages(), 1u);
    QList<VDLTopic *> list;
    tree->root.flattenInto(list);
    // 65,535 separators make 65,536 empty levels below the root.
    EXPECT_EQ(list.size(), 65537);
    VDLTopic *const top = tree->root.subTopics().front();
    // Halfway down, deleting a subtree thousands of levels deep.
    VDLTopic *middle = top;
    for (int level = 0; level < 16000; ++level)
        middle = middle->subTopics().front();
    middle->recursiveDelete();
    EXPECT_EQ(tree->client.publishQueue().size(), 1);
    EXPECT_EQ(tree->root.totalMessages(), 0u);
    tree->file(deepest, "2");
    tree.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(VDLTopic, NullMessageIsRefused)
{
    LogCapture log;
    VDLTopic root;
    root.addMessage(nullptr);
    EXPECT_EQ(root.totalMessages(), 0u);
    EXPECT_EQ(log.linesContaining(QStringLiteral(": ERROR: addMessages: called with nil message!")).size(), 1);
}

TEST(VDLTopic, DeviceNodesRenderTheirSourcesAndFollowTheirChanges)
{
    Tree tree;
    tree.file("tele/plug/LWT", "Online");
    VDLTopic *const state = tree.file("tele/plug/STATE", R"({"POWER":"ON"})");
    VDLTopic *const plug = state->parentTopic();
    ASSERT_TRUE(plug->representedDevice());
    EXPECT_EQ(plug->representedDevice()->identifier(), QStringLiteral("tasmota"));
    EXPECT_EQ(plug->deviceSources().size(), 2);
    EXPECT_TRUE(state->isDeviceProperty());
    EXPECT_EQ(plug->messageSummary(), QStringLiteral("ON"));
    EXPECT_EQ(plug->attributedMessageSummary()->markup().count(QStringLiteral("[s:")), 2);

    // A new message on a source re-renders the device node.
    int changes = 0;
    QObject::connect(plug, &VDLTopic::messageSummaryChanged, [&changes] { ++changes; });
    tree.file("tele/plug/STATE", R"({"POWER":"OFF"})");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(plug->messageSummary(), QStringLiteral("OFF"));

    // A third match path makes it the metering kind; losing one it needs ends the device.
    tree.file("tele/plug/SENSOR", R"({"ENERGY":{"Power":7}})");
    EXPECT_EQ(plug->representedDevice()->identifier(), QStringLiteral("tasmota-with-meter"));
    EXPECT_EQ(plug->messageSummary(), QStringLiteral("OFF 7 W"));
    plug->subtopicNamed(u"LWT", false)->recursiveDelete();
    EXPECT_FALSE(plug->representedDevice());
    EXPECT_FALSE(state->isDeviceProperty());
    EXPECT_TRUE(plug->messageSummary().isNull());
}

TEST(VDLTopic, DeviceValuesStayDataInTheSummary)
{
    Tree tree;
    tree.file("shellies/s1/online", "true");
    tree.file("shellies/s1/relay/0", "on");
    tree.file("shellies/s1/relay/0/power", "[c:Red]%@ 5");
    const VDLTopic *const shelly = tree.root.topicAtRelativePath(QStringLiteral("shellies/s1"));
    ASSERT_TRUE(shelly->representedDevice());
    EXPECT_EQ(shelly->messageSummary(), QStringLiteral("ON [c:Red]%@ 5 W"));
}

TEST(VDLTopic, DeviceRecognitionLooksUpOnlyAsFarAsTheDeepestMatchPath)
{
    // A source deeper than any match path: when it appears, the device node lies too far above
    // to be evaluated again, so the source is read for the rendering but not flagged.
    const QString userFile = VDLRepresentedDevice::userDefinitionPath();
    QDir().mkpath(QFileInfo(userFile).absolutePath());
    QFile file(userFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"([{"identifier": "deep", "matchPaths": ["m"], "format": "%@",
                  "fields": [{"path": "s1/s2/s3/s4", "valueKeyPath": "latestMessage.payload", "optional": true}]}])");
    file.close();
    VDLRepresentedDevice::reloadDefinitions();
    ASSERT_EQ(VDLRepresentedDevice::maxMatchDepth(), 3);

    Tree tree;
    tree.file("n/m", "x");
    VDLTopic *const deep = tree.file("n/s1/s2/s3/s4", "42");
    VDLTopic *const device = tree.root.subtopicNamed(u"n", false);
    ASSERT_EQ(device->representedDevice()->identifier(), QStringLiteral("deep"));
    EXPECT_TRUE(device->deviceSources().isEmpty());
    EXPECT_FALSE(deep->isDeviceProperty());
    EXPECT_EQ(device->messageSummary(), QStringLiteral("42"));
    QFile::remove(userFile);
    VDLRepresentedDevice::reloadDefinitions();
}

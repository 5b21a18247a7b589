#include "LogCapture.h"
#include "VDLRepresentedDevice.h"
#include "VOKMarkupParser.h"
#include "VOKJSON.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

namespace {

// Source topics by relative path, each answering "latestMessage.payload" and
// "latestMessage.json..." like a topic node.
class FakeTopics
{
public:
    void add(const QString &path, const QString &payload)
    {
        auto node = std::make_unique<QObject>();
        QVariantMap message{{QStringLiteral("payload"), payload}};
        const QVariant json = vokJSONValue(payload.toUtf8());
        if (json.isValid())
            message.insert(QStringLiteral("json"), json);
        node->setProperty("latestMessage", message);
        m_nodes[path] = std::move(node);
    }
    void addEmpty(const QString &path) { m_nodes[path] = std::make_unique<QObject>(); }

    VDLRepresentedDevice::TopicResolver resolver() const
    {
        return [this](const QString &path) -> const QObject * {
            const auto found = m_nodes.find(path);
            return found == m_nodes.end() ? nullptr : found->second.get();
        };
    }

private:
    std::map<QString, std::unique_ptr<QObject>> m_nodes;
};

QList<VDLRepresentedDevice *> definitions(const char *json, QObject *parent)
{
    return VDLRepresentedDevice::devicesFromList(vokJSONValue(QByteArray(json)), parent);
}

QString rendered(const VDLRepresentedDevice &device, const FakeTopics &topics)
{
    const auto markup = device.render(topics.resolver());
    return markup ? vokAttributedString(markup->markup()).string() : QStringLiteral("<none>");
}

void writeUserFile(const QByteArray &contents)
{
    const QString path = VDLRepresentedDevice::userDefinitionPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(contents);
    file.close();
    VDLRepresentedDevice::reloadDefinitions();
}

const char *plug = R"([{"identifier": "plug", "matchPaths": ["power", "state"],
    "format": "[s:bolt]%@ W, %@",
    "fields": [{"path": "power", "valueKeyPath": "latestMessage.payload"},
               {"path": "state", "valueKeyPath": "latestMessage.json.state",
                "map": {"on": "[c:Green]on", "default": "[c:Gray]?"}}]}])";

} // namespace

TEST(VDLRepresentedDevice, MatchesWhenEveryMatchPathResolves)
{
    QObject owner;
    const auto devices = definitions(plug, &owner);
    ASSERT_EQ(devices.size(), 1);
    FakeTopics topics;
    topics.add(QStringLiteral("power"), QStringLiteral("12.5"));
    EXPECT_FALSE(devices[0]->matches(topics.resolver()));
    topics.add(QStringLiteral("state"), QStringLiteral(R"({"state":"ON"})"));
    topics.add(QStringLiteral("other"), QStringLiteral("x"));
    EXPECT_TRUE(devices[0]->matches(topics.resolver()));

    const auto anything = definitions(R"([{"format": "x"}, {"matchPaths": [], "format": "y"}])", &owner);
    ASSERT_EQ(anything.size(), 2);
    EXPECT_TRUE(anything[0]->matches(FakeTopics().resolver()));
    EXPECT_TRUE(anything[1]->matches(FakeTopics().resolver()));
}

TEST(VDLRepresentedDevice, RendersValuesSymbolsAndMaps)
{
    QObject owner;
    const VDLRepresentedDevice &device = *definitions(plug, &owner).first();
    FakeTopics topics;
    topics.add(QStringLiteral("power"), QStringLiteral("12.5"));
    topics.add(QStringLiteral("state"), QStringLiteral(R"({"state":"ON"})"));
    const auto markup = device.render(topics.resolver());
    ASSERT_TRUE(markup);
    // As the outline shows it.
    const VOKAttributedString text = vokAttributedString(markup->markup());
    EXPECT_EQ(text.string(), QStringLiteral("\uFFFC12.5 W, on"));
    EXPECT_TRUE(text.attributesAt(0).attachment);
    EXPECT_EQ(text.attributesAt(text.length() - 1).foreground, QColor(0, 128, 0));

    topics.add(QStringLiteral("state"), QStringLiteral(R"({"state":"dimmed"})"));
    EXPECT_EQ(rendered(device, topics), QStringLiteral("\uFFFC12.5 W, ?"));

    // A required value that is missing or empty renders nothing.
    topics.add(QStringLiteral("power"), QString());
    EXPECT_EQ(rendered(device, topics), QStringLiteral("<none>"));
    topics.addEmpty(QStringLiteral("power"));
    EXPECT_EQ(rendered(device, topics), QStringLiteral("<none>"));
}

TEST(VDLRepresentedDevice, Zigbee2mqttDevicesShowWhatTheyReportAndNothingElse)
{
    QObject owner;
    const auto builtIn = VDLRepresentedDevice::devicesFromList(
        vokLoadPropertyListFromJSONResourceNamed(QStringLiteral("RepresentedDevices")), &owner);
    const auto zigbee = std::find_if(builtIn.cbegin(), builtIn.cend(), [](const VDLRepresentedDevice *device) {
        return device->identifier() == QLatin1String("zigbee2mqtt-device");
    });
    ASSERT_NE(zigbee, builtIn.cend());
    const auto summaryOf = [&](const char *state) {
        FakeTopics topics;
        topics.add(QStringLiteral("availability"), QStringLiteral("offline"));
        topics.add(QString(), QString::fromUtf8(state));
        return rendered(**zigbee, topics);
    };
    // Symbols render as U+FFFC.
    EXPECT_EQ(summaryOf(R"({"contact":true,"battery":78,"linkquality":64})"), QStringLiteral("\uFFFC closed \uFFFC78 %"));
    EXPECT_EQ(summaryOf(R"({"state":"ON","brightness":200})"), QStringLiteral("\uFFFC \uFFFC ON \uFFFC200"));
    EXPECT_EQ(summaryOf(R"({"occupancy":false,"water_leak":true,"temperature":21.5,"humidity":45,"power":3.2})"),
              QStringLiteral("\uFFFC clear \uFFFC LEAK \uFFFC21.5 °C \uFFFC45 % \uFFFC3.2 W"));
    EXPECT_EQ(summaryOf(R"({"linkquality":64})"), QStringLiteral("\uFFFC"));
}

TEST(VDLRepresentedDevice, PlaceholdersAndValuesAreFilledInOrderAndDataStaysData)
{
    QObject owner;
    const auto devices = definitions(R"([
        {"format": "%@", "fields": [{"path": "a", "valueKeyPath": "latestMessage.payload"},
                                    {"path": "b", "valueKeyPath": "latestMessage.payload"}]},
        {"format": "%@|%@|%@", "fields": [{"path": "a", "valueKeyPath": "latestMessage.payload"},
                                          {"path": "missing", "valueKeyPath": "latestMessage.payload", "optional": true}]},
        {"format": "%@ %@", "fields": [{"path": "a", "valueKeyPath": "latestMessage.payload"},
                                       {"path": "b", "valueKeyPath": "latestMessage.payload"}]},
        {"format": "%@", "fields": [{"path": "a", "valueKeyPath": "latestMessage.nothing.deeper"}]}])",
                                     &owner);
    ASSERT_EQ(devices.size(), 4);
    FakeTopics topics;
    topics.add(QStringLiteral("a"), QStringLiteral("[c:Red]%@"));
    topics.add(QStringLiteral("b"), QStringLiteral("second"));
    EXPECT_EQ(rendered(*devices[0], topics), QStringLiteral("[c:Red]%@"));
    EXPECT_EQ(rendered(*devices[1], topics), QStringLiteral("[c:Red]%@||%@"));
    EXPECT_EQ(rendered(*devices[2], topics), QStringLiteral("[c:Red]%@ second"));
    EXPECT_EQ(rendered(*devices[3], topics), QStringLiteral("<none>"));
}

TEST(VDLRepresentedDevice, UserDefinitionsComeFirstAndSetTheMatchDepth)
{
    writeUserFile(R"([{"identifier": "mine", "matchPaths": ["a/b/c/d"], "format": "x"}])");
    const auto &all = VDLRepresentedDevice::allDevices();
    ASSERT_GT(all.size(), 1);
    EXPECT_EQ(all.first()->identifier(), QStringLiteral("mine"));
    EXPECT_EQ(VDLRepresentedDevice::maxMatchDepth(), 4);
}

TEST(VDLRepresentedDevice, ABadUserFileLeavesTheBuiltInList)
{
    LogCapture log;
    writeUserFile(R"([{"identifier": "fine"}, 42])");
    const auto &all = VDLRepresentedDevice::allDevices();
    ASSERT_FALSE(all.isEmpty());
    for (const VDLRepresentedDevice *device : all)
        EXPECT_NE(device->identifier(), QStringLiteral("fine"));
    EXPECT_EQ(log.linesContaining(QStringLiteral("Expected dictionary in JSON, got: ")).size(), 1);
}

TEST(VDLRepresentedDevice, UnknownMembersWarnOnceAndAreIgnored)
{
    LogCapture log;
    QObject owner;
    const auto devices = definitions(R"([{"format": "x", "colour": 1}, {"format": "y", "colour": 2}])", &owner);
    EXPECT_EQ(devices.size(), 2);
    EXPECT_EQ(log.linesContaining(QStringLiteral("colour")).size(), 1);
    EXPECT_TRUE(definitions(R"({"format": "not a list"})", &owner).isEmpty());
}

#include "LogCapture.h"
#include "TestNode.h"
#include "VOKKeyPath.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct KeyPathTest : ::testing::Test
{
    KeyPathTest()
    {
        root.setChild(&child);
        child.setReading(TestReading{21.5, QStringLiteral("°C")});
        child.setJson(QVariantMap{{QStringLiteral("state"), QStringLiteral("ON")},
                                  {QStringLiteral("temp-c"), 20},
                                  {QStringLiteral("nested"), QVariantMap{{QStringLiteral("x"), 1}}}});
        child.setItems({QVariant::fromValue(&a), QVariant::fromValue(&b)});
    }

    QVariant walk(const char *keyPath) { return vokSafeValueForKeyPath(&root, QString::fromUtf8(keyPath)); }

    TestNode root{QStringLiteral("root")};
    TestNode child{QStringLiteral("child")};
    TestNode a{QStringLiteral("a")};
    TestNode b{QStringLiteral("b")};
    LogCapture log;
};

} // namespace

TEST_F(KeyPathTest, WalksObjectsGadgetsDictionariesJsonAndLists)
{
    EXPECT_EQ(walk("child.name").toString(), QStringLiteral("child"));
    EXPECT_EQ(walk("child.reading.value").toDouble(), 21.5);
    EXPECT_EQ(walk("child.json.temp-c").toInt(), 20);
    EXPECT_EQ(walk("child.json.nested.x").toInt(), 1);
    EXPECT_EQ(walk("child.items.name").toStringList(), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(walk("child.items.count").toInt(), 2);
    EXPECT_EQ(walk("child.items.lastObject.name").toString(), QStringLiteral("b"));
    const QJsonObject object = QJsonDocument::fromJson(R"({"a":{"b":[{"c":3}]}})").object();
    EXPECT_EQ(vokSafeValueForKeyPath(QVariant::fromValue(object), QStringLiteral("a.b.c")).toList(),
              QVariantList{3});
    root.setProperty("extra", 7);
    EXPECT_EQ(walk("extra").toInt(), 7);

    // Missing values stop the walk quietly.
    EXPECT_FALSE(walk("child.json.absent.deeper").isValid());
    child.setChild(nullptr);
    EXPECT_FALSE(walk("child.child.name").isValid());
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(KeyPathTest, UnknownKeysAndEmptyComponentsLogAnError)
{
    EXPECT_FALSE(walk("child.nonsense.name").isValid());
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().contains(QStringLiteral("does not implement key 'nonsense' (Requested keyPath: "
                                                            "'child.nonsense.name' on 'TestNode(")))
        << log.lines().first().toStdString();

    log.clear();
    EXPECT_FALSE(walk("child..name").isValid());
    EXPECT_FALSE(walk("").isValid());
    EXPECT_EQ(log.linesContaining(QStringLiteral("ERROR: There is no keyPath for currentKeyPath")).size(), 2);

    log.clear();
    EXPECT_FALSE(walk("name.length").isValid()); // a string answers nothing
    EXPECT_FALSE(vokSafeValueForKeyPath(&root, QStringLiteral("nonsense"), false).isValid());
    EXPECT_EQ(log.lines().size(), 1);

    // An empty list answers only its own keys.
    log.clear();
    child.setItems({});
    EXPECT_EQ(walk("child.items.count").toInt(), 0);
    EXPECT_FALSE(walk("child.items.firstObject").isValid());
    EXPECT_FALSE(walk("child.items.name").isValid());
    EXPECT_EQ(log.lines().size(), 1);
}

TEST_F(KeyPathTest, SharedGadgetsReadWithoutCopying)
{
    vokRegisterSharedGadget<TestReading>();
    const auto reading = std::make_shared<const TestReading>(TestReading{3.5, QStringLiteral("W")});
    const QVariant value = QVariant::fromValue(reading);
    EXPECT_EQ(vokSafeValueForKeyPath(value, QStringLiteral("unit")).toString(), QStringLiteral("W"));
    EXPECT_FALSE(vokSafeValueForKeyPath(QVariant::fromValue(std::shared_ptr<const TestReading>()),
                                        QStringLiteral("unit"), false)
                     .isValid());
}

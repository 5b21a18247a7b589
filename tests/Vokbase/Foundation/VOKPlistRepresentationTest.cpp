#include "LogCapture.h"
#include "VOKClassRegistry.h"
#include "VOKJSON.h"
#include "VOKList.h"
#include "VOKPlistObject.h"
#include "VOKPlistRepresentation.h"
#include "VOKSortDescriptor.h"

#include <gtest/gtest.h>

#include <memory>

// Model classes shaped like the device definitions that are read by name.
class PlistPropertyDefinition : public VOKPlistObject
{
    Q_OBJECT
    Q_PROPERTY(QString path MEMBER path)
    Q_PROPERTY(bool optional MEMBER optional)
    Q_PROPERTY(int digits MEMBER digits)
    Q_PROPERTY(QString _description MEMBER storedDescription)

public:
    std::optional<QStringList> plistRepresentationKeys() const override
    {
        return QStringList{QStringLiteral("path"), QStringLiteral("optional")};
    }

    QString path;
    bool optional = false;
    int digits = 0;
    QString storedDescription;
};

class PlistDevice : public VOKPlistObject
{
    Q_OBJECT
    Q_PROPERTY(QString name MEMBER name)
    Q_PROPERTY(QVariantList properties MEMBER properties)
    Q_PROPERTY(QVariant main MEMBER main)
    Q_PROPERTY(QVariant extra MEMBER extra)

public:
    QString defaultClassNameForArrayPropertyNamed(const QString &name) const override
    {
        return name == QLatin1String("properties") ? QStringLiteral("PlistPropertyDefinition") : QString();
    }
    QString defaultClassNameForDictionaryPropertyNamed(const QString &name) const override
    {
        return name == QLatin1String("main") ? QStringLiteral("PlistPropertyDefinition") : QString();
    }
    std::optional<QStringList> plistRepresentationKeys() const override
    {
        return QStringList{QStringLiteral("name"), QStringLiteral("properties"), QStringLiteral("extra")};
    }

    QString name;
    QVariantList properties;
    QVariant main;
    QVariant extra;
};

// A model class that forgot to say what it writes.
class PlistSilent : public VOKPlistObject
{
    Q_OBJECT
};

namespace {

class VOKPlistRepresentationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        VOKClassRegistry::registerClass<PlistPropertyDefinition>();
        VOKClassRegistry::registerClass<PlistDevice>();
        VOKClassRegistry::registerClass<PlistSilent>();
    }

    QVariant read(const char *json, const QString &defaultClass)
    {
        return vokObjectRepresentationUsingDefaultClassName(vokJSONValue(QString::fromUtf8(json)), defaultClass,
                                                            &owner);
    }

    QObject owner;
    LogCapture log;
};

template <typename Model>
Model *object(const QVariant &value)
{
    return qobject_cast<Model *>(value.value<QObject *>());
}

} // namespace

TEST_F(VOKPlistRepresentationTest, WarnsOnceForAMissingProperty)
{
    const char *json = R"([{"path":"a","colour":"red"}])";
    EXPECT_EQ(read(json, QStringLiteral("PlistPropertyDefinition")).toList().size(), 1);
    EXPECT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().value(0).endsWith(
        QStringLiteral("WARNING: 'PlistPropertyDefinition' does not implement property: colour")));
    read(json, QStringLiteral("PlistPropertyDefinition"));
    EXPECT_EQ(log.lines().size(), 1);

    PlistDevice device;
    vokSafeSetValue(&device, 1, QString());
    vokSafeSetValue(&device, 1, QString());
    EXPECT_EQ(log.linesContaining(QStringLiteral("No property found with name (null): PlistDevice:(null)")).size(), 1);
}

TEST_F(VOKPlistRepresentationTest, ArraysDictionariesAndWhatCannotBeRead)
{
    EXPECT_EQ(read(R"(["a","b"])", QString()), QVariant(QVariantList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(read(R"(["a"])", QStringLiteral("NSString")), QVariant(QVariantList{QStringLiteral("a")}));
    EXPECT_TRUE(log.lines().isEmpty());

    for (const char *json : {R"([{"path":"a"},3])", R"(["a"])", R"([[]])", R"([null])"}) {
        log.clear();
        EXPECT_FALSE(read(json, QStringLiteral("PlistPropertyDefinition")).isValid()) << json;
        EXPECT_EQ(log.linesContaining(QStringLiteral("ERROR: Expected dictionary in JSON, got: ")).size(), 1) << json;
    }
    // The element made before the failing one does not outlive the failure.
    EXPECT_TRUE(owner.children().isEmpty());
    EXPECT_FALSE(read(R"({"__CLASS":"NoSuchClass"})", QString()).isValid());
    EXPECT_EQ(log.linesContaining(QStringLiteral("ASSERTION: Can't find class named 'NoSuchClass'")).size(), 1);

    log.clear();
    const QVariant plain = vokObjectRepresentation(
        vokJSONValue(QStringLiteral(R"({"a":{"__CLASS":"PlistPropertyDefinition","path":"p"},"b":[1]})")), &owner);
    const QVariantMap dictionary = plain.toMap();
    EXPECT_EQ(dictionary.value(QStringLiteral("b")), QVariant(QVariantList{1}));
    ASSERT_NE(object<PlistPropertyDefinition>(dictionary.value(QStringLiteral("a"))), nullptr);
    EXPECT_EQ(object<PlistPropertyDefinition>(dictionary.value(QStringLiteral("a")))->path, QStringLiteral("p"));
}

TEST_F(VOKPlistRepresentationTest, NestedObjectsWithDefaultClassesAndWritingBack)
{
    const char *json = R"({"__CLASS":"PlistDevice","name":"n","extra":null,
        "main":{"path":"m"},
        "properties":[{"path":"a","optional":true,"digits":2.0,"description":"d"},
                      {"__CLASS":"PlistPropertyDefinition","path":"b"}]})";
    const QVariant value = vokObjectRepresentation(vokJSONValue(QString::fromUtf8(json)), &owner);
    auto *device = object<PlistDevice>(value);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->parent(), &owner);
    EXPECT_EQ(device->name, QStringLiteral("n"));
    EXPECT_EQ(device->extra.metaType(), QMetaType::fromType<std::nullptr_t>());
    ASSERT_NE(object<PlistPropertyDefinition>(device->main), nullptr);
    EXPECT_EQ(object<PlistPropertyDefinition>(device->main)->parent(), device);
    ASSERT_EQ(device->properties.size(), 2);
    const auto *definition = object<PlistPropertyDefinition>(device->properties.first());
    ASSERT_NE(definition, nullptr);
    EXPECT_TRUE(definition->optional);
    EXPECT_EQ(definition->digits, 2);
    EXPECT_EQ(definition->storedDescription, QStringLiteral("d"));

    // Elements of the default class are written without "__CLASS"; they read back the same.
    const QVariantMap expected{
        {QStringLiteral("__CLASS"), QStringLiteral("PlistDevice")},
        {QStringLiteral("name"), QStringLiteral("n")},
        {QStringLiteral("extra"), QVariant::fromValue(nullptr)},
        {QStringLiteral("properties"),
         QVariantList{QVariantMap{{QStringLiteral("path"), QStringLiteral("a")}, {QStringLiteral("optional"), true}},
                      QVariantMap{{QStringLiteral("path"), QStringLiteral("b")}, {QStringLiteral("optional"), false}}}}};
    EXPECT_EQ(vokPlistRepresentation(value), QVariant(expected));
    EXPECT_TRUE(log.lines().isEmpty());

    EXPECT_EQ(vokPlistRepresentation(QVariantMap{{QStringLiteral("description"), 1}}),
              QVariant(QVariantMap{{QStringLiteral("_description"), 1}}));

    PlistSilent silent;
    EXPECT_FALSE(vokPlistRepresentation(QVariant::fromValue<QObject *>(&silent)).isValid());
    EXPECT_EQ(log.linesContaining(QStringLiteral("ASSERTION: PlistSilent failed to implement plistRepresentationKeys!")).size(), 1);
}

TEST_F(VOKPlistRepresentationTest, SortDescriptorArchive)
{
    const VOKSortDescriptor order(QStringLiteral("name"), false, QStringLiteral("caseInsensitiveCompare:"));
    const QVariant plist = vokPlistRepresentation(QVariant::fromValue(order));
    EXPECT_EQ(plist, QVariant(QVariantMap{{QStringLiteral("__CLASS"), QStringLiteral("VOKArchivedSortDescriptor")},
                                          {QStringLiteral("ascending"), false},
                                          {QStringLiteral("key"), QStringLiteral("name")},
                                          {QStringLiteral("selector"), QStringLiteral("caseInsensitiveCompare:")}}));
    EXPECT_EQ(vokObjectRepresentation(plist, nullptr).value<VOKSortDescriptor>(), order);
    EXPECT_EQ(vokObjectRepresentation(QVariantMap{{QStringLiteral("__CLASS"), QStringLiteral("VOKArchivedSortDescriptor")}},
                                      nullptr)
                  .value<VOKSortDescriptor>(),
              VOKSortDescriptor(QStringLiteral("BogusKey"), true, QStringLiteral("compare:")));

    const QVariantMap a{{QStringLiteral("name"), QStringLiteral("b")}};
    const QVariantMap b{{QStringLiteral("name"), QStringLiteral("A")}};
    EXPECT_EQ(order.compare(a, b), -1);
    EXPECT_EQ(VOKSortDescriptor(QStringLiteral("name"), true).compare(a, b), 1);
}

TEST(VOKList, RemovingAndIndexPathsThatLeadNowhere)
{
    const QVariantList values{1, 2, 1, 3};
    EXPECT_EQ(vokArrayByRemovingObject(values, 1), (QVariantList{2, 3}));
    EXPECT_EQ(vokArrayByRemovingObject(values, QVariant()), values);
    EXPECT_EQ(vokArrayByRemovingObject(QStringList{QStringLiteral("a"), QString()}, QString()).size(), 2);

    const auto node = [](const QString &name, const QVariantList &children) {
        return QVariantMap{{QStringLiteral("name"), name}, {QStringLiteral("children"), children}};
    };
    const QVariantList tree{node(QStringLiteral("a"), {}),
                            node(QStringLiteral("b"), {node(QStringLiteral("b0"), {}), node(QStringLiteral("b1"), {})}),
                            QVariantMap{{QStringLiteral("name"), QStringLiteral("c")}, {QStringLiteral("children"), 5}}};
    const QString children = QStringLiteral("children");
    EXPECT_EQ(vokObjectAtIndexPath(tree, {1, 0}, children).toMap().value(QStringLiteral("name")), QStringLiteral("b0"));
    EXPECT_FALSE(vokObjectAtIndexPath(tree, {5}, children).isValid());
    EXPECT_FALSE(vokObjectAtIndexPath(tree, {}, children).isValid());
    EXPECT_FALSE(vokObjectAtIndexPath(tree, {0, 0}, children).isValid());

    LogCapture log;
    EXPECT_FALSE(vokObjectAtIndexPath(tree, {2, 0}, children).isValid());
    EXPECT_EQ(log.linesContaining(QStringLiteral("ERROR: Expected array at ")).size(), 1);
    EXPECT_TRUE(log.lines().value(0).endsWith(QStringLiteral(" property 'children', got 5")));

    const QVariantList found = vokChildrenAtIndexPaths(tree, {{1, 1}, {7}, {0}});
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found[0].toMap().value(QStringLiteral("name")), QStringLiteral("b1"));
    EXPECT_EQ(found[1].toMap().value(QStringLiteral("name")), QStringLiteral("a"));
}

#include "VOKPlistRepresentationTest.moc"

#include "LogCapture.h"
#include "VOKJSON.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(VOKJSON, ParsesOnlyObjectsAndArrays)
{
    LogCapture log;
    EXPECT_EQ(vokJSONValue(QStringLiteral("{}")), QVariant(QVariantMap()));
    EXPECT_EQ(vokJSONValue(QByteArrayLiteral("[1]")), QVariant(QVariantList{1}));
    EXPECT_TRUE(log.lines().isEmpty());
    for (const char *fragment : {"42", "\"x\"", "", "{", "[1,]", "nul"}) {
        log.clear();
        EXPECT_FALSE(vokJSONValue(QString::fromUtf8(fragment)).isValid()) << fragment;
        ASSERT_EQ(log.lines().size(), 1) << fragment;
        EXPECT_TRUE(log.lines().first().contains(
            QStringLiteral("ERROR: Error creating object from JSON: ")));
        EXPECT_TRUE(log.lines().first().endsWith(QStringLiteral("\nJSON String: ") + QString::fromUtf8(fragment)));
    }
}

TEST(VOKJSON, FragmentsAreOneValueOfAnyKind)
{
    LogCapture log;
    EXPECT_EQ(vokJSONFragmentValue("42"), QVariant(qlonglong(42)));
    EXPECT_EQ(vokJSONFragmentValue(" \"x\" "), QVariant(QStringLiteral("x")));
    EXPECT_EQ(vokJSONFragmentValue("null"), QVariant::fromValue(nullptr));
    EXPECT_EQ(vokJSONFragmentValue("{\"a\":true}"), QVariant(QVariantMap({{QStringLiteral("a"), true}})));
    // Text that would close the wrapping array early is not smuggled through as two values.
    for (const char *wrong : {"", "1,2", "1],[2", "{", "nul"}) {
        QString failure;
        EXPECT_FALSE(vokJSONFragmentValue(wrong, &failure).isValid()) << wrong;
        EXPECT_FALSE(failure.isEmpty()) << wrong;
    }
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST(VOKJSON, KeepsTypesApart)
{
    const QVariantList value = vokJSONValue(QStringLiteral(R"([null,true,7,7.5,"s"])")).toList();
    ASSERT_EQ(value.size(), 5);
    EXPECT_EQ(value[0].metaType(), QMetaType::fromType<std::nullptr_t>());
    EXPECT_EQ(value[1].metaType(), QMetaType::fromType<bool>());
    EXPECT_EQ(value[2].metaType(), QMetaType::fromType<qlonglong>());
    EXPECT_EQ(value[3].metaType(), QMetaType::fromType<double>());
    EXPECT_EQ(value[4].metaType(), QMetaType::fromType<QString>());
}

TEST(VOKJSON, RefusesNestingDeeperThanTheParserLimit)
{
    LogCapture log;
    const auto nested = [](int depth) { return QByteArray(depth, '[') + QByteArray(depth, ']'); };
    EXPECT_TRUE(vokJSONValue(nested(1024)).isValid());
    EXPECT_FALSE(vokJSONValue(nested(1025)).isValid());
    EXPECT_FALSE(vokJSONValue(nested(100000)).isValid());
    EXPECT_EQ(log.linesContaining(QStringLiteral("Error creating object from JSON")).size(), 2);
}

TEST(VOKJSON, SerialisesContainersOnly)
{
    LogCapture log;
    EXPECT_EQ(vokJSON(QVariantMap{{QStringLiteral("a"), QVariantList{1, true}}}), QByteArrayLiteral(R"({"a":[1,true]})"));
    EXPECT_EQ(vokJSON(QStringList{QStringLiteral("x")}), QByteArrayLiteral(R"(["x"])"));
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_TRUE(vokJSON(QStringLiteral("text")).isNull());
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().contains(QStringLiteral("ERROR: Error creating JSON: ")));
    EXPECT_TRUE(log.lines().first().endsWith(QStringLiteral("\nObject: text")));
}

TEST(VOKJSON, ForUrl)
{
    EXPECT_EQ(vokForUrl(QByteArrayLiteral("a b/c?d[e]:f")), QStringLiteral("a%20b%2Fc%3Fd[e]:f"));
    EXPECT_EQ(vokForUrl(QByteArrayLiteral("\xc3\xa9")), QStringLiteral("%C3%A9"));
    EXPECT_TRUE(vokForUrl(QByteArrayLiteral("\xff")).isNull());
}

TEST(VOKJSON, LoadsFilesAndLogsWhatIsMissing)
{
    QTemporaryDir folder;
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    LogCapture log;
    EXPECT_EQ(vokLoadPropertyListFromJSONFile(write(QStringLiteral("ok.json"), "{\"a\":[1]}")),
              QVariant(QVariantMap{{QStringLiteral("a"), QVariantList{1}}}));
    EXPECT_TRUE(log.lines().isEmpty());

    EXPECT_FALSE(vokLoadPropertyListFromJSONFile(QString()).isValid());
    ASSERT_EQ(log.lines().size(), 2);
    EXPECT_TRUE(log.lines()[0].endsWith(QStringLiteral("ASSERTION: Can't read JSON without a path!")));
    EXPECT_TRUE(log.lines()[1].endsWith(QStringLiteral("ERROR: File not found at ''")));

    log.clear();
    const QString missing = folder.filePath(QStringLiteral("missing.json"));
    EXPECT_FALSE(vokLoadPropertyListFromJSONFile(missing).isValid());
    EXPECT_EQ(log.lines(), QStringList{log.lines().value(0)});
    EXPECT_TRUE(log.lines().value(0).endsWith(QStringLiteral("ERROR: File not found at '%1'").arg(missing)));

    log.clear();
    EXPECT_FALSE(vokLoadPropertyListFromJSONFile(write(QStringLiteral("bad.json"), "\xff{}")).isValid());
    EXPECT_FALSE(vokLoadPropertyListFromJSONFile(write(QStringLiteral("frag.json"), "42")).isValid());
    EXPECT_EQ(log.linesContaining(QStringLiteral("Error creating object from JSON")).size(), 1);
}

TEST(VOKJSON, ResourcesAreOptionalOrWarned)
{
    LogCapture log;
    EXPECT_FALSE(vokLoadPropertyListFromJSONResourceNamed(QStringLiteral("NoSuchResource"), true).isValid());
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_FALSE(vokLoadPropertyListFromJSONResourceNamed(QStringLiteral("NoSuchResource")).isValid());
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().endsWith(QStringLiteral("WARNING: Can't find JSON resource named 'NoSuchResource'!")));
}

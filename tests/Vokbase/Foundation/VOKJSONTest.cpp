#include "LogCapture.h"
#include "VOKJSON.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(VOKJSON, ParsesOnlyObjectsAndArraysAndKeepsTypesApart)
{
    LogCapture log;
    EXPECT_EQ(vokJSONValue(QStringLiteral("{}")), QVariant(QVariantMap()));
    const QVariantList value = vokJSONValue(QByteArrayLiteral(R"([null,true,7,7.5,"s"])")).toList();
    ASSERT_EQ(value.size(), 5);
    const QMetaType types[] = {QMetaType::fromType<std::nullptr_t>(), QMetaType::fromType<bool>(),
                               QMetaType::fromType<qlonglong>(), QMetaType::fromType<double>(),
                               QMetaType::fromType<QString>()};
    for (int index = 0; index < value.size(); ++index)
        EXPECT_EQ(value[index].metaType(), types[index]) << index;
    EXPECT_TRUE(log.lines().isEmpty());

    for (const char *fragment : {"42", "\"x\"", "", "{", "[1,]", "nul"}) {
        log.clear();
        EXPECT_FALSE(vokJSONValue(QString::fromUtf8(fragment)).isValid()) << fragment;
        ASSERT_EQ(log.lines().size(), 1) << fragment;
        EXPECT_TRUE(log.lines().first().contains(QStringLiteral("ERROR: Error creating object from JSON: ")));
        EXPECT_TRUE(log.lines().first().endsWith(QStringLiteral("\nJSON String: ") + QString::fromUtf8(fragment)));
    }
}

TEST(VOKJSON, FragmentsAreOneValueOfAnyKind)
{
    LogCapture log;
    EXPECT_EQ(vokJSONFragmentValue("42"), QVariant(qlonglong(42)));
    EXPECT_EQ(vokJSONFragmentValue(" \"x\" "), QVariant(QStringLiteral("x")));
    EXPECT_EQ(vokJSONFragmentValue("null"), QVariant::fromValue(nullptr));
    // Text that would close the wrapping array early is not smuggled through as two values.
    for (const char *wrong : {"", "1,2", "1],[2", "{", "nul"}) {
        QString failure;
        EXPECT_FALSE(vokJSONFragmentValue(wrong, &failure).isValid()) << wrong;
        EXPECT_FALSE(failure.isEmpty()) << wrong;
    }
    EXPECT_TRUE(log.lines().isEmpty());
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

TEST(VOKJSON, SerialisesContainersOnlyAndEncodesForUrls)
{
    LogCapture log;
    EXPECT_EQ(vokJSON(QVariantMap{{QStringLiteral("a"), QVariantList{1, true}}}), QByteArrayLiteral(R"({"a":[1,true]})"));
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_TRUE(vokJSON(QStringLiteral("text")).isNull());
    EXPECT_EQ(log.linesContaining(QStringLiteral("ERROR: Error creating JSON: ")).size(), 1);

    EXPECT_EQ(vokForUrl(QByteArrayLiteral("a b/c?d[e]:f")), QStringLiteral("a%20b%2Fc%3Fd[e]:f"));
    EXPECT_EQ(vokForUrl(QByteArrayLiteral("\xc3\xa9")), QStringLiteral("%C3%A9"));
    EXPECT_TRUE(vokForUrl(QByteArrayLiteral("\xff")).isNull());
}

TEST(VOKJSON, LoadsFilesAndResourcesAndLogsWhatIsMissing)
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
    EXPECT_FALSE(vokLoadPropertyListFromJSONResourceNamed(QStringLiteral("NoSuchResource"), true).isValid());
    EXPECT_TRUE(log.lines().isEmpty());

    EXPECT_FALSE(vokLoadPropertyListFromJSONFile(QString()).isValid());
    EXPECT_EQ(log.linesContaining(QStringLiteral("ASSERTION: Can't read JSON without a path!")).size(), 1);
    const QString missing = folder.filePath(QStringLiteral("missing.json"));
    EXPECT_FALSE(vokLoadPropertyListFromJSONFile(missing).isValid());
    EXPECT_EQ(log.linesContaining(QStringLiteral("ERROR: File not found at '%1'").arg(missing)).size(), 1);
    EXPECT_FALSE(vokLoadPropertyListFromJSONResourceNamed(QStringLiteral("NoSuchResource")).isValid());
    EXPECT_EQ(log.linesContaining(QStringLiteral("WARNING: Can't find JSON resource named 'NoSuchResource'!")).size(), 1);

    log.clear();
    EXPECT_FALSE(vokLoadPropertyListFromJSONFile(write(QStringLiteral("bad.json"), "\xff{}")).isValid());
    EXPECT_FALSE(vokLoadPropertyListFromJSONFile(write(QStringLiteral("frag.json"), "42")).isValid());
    EXPECT_EQ(log.linesContaining(QStringLiteral("Error creating object from JSON")).size(), 1);
}

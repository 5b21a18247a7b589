#include "LogCapture.h"
#include "VOKPreferences.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>


namespace {

struct PreferencesTest : ::testing::Test
{
    QString path() const { return folder.filePath(QStringLiteral("Vindle/Vindle.json")); }

    void writeFile(const QByteArray &contents) const
    {
        QDir().mkpath(folder.filePath(QStringLiteral("Vindle")));
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }

    QStringList asideFiles() const
    {
        return QDir(folder.filePath(QStringLiteral("Vindle"))).entryList({QStringLiteral("Vindle.json.corrupt-*")});
    }

    QTemporaryDir folder;
};

} // namespace

TEST_F(PreferencesTest, ValuesSurviveARestartAsTheyWereRead)
{
    const QVariantMap history{{QStringLiteral("path"), QStringLiteral("a/b")}, {QStringLiteral("qos"), 1}};
    {
        VOKPreferences preferences(path());
        preferences.setObject(2, QStringLiteral("VLDTokenSortOrder"));
        preferences.setObject(QStringList{QStringLiteral("one"), QStringLiteral("two")}, QStringLiteral("VOKRecents"));
        preferences.setObject(QVariantList{history}, QStringLiteral("VDLPubClientHistory_h_1883"));
    }
    VOKPreferences reopened(path());
    EXPECT_TRUE(reopened.isPersistent());
    EXPECT_EQ(reopened.integerForKey(QStringLiteral("VLDTokenSortOrder")), 2);
    EXPECT_EQ(reopened.stringArrayForKey(QStringLiteral("VOKRecents")),
              QStringList({QStringLiteral("one"), QStringLiteral("two")}));
    EXPECT_EQ(reopened.arrayForKey(QStringLiteral("VDLPubClientHistory_h_1883")).first().toMap(), history);

    // The file is readable JSON.
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("VLDTokenSortOrder")).toInt(), 2);
}

TEST_F(PreferencesTest, TypedReadsOfAbsentOrOtherKinds)
{
    VOKPreferences preferences(path());
    preferences.setObject(QStringLiteral("12"), QStringLiteral("numeric text"));
    preferences.setObject(QVariantMap{{QStringLiteral("a"), 1}}, QStringLiteral("dictionary"));
    EXPECT_EQ(preferences.integerForKey(QStringLiteral("absent")), 0);
    EXPECT_FALSE(preferences.boolForKey(QStringLiteral("absent")));
    EXPECT_EQ(preferences.integerForKey(QStringLiteral("numeric text")), 12);
    EXPECT_EQ(preferences.integerForKey(QStringLiteral("dictionary")), 0);
    EXPECT_TRUE(preferences.arrayForKey(QStringLiteral("dictionary")).isEmpty());
    EXPECT_TRUE(preferences.stringForKey(QStringLiteral("dictionary")).isNull());
}

TEST_F(PreferencesTest, DefaultsAnswerButAreNeverWritten)
{
    {
        VOKPreferences preferences(path());
        preferences.registerDefaults({{QStringLiteral("VDLPubClientMaxHistoryCount"), 20}});
        EXPECT_EQ(preferences.integerForKey(QStringLiteral("VDLPubClientMaxHistoryCount")), 20);
        preferences.setObject(5, QStringLiteral("VDLPubClientMaxHistoryCount"));
        EXPECT_EQ(preferences.integerForKey(QStringLiteral("VDLPubClientMaxHistoryCount")), 5);
        preferences.removeObjectForKey(QStringLiteral("VDLPubClientMaxHistoryCount"));
        EXPECT_EQ(preferences.integerForKey(QStringLiteral("VDLPubClientMaxHistoryCount")), 20);
        preferences.setObject(1, QStringLiteral("other"));
    }
    VOKPreferences reopened(path());
    EXPECT_FALSE(reopened.objectForKey(QStringLiteral("VDLPubClientMaxHistoryCount")).isValid());
}

TEST_F(PreferencesTest, ObserversHearEveryRealChange)
{
    VOKPreferences preferences(path());
    QSignalSpy spy(&preferences, &VOKPreferences::valueChanged);
    QSignalSpy valuesSpy(preferences.values(), &VOKObservableValues::valueChanged);
    preferences.setObject(1, QStringLiteral("k"));
    preferences.setObject(1, QStringLiteral("k")); // unchanged
    preferences.setObject(QVariant(), QStringLiteral("k")); // removes
    preferences.removeObjectForKey(QStringLiteral("k")); // already gone
    preferences.registerDefaults({{QStringLiteral("d"), 3}});
    ASSERT_EQ(spy.size(), 3);
    EXPECT_EQ(spy.at(0).at(0).toString(), QStringLiteral("k"));
    EXPECT_EQ(spy.at(2).at(0).toString(), QStringLiteral("d"));
    EXPECT_EQ(valuesSpy.size(), 3);
    EXPECT_EQ(preferences.values()->valueForKey(QStringLiteral("d")).toInt(), 3);
}

TEST_F(PreferencesTest, ACorruptFileOrOneThatIsNoObjectIsKeptAsideAndLogged)
{
    for (const QByteArray &contents : {QByteArray("{\"VOKRecents\": [\"a\", "), QByteArray("[1, 2, 3]")}) {
        for (const QString &aside : asideFiles())
            QFile::remove(folder.filePath(QStringLiteral("Vindle/") + aside));
        writeFile(contents);
        LogCapture log;
        {
            VOKPreferences preferences(path());
            EXPECT_TRUE(preferences.isPersistent());
            EXPECT_FALSE(preferences.objectForKey(QStringLiteral("VOKRecents")).isValid());
            ASSERT_EQ(log.lines().size(), 1);
            EXPECT_TRUE(log.lines().first().contains(QStringLiteral(": ERROR: Preferences file '")));
            preferences.setObject(1, QStringLiteral("fresh"));
        }
        const QStringList aside = asideFiles();
        ASSERT_EQ(aside.size(), 1);
        QFile kept(folder.filePath(QStringLiteral("Vindle/") + aside.first()));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), contents);
        EXPECT_EQ(VOKPreferences(path()).integerForKey(QStringLiteral("fresh")), 1);
    }
}

TEST_F(PreferencesTest, AFileThatCannotBeMovedAsideIsNeverOverwritten)
{
    // Files under /proc are not JSON and cannot be renamed, not even by root.
    const QString unmovable = QStringLiteral("/proc/version");
    QFile original(unmovable);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray before = original.readAll();
    LogCapture log;
    {
        VOKPreferences preferences(unmovable);
        EXPECT_FALSE(preferences.isPersistent());
        preferences.setObject(1, QStringLiteral("k"));
        EXPECT_EQ(preferences.integerForKey(QStringLiteral("k")), 1);
    }
    QFile after(unmovable);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
    EXPECT_EQ(log.linesContaining(QStringLiteral("kept for this session only")).size(), 1);
}

TEST_F(PreferencesTest, StandardStoreLivesInTheConfigurationFolder)
{
    const QString standard = VOKPreferences::standardFilePath();
    EXPECT_TRUE(standard.startsWith(qEnvironmentVariable("XDG_CONFIG_HOME"))) << standard.toStdString();
    EXPECT_TRUE(standard.endsWith(QStringLiteral("/Vindle/Vindle.json"))) << standard.toStdString();
}

#include "LogCapture.h"
#include "VOKLog.h"

#include <QThread>

#include <gtest/gtest.h>

#include <memory>

TEST(VOKLog, LinesNameFileLineAndLevelAndOnlyBeepMessagesSoundTheAlert)
{
    LogCapture log;
    const int line = __LINE__ + 1;
    VOK_ERROR(QStringLiteral("something failed"));
    VOK_WARNING(QStringLiteral("careful"));
    VOK_ASSERTION(QStringLiteral("broken expectation"));
    ASSERT_EQ(log.lines().size(), 3);
    EXPECT_EQ(log.lines()[0],
              QStringLiteral("tests/Vokbase/Foundation/VOKLogTest.cpp:%1: ERROR: something failed").arg(line));
    EXPECT_TRUE(log.lines()[1].endsWith(QStringLiteral(": WARNING: careful")));
    EXPECT_TRUE(log.lines()[2].endsWith(QStringLiteral(": ASSERTION: broken expectation")));
    EXPECT_EQ(log.beeps(), 0);

    VOK_ERROR(QStringLiteral("Beep: No host given!"));
    VOK_WARNING(QStringLiteral("No beep: here"));
    VOK_WARNING(QStringLiteral("beep: lowercase does not count"));
    EXPECT_EQ(log.beeps(), 1);
}

TEST(VOKLog, LinesFromManyThreadsAreWholeAndCounted)
{
    LogCapture log;
    std::vector<std::unique_ptr<QThread>> threads;
    for (int thread = 0; thread < 4; ++thread) {
        threads.emplace_back(QThread::create([thread] {
            for (int index = 0; index < 250; ++index)
                VOK_WARNING(QStringLiteral("Beep: thread %1 line %2").arg(thread).arg(index));
        }));
        threads.back()->start();
    }
    for (const auto &thread : threads)
        thread->wait();
    EXPECT_EQ(log.lines().size(), 1000);
    EXPECT_EQ(log.beeps(), 1000);
}

TEST(VOKLog, CaptureRestoresThePreviousSink)
{
    LogCapture outer;
    {
        LogCapture inner;
        VOK_ERROR(QStringLiteral("inner"));
        EXPECT_EQ(inner.lines().size(), 1);
    }
    VOK_ERROR(QStringLiteral("outer"));
    EXPECT_EQ(outer.lines().size(), 1);
}

TEST(VOKLog, ExcerptsQuoteTheStartWholeCharactersAndTheSize)
{
    EXPECT_EQ(VOKLog::excerpt(QByteArray(200, 'a')), QString(200, QLatin1Char('a')));
    // "é" is two bytes; the one that would straddle the cut is left out whole.
    const QByteArray accented = QByteArray(199, 'a') + "\xC3\xA9" + "tail";
    EXPECT_EQ(VOKLog::excerpt(accented), QString(199, QLatin1Char('a')) + QStringLiteral("… (205 bytes)"));
}

#include "MockClock.h"
#include "VOKDate.h"
#include "VOKDateFormatter.h"

#include <gtest/gtest.h>

namespace {

const QDateTime now(QDate(2026, 12, 6), QTime(19, 30, 15));

QString secondsAgo(qint64 seconds)
{
    return vokRelativeTimeString(now.addSecs(-seconds));
}

} // namespace

TEST(VOKDate, FixedPatterns)
{
    const QDateTime date(QDate(2026, 3, 4), QTime(7, 8, 9, 500));
    EXPECT_EQ(vokTime24(date), QStringLiteral("07:08:09"));
    EXPECT_EQ(vokShortDateTime24(date), QStringLiteral("03/04 07:08:09"));
    EXPECT_EQ(vokTime24(QDateTime(QDate(2026, 3, 4), QTime(23, 0))), QStringLiteral("23:00:00"));
    EXPECT_EQ(vokDateFormatter(QStringLiteral("yyyy")).stringFromDate(date), QStringLiteral("2026"));
    EXPECT_EQ(vokTime24(QDateTime()), QString());
}

TEST(VOKDate, RelativeTimeAtItsBoundaries)
{
    MockClock clock(now);
    EXPECT_EQ(secondsAgo(0), QStringLiteral("Just now"));
    EXPECT_EQ(secondsAgo(59), QStringLiteral("Just now"));
    EXPECT_EQ(secondsAgo(-3600), QStringLiteral("Just now")); // in the future
    EXPECT_EQ(secondsAgo(60), QStringLiteral("1 min ago"));
    EXPECT_EQ(secondsAgo(119), QStringLiteral("1 min ago"));
    EXPECT_EQ(secondsAgo(120), QStringLiteral("2 mins ago"));
    EXPECT_EQ(secondsAgo(3599), QStringLiteral("59 mins ago"));
    EXPECT_EQ(secondsAgo(3600), QStringLiteral("1 hour ago"));
    EXPECT_EQ(secondsAgo(5 * 3600 + 59), QStringLiteral("5 hours ago"));
    EXPECT_EQ(secondsAgo(86399), QStringLiteral("23 hours ago"));
    EXPECT_EQ(secondsAgo(86400), QStringLiteral("1 day ago"));
    EXPECT_EQ(secondsAgo(604799), QStringLiteral("6 days ago"));
    const QDateTime weekAgo = now.addSecs(-604800);
    EXPECT_EQ(vokRelativeTimeString(weekAgo), vokMediumDateString(weekAgo));
    EXPECT_EQ(vokRelativeTimeString(QDateTime()), QString());
}

TEST(VOKDate, RelativeTimeFollowsTheClock)
{
    MockClock clock(now);
    const QDateTime arrival = now;
    EXPECT_EQ(vokRelativeTimeString(arrival), QStringLiteral("Just now"));
    clock.advanceSeconds(61);
    EXPECT_EQ(vokRelativeTimeString(arrival), QStringLiteral("1 min ago"));
}

TEST(VOKDate, MediumDateHasDayMonthAndYearButNoTime)
{
    const QString text = vokMediumDateString(QDateTime(QDate(2026, 11, 29), QTime(13, 14, 15)));
    EXPECT_TRUE(text.contains(QStringLiteral("29"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("2026"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("13"))) << text.toStdString();
}

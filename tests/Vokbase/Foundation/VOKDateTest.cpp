#include "MockClock.h"
#include "VOKDate.h"

#include <gtest/gtest.h>

namespace {

const QDateTime now(QDate(2026, 12, 6), QTime(19, 30, 15));

} // namespace

TEST(VOKDate, FixedPatternsUseTheTwentyFourHourClock)
{
    const QDateTime date(QDate(2026, 3, 4), QTime(7, 8, 9, 500));
    EXPECT_EQ(vokTime24(date), QStringLiteral("07:08:09"));
    EXPECT_EQ(vokShortDateTime24(date), QStringLiteral("03/04 07:08:09"));
    EXPECT_EQ(vokTime24(QDateTime(QDate(2026, 3, 4), QTime(23, 0))), QStringLiteral("23:00:00"));
    EXPECT_EQ(vokTime24(QDateTime()), QString());
}

TEST(VOKDate, RelativeTimeAtItsBoundariesFollowsTheClock)
{
    MockClock clock(now);
    const std::pair<qint64, const char *> cases[] = {
        {0, "Just now"},        {59, "Just now"},         {-3600, "Just now"} /* in the future */,
        {60, "1 min ago"},      {119, "1 min ago"},       {120, "2 mins ago"},
        {3599, "59 mins ago"},  {3600, "1 hour ago"},     {5 * 3600 + 59, "5 hours ago"},
        {86399, "23 hours ago"}, {86400, "1 day ago"},    {604799, "6 days ago"},
    };
    for (const auto &[seconds, expected] : cases)
        EXPECT_EQ(vokRelativeTimeString(now.addSecs(-seconds)), QString::fromUtf8(expected)) << seconds;
    const QDateTime weekAgo = now.addSecs(-604800);
    EXPECT_EQ(vokRelativeTimeString(weekAgo), vokMediumDateString(weekAgo));
    EXPECT_EQ(vokRelativeTimeString(QDateTime()), QString());

    clock.advanceSeconds(61);
    EXPECT_EQ(vokRelativeTimeString(now), QStringLiteral("1 min ago"));
}

TEST(VOKDate, MediumDateHasDayMonthAndYearButNoTime)
{
    const QString text = vokMediumDateString(QDateTime(QDate(2026, 11, 29), QTime(13, 14, 15)));
    EXPECT_TRUE(text.contains(QStringLiteral("29")) && text.contains(QStringLiteral("2026"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("13"))) << text.toStdString();
}

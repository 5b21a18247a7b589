#include "VOKError.h"
#include "VOKKeyPath.h"

#include <gtest/gtest.h>

TEST(VOKError, ShowsTheSuggestionOnlyWhenThereIsOneAndFillsOnlyWhereAsked)
{
    const VOKError error(QStringLiteral("VOKMosquitto"), 5, QStringLiteral("Connection Refused"),
                         QStringLiteral("Check user name and password"));
    EXPECT_EQ(error.displayText(), QStringLiteral("Connection Refused (Check user name and password)"));
    EXPECT_EQ(vokSafeValueForKeyPath(QVariant::fromValue(error), QStringLiteral("code")).toLongLong(), 5);
    EXPECT_EQ(VOKError(QStringLiteral("X"), -4242, QStringLiteral("No Connection")).displayText(),
              QStringLiteral("No Connection"));
    EXPECT_TRUE(VOKError().isNull());

    VOKError::fill(nullptr, error);
    VOKError target;
    VOKError::fill(&target, error);
    EXPECT_EQ(target.code(), 5);
}

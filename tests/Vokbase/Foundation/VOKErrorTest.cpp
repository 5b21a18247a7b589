#include "VOKError.h"
#include "VOKKeyPath.h"

#include <gtest/gtest.h>

TEST(VOKError, CarriesItsPartsAndReadsByKeyPath)
{
    const VOKError error(QStringLiteral("VOKMosquitto"), 5, QStringLiteral("Connection Refused"),
                         QStringLiteral("Check user name and password"));
    EXPECT_FALSE(error.isNull());
    EXPECT_EQ(error.displayText(), QStringLiteral("Connection Refused (Check user name and password)"));
    const QVariant value = QVariant::fromValue(error);
    EXPECT_EQ(vokSafeValueForKeyPath(value, QStringLiteral("code")).toLongLong(), 5);
    EXPECT_EQ(vokSafeValueForKeyPath(value, QStringLiteral("domain")).toString(), QStringLiteral("VOKMosquitto"));

    const VOKError plain(QStringLiteral("X"), -4242, QStringLiteral("No Connection"));
    EXPECT_TRUE(plain.localizedRecoverySuggestion().isNull());
    EXPECT_EQ(plain.displayText(), QStringLiteral("No Connection"));
    EXPECT_TRUE(VOKError().isNull());
}

TEST(VOKError, FillsOnlyWhereAsked)
{
    VOKError::fill(nullptr, VOKError(QStringLiteral("X"), 1, QStringLiteral("y")));
    VOKError target;
    VOKError::fill(&target, VOKError(QStringLiteral("X"), 1, QStringLiteral("y")));
    EXPECT_EQ(target.code(), 1);
}

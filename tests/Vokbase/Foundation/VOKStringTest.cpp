#include "VOKString.h"
#include "VOKUrl.h"

#include <gtest/gtest.h>

#include <limits>

TEST(VOKString, SplitTrailingDigits)
{
    EXPECT_FALSE(vokSplitTrailingDigits(QString()));
    EXPECT_FALSE(vokSplitTrailingDigits(QStringLiteral("12a")));
    EXPECT_EQ(vokSplitTrailingDigits(QStringLiteral("sensor12")),
              VOKStringPair(QStringLiteral("sensor"), QStringLiteral("12")));
    EXPECT_EQ(vokSplitTrailingDigits(QStringLiteral("007")), VOKStringPair(QString(), QStringLiteral("007")));
    // Only ASCII digits count: an Arabic-Indic digit is not a trailing number.
    EXPECT_FALSE(vokSplitTrailingDigits(QStringLiteral("x\u0663")));
}

TEST(VOKString, TrailingNumbersCompareAsNumbersOfAnyLength)
{
    const struct {
        const char *left;
        const char *right;
        int order;
    } cases[] = {
        {"a9", "a10", -1}, {"a10", "a9", 1}, {"007", "7", 0},
        {"a10", "b2", -1}, // stems differ: text order
        // Stems that differ only in case fall back to the text order, where "10" < "2".
        {"Light2", "light10", 1}, {"ABC", "abc", 0}, {"", "a", -1},
        // 2^64 and beyond: too long for a signed 64-bit integer.
        {"t18446744073709551616", "t18446744073709551617", -1},
        {"t99999999999999999999999", "t100000000000000000000000", -1},
        {"t0000000000000000000000000001", "t1", 0},
        {"t9223372036854775807", "t9223372036854775808", -1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(vokCaseInsensitiveCompareWithTrailingNumber(QString::fromUtf8(c.left), QString::fromUtf8(c.right)),
                  c.order)
            << c.left << " " << c.right;
}

TEST(VOKString, SplittingAndTrimmingKeepTheTextWhenNothingMatches)
{
    EXPECT_FALSE(vokSplitAtFirst(QStringLiteral("a|b"), QString()));
    EXPECT_FALSE(vokSplitAtFirst(QStringLiteral("ab"), QStringLiteral("|")));
    EXPECT_EQ(vokSplitAtFirst(QStringLiteral("|"), QStringLiteral("|")), VOKStringPair(QString(), QString()));
    // The text after starts one character past the match, whatever the separator's length.
    EXPECT_EQ(vokSplitAtFirst(QStringLiteral("a/b/+c"), QStringLiteral("/+")),
              VOKStringPair(QStringLiteral("a/b"), QStringLiteral("+c")));

    EXPECT_EQ(vokStringByRemovingSuffix(QStringLiteral("a/#"), QStringLiteral("/#")), QStringLiteral("a"));
    EXPECT_EQ(vokStringByRemovingSuffix(QStringLiteral("a/#"), QStringLiteral("x")), QStringLiteral("a/#"));
    EXPECT_EQ(vokStringByRemovingPrefix(QStringLiteral("ab"), QStringLiteral("abc")), QStringLiteral("ab"));
}

TEST(VOKString, MayBeStringRejectsControlCharactersButTabsAndNewlines)
{
    EXPECT_TRUE(vokMayBeString(QString()));
    EXPECT_TRUE(vokMayBeString(QStringLiteral("a\tb\nc\rd grüße \u2603 \U0001F600 \u007F")));
    EXPECT_FALSE(vokMayBeString(QString(QChar(0))));
    EXPECT_FALSE(vokMayBeString(QStringLiteral("x\u001By")));
    EXPECT_FALSE(vokMayBeString(QStringLiteral("\u001F")));
}

TEST(VOKString, UrlsBooleansAndIntegersFromText)
{
    EXPECT_FALSE(vokUrl(QString()));
    EXPECT_FALSE(vokUrl(QStringLiteral("mqtt://host name")));
    EXPECT_EQ(vokUrl(QStringLiteral("mqtt://broker.local:1884/a/b")).value().port(), 1884);

    for (const char *yes : {"1", "yes", "Y", "true", "T", " +007", "9x"})
        EXPECT_TRUE(vokBoolValue(QString::fromUtf8(yes))) << yes;
    for (const char *no : {"0", "no", "false", "", "000", "-0", "x1"})
        EXPECT_FALSE(vokBoolValue(QString::fromUtf8(no))) << no;
    EXPECT_FALSE(vokBoolValue(QString()));
    EXPECT_EQ(vokIntegerValue(QStringLiteral(" 2abc")), 2);
    EXPECT_EQ(vokIntegerValue(QStringLiteral("-12")), -12);
    EXPECT_EQ(vokIntegerValue(QStringLiteral("x")), 0);
    EXPECT_EQ(vokIntegerValue(QStringLiteral("99999999999999999999999")), std::numeric_limits<qint64>::max());
}

#include "VOKString.h"
#include "VOKUrl.h"


#include <gtest/gtest.h>

#include <limits>

namespace {

int compare(const char *left, const char *right)
{
    return vokCaseInsensitiveCompareWithTrailingNumber(QString::fromUtf8(left), QString::fromUtf8(right));
}

} // namespace

TEST(VOKString, SplitTrailingDigits)
{
    EXPECT_FALSE(vokSplitTrailingDigits(QString()));
    EXPECT_FALSE(vokSplitTrailingDigits(QStringLiteral("abc")));
    EXPECT_FALSE(vokSplitTrailingDigits(QStringLiteral("12a")));
    EXPECT_EQ(vokSplitTrailingDigits(QStringLiteral("sensor12")),
              VOKStringPair(QStringLiteral("sensor"), QStringLiteral("12")));
    EXPECT_EQ(vokSplitTrailingDigits(QStringLiteral("007")), VOKStringPair(QString(), QStringLiteral("007")));
    // Only ASCII digits count: an Arabic-Indic digit is not a trailing number.
    EXPECT_FALSE(vokSplitTrailingDigits(QStringLiteral("x\u0663")));
}

TEST(VOKString, TrailingNumberOrder)
{
    EXPECT_EQ(compare("a9", "a10"), -1);
    EXPECT_EQ(compare("a10", "a9"), 1);
    EXPECT_EQ(compare("light2", "light10"), -1);
    EXPECT_EQ(compare("007", "7"), 0);
    EXPECT_EQ(compare("a10", "b2"), -1); // stems differ: text order
    // Stems that differ only in case fall back to the text order, where "10" < "2".
    EXPECT_EQ(compare("Light2", "light10"), 1);
    EXPECT_EQ(compare("ABC", "abc"), 0);
    EXPECT_EQ(compare("abc", "abd"), -1);
    EXPECT_EQ(compare("", "a"), -1);
}

TEST(VOKString, TrailingNumbersBeyondSixtyFourBitsCompareExactly)
{
    // 2^64 and 2^64 + 1: too long for a signed 64-bit integer.
    EXPECT_EQ(compare("t18446744073709551616", "t18446744073709551617"), -1);
    EXPECT_EQ(compare("t99999999999999999999999", "t100000000000000000000000"), -1);
    EXPECT_EQ(compare("t0000000000000000000000000001", "t1"), 0);
    EXPECT_EQ(compare("t9223372036854775807", "t9223372036854775808"), -1);
    EXPECT_EQ(compare("t123456789012345678901234567890", "t123456789012345678901234567890"), 0);
}

TEST(VOKString, SplitAtFirst)
{
    EXPECT_FALSE(vokSplitAtFirst(QStringLiteral("a|b"), QString()));
    EXPECT_FALSE(vokSplitAtFirst(QStringLiteral("ab"), QStringLiteral("|")));
    EXPECT_EQ(vokSplitAtFirst(QStringLiteral("a|b|c"), QStringLiteral("|")),
              VOKStringPair(QStringLiteral("a"), QStringLiteral("b|c")));
    EXPECT_EQ(vokSplitAtFirst(QStringLiteral("|"), QStringLiteral("|")), VOKStringPair(QString(), QString()));
    // The text after starts one character past the match, whatever the separator's length.
    EXPECT_EQ(vokSplitAtFirst(QStringLiteral("a/b/+c"), QStringLiteral("/+")),
              VOKStringPair(QStringLiteral("a/b"), QStringLiteral("+c")));
}

TEST(VOKString, PrefixAndSuffix)
{
    EXPECT_EQ(vokStringByRemovingSuffix(QStringLiteral("a/#"), QStringLiteral("/#")), QStringLiteral("a"));
    EXPECT_EQ(vokStringByRemovingSuffix(QStringLiteral("a/#"), QStringLiteral("x")), QStringLiteral("a/#"));
    EXPECT_EQ(vokStringByRemovingPrefix(QStringLiteral("$SYS/x"), QStringLiteral("$SYS/")), QStringLiteral("x"));
    EXPECT_EQ(vokStringByRemovingPrefix(QStringLiteral("ab"), QStringLiteral("abc")), QStringLiteral("ab"));
}

TEST(VOKString, MayBeStringRejectsControlCharactersButTabsAndNewlines)
{
    EXPECT_TRUE(vokMayBeString(QString()));
    EXPECT_TRUE(vokMayBeString(QStringLiteral("a\tb\nc\rd")));
    EXPECT_TRUE(vokMayBeString(QStringLiteral("grüße \u2603 \U0001F600")));
    EXPECT_FALSE(vokMayBeString(QString(QChar(0))));
    EXPECT_FALSE(vokMayBeString(QStringLiteral("x\u001By")));
    EXPECT_FALSE(vokMayBeString(QStringLiteral("\u001F")));
    EXPECT_TRUE(vokMayBeString(QStringLiteral("\u007F \u0020")));
}

TEST(VOKString, UrlParsing)
{
    EXPECT_FALSE(vokUrl(QString()));
    EXPECT_FALSE(vokUrl(QStringLiteral("mqtt://host name")));
    const auto url = vokUrl(QStringLiteral("mqtt://broker.local:1884/a/b"));
    ASSERT_TRUE(url);
    EXPECT_EQ(url->port(), 1884);
    EXPECT_EQ(vokFileUrl(QStringLiteral("/tmp/x y")).toString(), QStringLiteral("file:///tmp/x y"));
}

TEST(VOKString, BooleanAndIntegerReadings)
{
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

#include "VOKData.h"

#include <gtest/gtest.h>

TEST(VOKData, DecodesValidUtf8OnlyAndKeepsAByteOrderMark)
{
    EXPECT_EQ(vokUTF8String(QByteArray("caf\xc3\xa9")), QStringLiteral("café"));
    EXPECT_EQ(vokUTF8String(QByteArray("\xef\xbb\xbfx")), QStringLiteral("\uFEFFx"));
    const QString empty = vokUTF8String(QByteArray());
    EXPECT_FALSE(empty.isNull());
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(vokUTF8String(QByteArray("a\0b", 3)).size(), 3);

    EXPECT_TRUE(vokUTF8String(QByteArray("\xff\xfe")).isNull());
    EXPECT_TRUE(vokUTF8String(QByteArray("abc\xc3")).isNull()); // cut short at the end
    EXPECT_TRUE(vokUTF8String(QByteArray("\xc0\xaf")).isNull()); // overlong "/"
    EXPECT_TRUE(vokUTF8String(QByteArray("\xed\xa0\x80")).isNull()); // lone surrogate
}

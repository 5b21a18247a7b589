#include "VOKCollections.h"
#include "VOKIndexPath.h"

#include <gtest/gtest.h>

TEST(VOKIndexPath, FirstIndexAndRemovingIt)
{
    EXPECT_EQ(VOKIndexPath().firstIndex(), VOKIndexPath::NotFound);
    EXPECT_EQ(VOKIndexPath::NotFound, qint64(0x7fffffffffffffff));
    EXPECT_EQ(VOKIndexPath({3, 1, 4}).firstIndex(), 3);
    EXPECT_EQ(VOKIndexPath({3, 1, 4}).indexPathByRemovingFirstIndex(), VOKIndexPath({1, 4}));
    EXPECT_TRUE(VOKIndexPath({3}).indexPathByRemovingFirstIndex().isEmpty());
    EXPECT_TRUE(VOKIndexPath().indexPathByRemovingFirstIndex().isEmpty());
    EXPECT_EQ(VOKIndexPath({1}).indexPathByAddingIndex(2), VOKIndexPath({1, 2}));
    EXPECT_EQ(VOKIndexPath({1}).indexAtPosition(5), VOKIndexPath::NotFound);
}

TEST(VOKCollections, AddStoresOnlyWhenKeyAndValueArePresent)
{
    QVariantMap dictionary;
    vokAdd(dictionary, QStringLiteral("a"), 1);
    vokAdd(dictionary, QString(), 2);
    vokAdd(dictionary, QStringLiteral("b"), QVariant());
    EXPECT_EQ(dictionary, QVariantMap({{QStringLiteral("a"), 1}}));
}

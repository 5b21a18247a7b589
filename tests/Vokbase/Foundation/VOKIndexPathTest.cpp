#include "VOKCollections.h"
#include "VOKIndexPath.h"

#include <gtest/gtest.h>

TEST(VOKIndexPath, EmptyPathsAndPositionsBeyondTheEndAnswerNotFound)
{
    EXPECT_EQ(VOKIndexPath().firstIndex(), VOKIndexPath::NotFound);
    EXPECT_EQ(VOKIndexPath({1}).indexAtPosition(5), VOKIndexPath::NotFound);
    EXPECT_EQ(VOKIndexPath({3, 1, 4}).indexPathByRemovingFirstIndex(), VOKIndexPath({1, 4}));
    EXPECT_TRUE(VOKIndexPath().indexPathByRemovingFirstIndex().isEmpty());
}

TEST(VOKCollections, AddStoresOnlyWhenKeyAndValueArePresent)
{
    QVariantMap dictionary;
    vokAdd(dictionary, QStringLiteral("a"), 1);
    vokAdd(dictionary, QString(), 2);
    vokAdd(dictionary, QStringLiteral("b"), QVariant());
    EXPECT_EQ(dictionary, QVariantMap({{QStringLiteral("a"), 1}}));
}

#include "VOKAttachments.h"

#include <gtest/gtest.h>

#include <memory>

namespace {
const char firstKey = 0;
const char secondKey = 0;
} // namespace

TEST(VOKAttachments, StoresPerKeyAndReleasesWithTheObject)
{
    auto owner = std::make_unique<QObject>();
    EXPECT_FALSE(vokAssociatedObjectForKey(owner.get(), &firstKey).isValid());

    auto payload = std::make_shared<int>(7);
    const std::weak_ptr<int> watch = payload;
    vokSetAssociatedObject(owner.get(), QVariant::fromValue(payload), &firstKey);
    vokSetAssociatedObject(owner.get(), QStringLiteral("two"), &secondKey);
    payload.reset();
    EXPECT_FALSE(watch.expired()); // the attachment owns it
    EXPECT_EQ(*vokAssociatedObjectForKey(owner.get(), &firstKey).value<std::shared_ptr<int>>(), 7);
    EXPECT_EQ(vokAssociatedObjectForKey(owner.get(), &secondKey).toString(), QStringLiteral("two"));
    EXPECT_TRUE(owner->children().isEmpty());

    owner.reset();
    EXPECT_TRUE(watch.expired());
}

TEST(VOKAttachments, ReplacesOnlyWhenDifferentAndRemovesOnInvalid)
{
    QObject owner;
    vokSetAssociatedObject(&owner, 1, &firstKey);
    vokSetAssociatedObject(&owner, 2, &firstKey);
    EXPECT_EQ(vokAssociatedObjectForKey(&owner, &firstKey).toInt(), 2);
    vokSetAssociatedObject(&owner, QVariant(), &firstKey);
    EXPECT_FALSE(vokAssociatedObjectForKey(&owner, &firstKey).isValid());
    vokSetAssociatedObject(nullptr, 1, &firstKey);
    EXPECT_FALSE(vokAssociatedObjectForKey(nullptr, &firstKey).isValid());
}

#include "VOKAttachments.h"

#include <gtest/gtest.h>

#include <memory>

namespace {
const char firstKey = 0;
const char secondKey = 0;
} // namespace

TEST(VOKAttachments, StoresPerKeyReplacesRemovesAndReleasesWithTheObject)
{
    auto owner = std::make_unique<QObject>();
    auto payload = std::make_shared<int>(7);
    const std::weak_ptr<int> watch = payload;
    vokSetAssociatedObject(owner.get(), QVariant::fromValue(payload), &firstKey);
    vokSetAssociatedObject(owner.get(), QStringLiteral("two"), &secondKey);
    payload.reset();
    EXPECT_FALSE(watch.expired()); // the attachment owns it
    EXPECT_EQ(*vokAssociatedObjectForKey(owner.get(), &firstKey).value<std::shared_ptr<int>>(), 7);
    EXPECT_EQ(vokAssociatedObjectForKey(owner.get(), &secondKey).toString(), QStringLiteral("two"));
    EXPECT_TRUE(owner->children().isEmpty());

    vokSetAssociatedObject(owner.get(), 2, &secondKey);
    EXPECT_EQ(vokAssociatedObjectForKey(owner.get(), &secondKey).toInt(), 2);
    vokSetAssociatedObject(owner.get(), QVariant(), &secondKey);
    EXPECT_FALSE(vokAssociatedObjectForKey(owner.get(), &secondKey).isValid());
    vokSetAssociatedObject(nullptr, 1, &firstKey);
    EXPECT_FALSE(vokAssociatedObjectForKey(nullptr, &firstKey).isValid());

    owner.reset();
    EXPECT_TRUE(watch.expired());
}

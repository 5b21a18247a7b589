#include "LogCapture.h"
#include "TestNode.h"
#include "VOKKVOBlock.h"
#include "VOKPreferences.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Records every delivery.
struct Recorder
{
    VOKKVOBlock::Callback callback()
    {
        return [this](QObject *observer, const VOKKVOChange &change, VOKKVOBlock *) {
            observers.append(observer);
            changes.append(change);
        };
    }
    QVariantList newValues() const
    {
        QVariantList values;
        for (const VOKKVOChange &change : changes)
            values.append(change.newValue);
        return values;
    }
    QList<QObject *> observers;
    QList<VOKKVOChange> changes;
};

struct KVOBlockTest : ::testing::Test
{
    TestNode observed{QStringLiteral("observed")};
    QObject observer;
    Recorder recorder;
};

} // namespace

TEST_F(KVOBlockTest, DeliversEveryAssignmentWithNewAndOldValues)
{
    const auto token = vokAddObserver(&observed, &observer, QStringLiteral("name"), VOKKVOOption::Old,
                                      recorder.callback());
    observed.setName(QStringLiteral("one"));
    observed.setName(QStringLiteral("one"));
    ASSERT_EQ(recorder.changes.size(), 2);
    EXPECT_EQ(recorder.changes[0].oldValue.toString(), QStringLiteral("observed"));
    EXPECT_EQ(recorder.changes[1].oldValue.toString(), QStringLiteral("one"));
    EXPECT_FALSE(recorder.changes[0].isInitial);
    EXPECT_EQ(recorder.observers[0], &observer);
}

TEST_F(KVOBlockTest, InitialDeliversOnceBeforeCreationReturns)
{
    observed.setCount(3);
    const auto token = vokAddObserver(&observed, &observer, QStringLiteral("count"),
                                      VOKKVOOption::Initial | VOKKVOOption::New, recorder.callback());
    ASSERT_EQ(recorder.changes.size(), 1);
    EXPECT_TRUE(recorder.changes[0].isInitial);
    EXPECT_EQ(recorder.changes[0].newValue.toInt(), 3);
    observed.setCount(4);
    EXPECT_EQ(recorder.newValues(), QVariantList({3, 4}));
}

TEST_F(KVOBlockTest, MultiLevelKeyPathFollowsReplacedAndDestroyedObjects)
{
    TestNode first(QStringLiteral("first"));
    auto second = std::make_unique<TestNode>(QStringLiteral("second"));
    observed.setChild(&first);
    const auto token = vokAddObserver(&observed, &observer, QStringLiteral("child.name"), recorder.callback());

    first.setName(QStringLiteral("first renamed"));
    observed.setChild(second.get());
    first.setName(QStringLiteral("no longer watched"));
    second->setName(QStringLiteral("second renamed"));
    observed.setChild(nullptr);
    observed.setChild(second.get());
    second.reset(); // the intermediate object dies: the value is gone, the observation is not
    EXPECT_EQ(recorder.newValues(), QVariantList({QStringLiteral("first renamed"), QStringLiteral("second"),
                                                  QStringLiteral("second renamed"), QVariant(),
                                                  QStringLiteral("second renamed"), QVariant()}));
    EXPECT_TRUE(token->isValid());
}

TEST_F(KVOBlockTest, EndsWhenEitherSideIsDestroyedOrOnInvalidate)
{
    auto watcher = std::make_unique<QObject>();
    const auto byObserver = vokAddObserver(&observed, watcher.get(), QStringLiteral("name"), recorder.callback());
    watcher.reset();
    EXPECT_FALSE(byObserver->isValid());
    EXPECT_EQ(byObserver->observedObject(), nullptr);
    observed.setName(QStringLiteral("after observer died"));
    EXPECT_TRUE(recorder.changes.isEmpty());

    auto target = std::make_unique<TestNode>();
    const auto byObserved = vokAddObserver(target.get(), &observer, QStringLiteral("name"), recorder.callback());
    target.reset();
    EXPECT_FALSE(byObserved->isValid());

    const auto invalidated = vokAddObserver(&observed, &observer, QStringLiteral("name"), recorder.callback());
    invalidated->invalidate();
    invalidated->invalidate();
    observed.setName(QStringLiteral("after invalidate"));
    EXPECT_TRUE(recorder.changes.isEmpty());
}

TEST_F(KVOBlockTest, DestroyingTheTokenInsideItsCallbackIsSafe)
{
    VOKKVOBlockPtr token;
    int calls = 0;
    token = vokAddObserver(&observed, &observer, QStringLiteral("name"),
                           [&](QObject *, const VOKKVOChange &, VOKKVOBlock *) {
                               ++calls;
                               token.reset();
                           });
    observed.setName(QStringLiteral("x"));
    observed.setName(QStringLiteral("y"));
    EXPECT_EQ(calls, 1);
}

TEST_F(KVOBlockTest, DeliveryContextQueuesTheCallback)
{
    QObject context;
    const auto token = vokAddObserver(&observed, &observer, QStringLiteral("name"), {}, &context,
                                      recorder.callback());
    observed.setName(QStringLiteral("queued"));
    EXPECT_TRUE(recorder.changes.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([this] { return recorder.changes.size() == 1; }));
}

TEST_F(KVOBlockTest, ObservingMoreThanOwnScalarsOrPropertiesWithoutChangeSignalIsLogged)
{
    LogCapture log;
    const auto scalar = vokAddObserver(&observed, &observed, QStringLiteral("name"), recorder.callback());
    EXPECT_TRUE(log.lines().isEmpty());
    const auto path = vokAddObserver(&observed, &observed, QStringLiteral("child.name"), recorder.callback());
    EXPECT_EQ(log.linesContaining(QStringLiteral(": ASSERTION: VOKKVOBlock error: an object may only observe "
                                                 "scalars of itself! Object: TestNode("))
                  .size(),
              1);
    const auto silent = vokAddObserver(&observed, &observer, QStringLiteral("silent"), recorder.callback());
    EXPECT_EQ(log.linesContaining(QStringLiteral("WARNING: VOKKVOBlock: 'silent'")).size(), 1);
}

TEST_F(KVOBlockTest, PreferenceValuesAreObservableByKeyPath)
{
    QTemporaryDir folder;
    VOKPreferences preferences(folder.filePath(QStringLiteral("prefs.json")));
    const auto token = vokAddObserver(&preferences, &observer, QStringLiteral("values.VOKRecents"),
                                      VOKKVOOption::Initial, recorder.callback());
    preferences.setObject(QStringList{QStringLiteral("x")}, QStringLiteral("VOKRecents"));
    preferences.setObject(1, QStringLiteral("VOKFavorites"));
    preferences.removeObjectForKey(QStringLiteral("VOKRecents"));
    EXPECT_EQ(recorder.newValues(), QVariantList({QVariant(), QVariantList{QStringLiteral("x")}, QVariant()}));
}

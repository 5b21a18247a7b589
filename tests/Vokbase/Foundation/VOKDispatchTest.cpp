#include "VOKDispatch.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

TEST(VOKDispatch, RunsAtOnceOnTheMainThread)
{
    EXPECT_TRUE(vokIsMainThread());
    int runs = 0;
    vokOnMain([&runs] { ++runs; });
    vokOnMainSync([&runs] { ++runs; });
    EXPECT_EQ(runs, 2);
    QString received;
    vokRunBlockWithObject(std::function<void(QString)>([&received](const QString &value) { received = value; }),
                          QStringLiteral("x"));
    EXPECT_EQ(received, QStringLiteral("x"));
    vokRunBlockWithObject(std::function<void(QString)>(), QStringLiteral("ignored")); // empty: nothing
}

TEST(VOKDispatch, QueuesFromAnotherThreadInOrder)
{
    std::vector<int> order;
    std::atomic<bool> returnedBeforeRunning{true};
    std::atomic<bool> ranOnMain{true};
    std::unique_ptr<QThread> worker(QThread::create([&] {
        for (int index = 0; index < 1000; ++index) {
            vokOnMain([&, index] {
                ranOnMain = ranOnMain && vokIsMainThread();
                order.push_back(index);
            });
        }
        returnedBeforeRunning = order.empty(); // the main thread is blocked in wait() below
    }));
    worker->start();
    worker->wait();
    EXPECT_TRUE(returnedBeforeRunning);
    ASSERT_TRUE(QTest::qWaitFor([&order] { return order.size() == 1000; }));
    EXPECT_TRUE(ranOnMain);
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
}

TEST(VOKDispatch, SyncWaitsForTheWorkFromAnotherThread)
{
    std::atomic<bool> sawResult{false};
    int value = 0;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        vokOnMainSync([&value] { value = 42; });
        sawResult = value == 42;
    }));
    worker->start();
    ASSERT_TRUE(QTest::qWaitFor([&worker] { return worker->isFinished(); }));
    EXPECT_TRUE(sawResult);
}

TEST(VOKDispatch, WorkForAContextThatIsGoneIsDropped)
{
    auto context = std::make_unique<QObject>();
    bool ran = false;
    std::unique_ptr<QThread> worker(QThread::create([&] { vokOnMain(context.get(), [&ran] { ran = true; }); }));
    worker->start();
    worker->wait();
    context.reset();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(ran);
}

#include "VOKNotificationObserver.h"

#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct NotificationTest : ::testing::Test
{
    VOKNotificationObserver::Callback record()
    {
        return [this](QObject *observing, const VOKNotification &notification, VOKNotificationObserver *) {
            receivers.append(observing);
            received.append(notification.userInfo.value(QStringLiteral("n")).toInt());
        };
    }
    VOKNotificationCenter center;
    QObject observing;
    QObject sender;
    QList<QObject *> receivers;
    QList<int> received;
};

} // namespace

TEST_F(NotificationTest, FiltersByNameAndSender)
{
    VOKNotificationObserver fromSender(&observing, QStringLiteral("changed"), &sender, record(), nullptr, center);
    QObject other;
    center.post(QStringLiteral("changed"), &sender, {{QStringLiteral("n"), 1}});
    center.post(QStringLiteral("changed"), &other, {{QStringLiteral("n"), 2}});
    center.post(QStringLiteral("other"), &sender, {{QStringLiteral("n"), 3}});
    center.post(QStringLiteral("changed"), nullptr, {{QStringLiteral("n"), 4}});
    EXPECT_EQ(received, QList<int>({1}));
    EXPECT_EQ(receivers, QList<QObject *>({&observing}));

    VOKNotificationObserver fromAnyone(&observing, QStringLiteral("changed"), nullptr, record(), nullptr, center);
    center.post(QStringLiteral("changed"), &other, {{QStringLiteral("n"), 5}});
    EXPECT_EQ(received, QList<int>({1, 5}));
}

TEST_F(NotificationTest, StopsWhenEitherObjectDiesOrOnInvalidate)
{
    auto dying = std::make_unique<QObject>();
    VOKNotificationObserver token(dying.get(), QStringLiteral("n"), nullptr, record(), nullptr, center);
    dying.reset();
    EXPECT_FALSE(token.isValid());
    center.post(QStringLiteral("n"));

    // A sender that is gone matches nothing, not even posts without a sender.
    auto gone = std::make_unique<QObject>();
    VOKNotificationObserver fromGone(&observing, QStringLiteral("n"), gone.get(), record(), nullptr, center);
    gone.reset();
    center.post(QStringLiteral("n"));

    VOKNotificationObserver invalidated(&observing, QStringLiteral("n"), nullptr, record(), nullptr, center);
    invalidated.invalidate();
    center.post(QStringLiteral("n"));
    {
        VOKNotificationObserver destroyed(&observing, QStringLiteral("n"), nullptr, record(), nullptr, center);
    }
    center.post(QStringLiteral("n"));
    EXPECT_TRUE(received.isEmpty());
}

TEST_F(NotificationTest, DeliveryContextBringsPostsFromAnotherThreadToItsThread)
{
    bool onMain = false;
    VOKNotificationObserver token(
        &observing, QStringLiteral("n"), nullptr,
        [&onMain](QObject *, const VOKNotification &, VOKNotificationObserver *) {
            onMain = QThread::currentThread() == qApp->thread();
        },
        &observing, center);
    std::unique_ptr<QThread> poster(QThread::create([this] { center.post(QStringLiteral("n")); }));
    poster->start();
    poster->wait();
    ASSERT_TRUE(QTest::qWaitFor([&onMain] { return onMain; }));
}

TEST_F(NotificationTest, SelectorVariantAndDefaultCentre)
{
    struct Listener : QObject
    {
        void heard(const VOKNotification &notification) { names.append(notification.name); }
        QStringList names;
    } listener;
    const auto token = vokObserveNotificationNamed(&listener, QStringLiteral("VOKTestPing"), nullptr, &Listener::heard);
    VOKNotificationCenter::defaultCenter().post(QStringLiteral("VOKTestPing"));
    EXPECT_EQ(listener.names, QStringList({QStringLiteral("VOKTestPing")}));
}

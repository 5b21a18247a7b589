#include "LogCapture.h"
#include "VDLSingleInstance.h"

#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct VDLSingleInstanceTest : ::testing::Test
{
    QTemporaryDir runtime;
    QString socketPath() const { return runtime.filePath(QStringLiteral("vindle.socket")); }

    static QList<QStringList> received(const QSignalSpy &spy)
    {
        QList<QStringList> lists;
        for (const QList<QVariant> &arguments : spy)
            lists.append(arguments.first().toStringList());
        return lists;
    }
};

} // namespace

TEST_F(VDLSingleInstanceTest, URLsReachTheRunningInstanceInOrder)
{
    VDLSingleInstance second(socketPath());
    EXPECT_FALSE(second.handOver({QStringLiteral("mqtt://h")})) << "nobody is listening yet";

    // A socket file left by an instance that died does not stop the next one.
    QFile stale(socketPath());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    VDLSingleInstance running(socketPath());
    ASSERT_TRUE(running.listen());
    QSignalSpy spy(&running, &VDLSingleInstance::urlsReceived);

    const QStringList urls = {QStringLiteral("mqtt://h/a b"), QStringLiteral("mqtts://h:8883/käse?value=1")};
    EXPECT_TRUE(second.handOver(urls));
    ASSERT_TRUE(QTest::qWaitFor([&] { return spy.count() == 1; }, 5000));
    EXPECT_TRUE(second.handOver({}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return spy.count() == 2; }, 5000));
    EXPECT_EQ(received(spy), QList<QStringList>({urls, QStringList()}));
}

TEST_F(VDLSingleInstanceTest, OversizedHandOversAreDropped)
{
    LogCapture log;
    VDLSingleInstance running(socketPath());
    ASSERT_TRUE(running.listen());
    QSignalSpy spy(&running, &VDLSingleInstance::urlsReceived);

    QLocalSocket flood;
    flood.connectToServer(socketPath());
    ASSERT_TRUE(flood.waitForConnected(2000));
    flood.write(QByteArray(VDLSingleInstance::MaxMessageBytes + 4096, 'x'));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        flood.waitForBytesWritten(10);
        return !log.linesContaining(QStringLiteral("Ignored a hand-over")).isEmpty();
    }, 5000));
    // A hand-over sent after the dropped one arrives after it would have.
    const QStringList marker = {QStringLiteral("mqtt://after")};
    EXPECT_TRUE(VDLSingleInstance(socketPath()).handOver(marker));
    ASSERT_TRUE(QTest::qWaitFor([&] { return spy.count() > 0; }, 5000));
    EXPECT_EQ(received(spy), QList<QStringList>({marker}));
}

TEST_F(VDLSingleInstanceTest, ASecondLaunchHandsItsURLOverAndExits)
{
    VDLSingleInstance running(socketPath());
    ASSERT_TRUE(running.listen());
    QSignalSpy spy(&running, &VDLSingleInstance::urlsReceived);

    QProcess launch;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    launch.setProcessEnvironment(environment);
    launch.start(QStringLiteral(VINDLE_BINARY), {QStringLiteral("mqtt://192.0.2.10/home/lamp")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return launch.state() == QProcess::NotRunning; }, 20000))
        << "the second launch kept running";
    EXPECT_EQ(launch.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(launch.exitCode(), 0) << launch.readAllStandardError().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return spy.count() == 1; }, 5000));
    EXPECT_EQ(received(spy).first(), QStringList({QStringLiteral("mqtt://192.0.2.10/home/lamp")}));
}

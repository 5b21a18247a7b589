#include "MosquittoBroker.h"
#include "TestCertificates.h"
#include "TestHosts.h"
#include "VOKMosquittoClient.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct DumpResult
{
    int exitCode = -1;
    QString output;
    QString errors;
};

// Runs like a server's cron job: no display, and a platform plugin that does not exist, which
// would end the program at once if it tried to load one.
DumpResult dump(const QStringList &arguments, QProcessEnvironment environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VINDLE_BINARY), QStringList{QStringLiteral("--dump")} + arguments);
    process.waitForFinished(30000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// Publishes the messages retained, from one client, and returns once the broker stores them all.
void retain(const MosquittoBroker &broker, const QList<std::pair<const char *, const char *>> &messages)
{
    VOKMosquittoClient publisher(QStringLiteral("127.0.0.1"), broker.port());
    for (const auto &[topic, payload] : messages)
        publisher.publishTopic(QString::fromUtf8(topic), QByteArray(payload), true);
    publisher.connectToBroker();
    ASSERT_TRUE(QTest::qWaitFor([&] { return publisher.isConnected() && publisher.publishQueue().isEmpty(); }, 10000));
    // The broker stores one client's messages in order: once the last is there, all are.
    ASSERT_EQ(broker.firstMessage(QString::fromUtf8(messages.last().first)), QByteArray(messages.last().second));
}

} // namespace

TEST(VDLTreeDump, PrintsRetainedTopicsOneLineEach)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    retain(broker, {{"s/light10", "on"}, {"s/light2", "two\tlines\n\\"}, {"s/t", "{\"a\":1}"}, {"other", "21.5"}});

    const QString url = QStringLiteral("mqtt://127.0.0.1:%1/").arg(broker.port());
    const DumpResult all = dump({QStringLiteral("--quiet-ms"), QStringLiteral("300"), url});
    EXPECT_EQ(all.exitCode, 0) << qPrintable(all.errors);
    EXPECT_EQ(all.output, QStringLiteral("other\t3\t1\t1\t# 21.5\n"
                                         "s/light2\t2\t1\t1\t$ two\\tlines\\n\\\\\n"
                                         "s/light10\t2\t1\t1\t$ on\n"
                                         "s/t\t4\t1\t1\t{7}\n"));
    const DumpResult below = dump({QStringLiteral("--quiet-ms"), QStringLiteral("300"), url + QStringLiteral("s/t")});
    EXPECT_EQ(below.output, QStringLiteral("s/t\t4\t1\t1\t{7}\n"));
}

TEST(VDLTreeDump, FailuresExitNonZeroWithOneLine)
{
    MosquittoBroker secured(QStringLiteral("user"), QStringLiteral("secret"));
    ASSERT_TRUE(secured.start()) << qPrintable(secured.errorString());
    const DumpResult refused = dump({QStringLiteral("mqtt://127.0.0.1:%1").arg(secured.port())});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(refused.errors.contains(QStringLiteral("vindle: authentication failed"))) << qPrintable(refused.errors);

    const int unusedPort = secured.port();
    secured.stop();
    const DumpResult nobody = dump({QStringLiteral("--timeout"), QStringLiteral("1"),
                                    QStringLiteral("mqtt://127.0.0.1:%1").arg(unusedPort)});
    EXPECT_NE(nobody.exitCode, 0);
    EXPECT_TRUE(nobody.errors.contains(QStringLiteral("vindle: no connection to 127.0.0.1:%1 within 1 s").arg(unusedPort)));

    // A host that cannot be resolved ends the dump at once, long before its time is up.
    const QString host = unresolvableHost();
    const DumpResult unknown = dump({QStringLiteral("--timeout"), QStringLiteral("120"), QStringLiteral("mqtt://%1").arg(host)});
    EXPECT_NE(unknown.exitCode, 0);
    EXPECT_TRUE(unknown.errors.contains(QStringLiteral("\nvindle: Unknown host: %1:1883\n").arg(host))) << qPrintable(unknown.errors);

    EXPECT_NE(dump({QStringLiteral("http://x")}).exitCode, 0);
    EXPECT_NE(dump({}).exitCode, 0);
}

TEST(VDLTreeDump, TLSServersAreVerifiedAgainstTheSystemsCAs)
{
    TestCertificates certificates;
    ASSERT_TRUE(certificates.create()) << qPrintable(certificates.errorString());
    MosquittoBroker broker;
    broker.setTls({certificates.server().certificate, certificates.server().key, QString(), false});
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    const QStringList arguments{QStringLiteral("--quiet-ms"), QStringLiteral("300"),
                                QStringLiteral("mqtts://localhost:%1").arg(broker.port())};

    const DumpResult untrusted = dump(arguments);
    EXPECT_NE(untrusted.exitCode, 0);
    EXPECT_TRUE(untrusted.errors.contains(
        QStringLiteral("vindle: localhost:%1: The server's certificate was signed by an unknown Certificate Authority (CA).\n")
            .arg(broker.port())))
        << qPrintable(untrusted.errors);

    QProcessEnvironment trusting = QProcessEnvironment::systemEnvironment();
    trusting.insert(QStringLiteral("SSL_CERT_FILE"), certificates.testCa().certificate);
    const DumpResult trusted = dump(arguments, trusting);
    EXPECT_EQ(trusted.exitCode, 0) << qPrintable(trusted.errors);
}

TEST(VDLTreeDump, DeviceNodesShowTheirSummaries)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << qPrintable(broker.errorString());
    retain(broker, {
        {"tele/plug1/LWT", "Online"},
        {"tele/plug1/STATE", R"({"Time":"2026-12-06T20:00:00","POWER":"ON","Wifi":{"RSSI":70}})"},
        {"tele/plug1/SENSOR", R"({"ENERGY":{"Power":42,"Today":0.31}})"},
        {"zigbee2mqtt/kitchen_sensor", R"({"temperature":21.5,"humidity":40,"linkquality":120})"},
        {"zigbee2mqtt/kitchen_sensor/availability", R"({"state":"online"})"},
        {"homeassistant/sensor/kitchen_t/config",
         R"({"name":"Temperature","device":{"name":"Thermo","suggested_area":"Kitchen"}})"},
    });

    const DumpResult all = dump({QStringLiteral("--quiet-ms"), QStringLiteral("300"),
                                 QStringLiteral("mqtt://127.0.0.1:%1/").arg(broker.port())});
    EXPECT_EQ(all.exitCode, 0) << qPrintable(all.errors);
    const QStringList lines = all.output.split(QLatin1Char('\n'));
    EXPECT_TRUE(lines.contains(QStringLiteral("tele/plug1\t0\t0\t0\tON 42 W"))) << qPrintable(all.output);
    EXPECT_TRUE(lines.contains(QStringLiteral("zigbee2mqtt/kitchen_sensor\t4\t1\t1\t21.5 °C 40 %"))) << qPrintable(all.output);
    EXPECT_TRUE(lines.contains(QStringLiteral("homeassistant/sensor/kitchen_t\t0\t0\t0\t[Kitchen] Thermo - Temperature")))
        << qPrintable(all.output);
}

// bench_classify: what deciding a payload's class costs on the network thread, for payloads
// shaped like a home-automation broker's, with the strict reader and, in the same run, with
// the way it was done before (Qt's JSON reader building a document for every candidate).
//
// Usage: bench_classify [seconds per case]   (default 0.5)

#include "VDLPayloadAnalysis.h"
#include "VOKData.h"
#include "VOKJSONNumber.h"
#include "VOKString.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QRandomGenerator>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Classification as it was before the strict reader: Qt's reader for anything that may be a
// document, a top-level string read inside an array.
VDLPayloadType qtClassification(const QByteArray &payload)
{
    const QByteArray trimmed = payload.trimmed();
    if (trimmed == "true" || trimmed == "false")
        return trimmed.size() == payload.size() ? VDLPayloadType::Boolean : VDLPayloadType::Number;
    if (VOKJSONNumber::isValid(trimmed))
        return VDLPayloadType::Number;
    if (trimmed == "null")
        return VDLPayloadType::JSON;
    if (!trimmed.isEmpty() && (trimmed[0] == '{' || trimmed[0] == '[' || trimmed[0] == '"')) {
        QJsonParseError error;
        QJsonDocument::fromJson(trimmed[0] == '"' ? '[' + payload + ']' : payload, &error);
        if (error.error == QJsonParseError::NoError)
            return VDLPayloadType::JSON;
    }
    const QString text = vokUTF8String(payload);
    return !text.isNull() && vokMayBeString(text) ? VDLPayloadType::Text : VDLPayloadType::RawData;
}

QByteArray tasmotaSensor()
{
    QByteArray json = R"({"Time":"2026-12-07T14:24:36","ENERGY":{"TotalStartTime":"2026-01-01T00:00:00","Total":187.035,)"
                      R"("Yesterday":2.118,"Today":0.0,"Power":2298,"ApparentPower":2310,"ReactivePower":215,"Factor":0.99,)"
                      R"("Voltage":229,"Current":9.9},"ANALOG":{"Temperature":31.2},"Sensors":[)";
    for (int index = 0; json.size() < 2000; ++index)
        json += R"({"Id":"0000)" + QByteArray::number(index) + R"(","Temperature":)" + QByteArray::number(20 + index % 7)
            + R"(.5,"Humidity":48.2,"DewPoint":9.7,"Name":"DS18B20-)" + QByteArray::number(index) + R"("},)";
    json.chop(1);
    return json + "],\"TempUnit\":\"C\"}";
}

QByteArray largeDocument()
{
    QByteArray json = "[";
    for (int index = 0; json.size() < 64 * 1024; ++index)
        json += R"({"id":)" + QByteArray::number(index) + R"(,"name":"sensor )" + QByteArray::number(index)
            + R"(","on":true,"level":0.)" + QByteArray::number(index % 97) + R"(,"tags":["a","b"]},)";
    json.chop(1);
    return json + "]";
}

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator random(7);
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

struct Case
{
    const char *name;
    std::vector<QByteArray> payloads;
};

struct Figures
{
    double messagesPerSecond;
    double nanosecondsPerByte;
};

Figures measure(const Case &test, double seconds, const std::function<VDLPayloadType(const QByteArray &)> &classify)
{
    qsizetype bytesPerRound = 0;
    for (const QByteArray &payload : test.payloads)
        bytesPerRound += payload.size();
    qint64 rounds = 0;
    int sink = 0;
    QElapsedTimer timer;
    timer.start();
    while (timer.nsecsElapsed() < qint64(seconds * 1e9)) {
        for (const QByteArray &payload : test.payloads)
            sink += int(classify(payload));
        ++rounds;
    }
    const double elapsed = double(timer.nsecsElapsed());
    if (sink == -1)
        std::puts("");
    const double messages = double(rounds) * double(test.payloads.size());
    return {messages / (elapsed / 1e9), elapsed / (double(rounds) * double(bytesPerRound))};
}

} // namespace

int main(int argc, char **argv)
{
    const double seconds = argc > 1 ? std::max(0.05, std::atof(argv[1])) : 0.5;
    const QByteArray zigbee = R"({"battery":97,"humidity":42.5,"linkquality":120,"temperature":21.3,"voltage":3000})";
    const std::vector<Case> cases{
        {"small numbers", {"21.5", "1", "-3", "1013.25", "0"}},
        {"100-byte JSON", {zigbee}},
        {"2 KB JSON", {tasmotaSensor()}},
        {"64 KB JSON", {largeDocument()}},
        {"text", {"ON", "online", "2026-12-07 14:24:36 INFO sensor kitchen reported a temperature of 21.3 C and 42 % humidity"}},
        {"binary 256 B", {randomBytes(256)}},
    };
    Case mix{"mix", {}};
    for (const Case &test : cases)
        mix.payloads.insert(mix.payloads.end(), test.payloads.begin(), test.payloads.end());

    const auto strict = [](const QByteArray &payload) { return VDLPayloadAnalysis(payload, QString()).type(); };
    std::printf("%-14s %14s %12s %14s %12s %8s\n", "payloads", "Qt msgs/s", "Qt ns/B", "strict msgs/s", "strict ns/B", "speed-up");
    for (const Case &test : cases) {
        const Figures before = measure(test, seconds, qtClassification);
        const Figures after = measure(test, seconds, strict);
        std::printf("%-14s %14.0f %12.2f %14.0f %12.2f %7.1fx\n", test.name, before.messagesPerSecond, before.nanosecondsPerByte,
                    after.messagesPerSecond, after.nanosecondsPerByte, after.messagesPerSecond / before.messagesPerSecond);
    }
    const Figures before = measure(mix, seconds, qtClassification);
    const Figures after = measure(mix, seconds, strict);
    std::printf("%-14s %14.0f %12.2f %14.0f %12.2f %7.1fx\n", mix.name, before.messagesPerSecond, before.nanosecondsPerByte,
                after.messagesPerSecond, after.nanosecondsPerByte, after.messagesPerSecond / before.messagesPerSecond);
    return 0;
}

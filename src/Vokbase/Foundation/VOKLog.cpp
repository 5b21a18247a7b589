#include "VOKLog.h"

#include "VOKAlertSound.h"

#include <QMutex>
#include <QMutexLocker>

#include <cstdio>
#include <syslog.h>

namespace {

QMutex sinkMutex;
VOKLog::Sink currentSink;

void writeToSystem(const QString &line)
{
    const QByteArray bytes = line.toUtf8();
    // The system log's "default level" is LOG_NOTICE; the level word lives in the line itself.
    syslog(LOG_USER | LOG_NOTICE, "%s", bytes.constData());
    std::fprintf(stderr, "%s\n", bytes.constData());
}

} // namespace

namespace VOKLog {

QString levelWord(Level level)
{
    switch (level) {
    case Level::Error:
        return QStringLiteral("ERROR");
    case Level::Warning:
        return QStringLiteral("WARNING");
    case Level::Assertion:
        return QStringLiteral("ASSERTION");
    }
    return QStringLiteral("ERROR");
}

QString formatLine(const char *file, int line, Level level, const QString &message)
{
    return QStringLiteral("%1:%2: %3: %4")
        .arg(QString::fromUtf8(file), QString::number(line), levelWord(level), message);
}

void write(const char *file, int line, Level level, const QString &message)
{
    const QString text = formatLine(file, line, level, message);
    {
        QMutexLocker lock(&sinkMutex);
        if (currentSink)
            currentSink(text);
        else
            writeToSystem(text);
    }
    if (message.startsWith(QStringLiteral("Beep: ")))
        VOKAlertSound::play();
}

QString excerpt(QByteArrayView bytes)
{
    if (bytes.size() <= ExcerptBytes)
        return QString::fromUtf8(bytes);
    qsizetype cut = ExcerptBytes;
    // Never end inside a UTF-8 sequence: continuation bytes are 10xxxxxx.
    while (cut > 0 && (quint8(bytes[cut]) & 0xC0) == 0x80)
        --cut;
    return QStringLiteral("%1… (%2 bytes)").arg(QString::fromUtf8(bytes.first(cut))).arg(bytes.size());
}

Sink setSink(Sink sink)
{
    QMutexLocker lock(&sinkMutex);
    std::swap(currentSink, sink);
    return sink;
}

} // namespace VOKLog

#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

// One diagnostic line: "file:line: LEVEL: message".
//
// Every diagnostic of the program goes through VOK_ERROR, VOK_WARNING or VOK_ASSERTION. A line
// goes to the system log (syslog, which reaches the journal) and to stderr; a message that
// begins "Beep: " also sounds the alert (VOKAlertSound). An ASSERTION marks a broken internal
// expectation: the caller logs it and goes on.
//
// Thread safety: every function here may be called from any thread.
namespace VOKLog {

enum class Level { Error, Warning, Assertion };

// The level word of a line: "ERROR", "WARNING" or "ASSERTION".
QString levelWord(Level level);

// Builds the line without writing it.
QString formatLine(const char *file, int line, Level level, const QString &message);

// Writes one line (and beeps for "Beep: " messages). Prefer the macros, which fill file and line.
void write(const char *file, int line, Level level, const QString &message);

// How much of a payload or other outside data a line may quote.
constexpr qsizetype ExcerptBytes = 200;

// The first ExcerptBytes bytes of the data as text (invalid UTF-8 as U+FFFD), with the whole
// size added when there was more: what a line may say of data it did not make.
QString excerpt(QByteArrayView bytes);

// Receives every finished line instead of syslog and stderr. Tests install one to read what
// was logged. The sink is called on the logging thread; it must be thread-safe.
using Sink = std::function<void(const QString &line)>;

// Installs a sink (an empty one restores syslog and stderr) and answers the previous one.
Sink setSink(Sink sink);

} // namespace VOKLog

#define VOK_ERROR(message) ::VOKLog::write(__FILE__, __LINE__, ::VOKLog::Level::Error, (message))
#define VOK_WARNING(message) ::VOKLog::write(__FILE__, __LINE__, ::VOKLog::Level::Warning, (message))
#define VOK_ASSERTION(message) \
    ::VOKLog::write(__FILE__, __LINE__, ::VOKLog::Level::Assertion, (message))

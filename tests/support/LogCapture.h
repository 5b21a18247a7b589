#pragma once

#include "VOKAlertSound.h"
#include "VOKLog.h"

#include <QMutex>
#include <QStringList>

// Captures every log line and counts beeps while it lives, instead of letting them reach the
// system log, stderr and the speaker. Thread-safe: lines may come from any thread.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const;
    int beeps() const;
    // Lines that contain the text.
    QStringList linesContaining(const QString &text) const;
    void clear();

private:
    mutable QMutex m_mutex;
    QStringList m_lines;
    int m_beeps = 0;
    VOKLog::Sink m_previousSink;
    VOKAlertSound::Player m_previousPlayer;
};

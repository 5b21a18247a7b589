#include "LogCapture.h"

#include <QMutexLocker>

LogCapture::LogCapture()
{
    m_previousSink = VOKLog::setSink([this](const QString &line) {
        QMutexLocker lock(&m_mutex);
        m_lines.append(line);
    });
    m_previousPlayer = VOKAlertSound::setPlayer([this] {
        QMutexLocker lock(&m_mutex);
        ++m_beeps;
    });
}

LogCapture::~LogCapture()
{
    VOKLog::setSink(m_previousSink);
    VOKAlertSound::setPlayer(m_previousPlayer);
}

QStringList LogCapture::lines() const
{
    QMutexLocker lock(&m_mutex);
    return m_lines;
}

int LogCapture::beeps() const
{
    QMutexLocker lock(&m_mutex);
    return m_beeps;
}

QStringList LogCapture::linesContaining(const QString &text) const
{
    return lines().filter(text);
}

void LogCapture::clear()
{
    QMutexLocker lock(&m_mutex);
    m_lines.clear();
    m_beeps = 0;
}

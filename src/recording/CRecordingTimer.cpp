#include "CRecordingTimer.h"

#include <QElapsedTimer>

namespace {
constexpr qint64 kBlinkPeriodMs = 1000;
}

CRecordingTimer::CRecordingTimer(Clock clock) : m_clock(std::move(clock)) {
    if (!m_clock) {
        m_clock = [] {
            static QElapsedTimer since = [] {
                QElapsedTimer timer;
                timer.start();
                return timer;
            }();
            return since.elapsed();
        };
    }
}

void CRecordingTimer::Start() {
    m_running = true;
    m_paused = false;
    m_startMs = m_clock();
    m_pausedTotalMs = 0;
}

void CRecordingTimer::Pause() {
    if (!m_running || m_paused)
        return;
    m_paused = true;
    m_pausedSinceMs = m_clock();
}

void CRecordingTimer::Resume() {
    if (!m_running || !m_paused)
        return;
    m_paused = false;
    m_pausedTotalMs += m_clock() - m_pausedSinceMs;
}

void CRecordingTimer::Stop() {
    m_running = false;
    m_paused = false;
}

qint64 CRecordingTimer::RecordedMs() const {
    if (!m_running)
        return 0;
    const qint64 now = m_paused ? m_pausedSinceMs : m_clock();
    return std::max<qint64>(0, now - m_startMs - m_pausedTotalMs);
}

QString CRecordingTimer::FormatHms(qint64 ms) {
    const qint64 seconds = std::max<qint64>(0, ms) / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString CRecordingTimer::Text() const {
    return FormatHms(RecordedMs());
}

bool CRecordingTimer::DotLit() const {
    if (!m_running)
        return false;
    if (m_paused)
        return true;
    return (m_clock() - m_startMs) % kBlinkPeriodMs < kBlinkPeriodMs / 2;
}

QString CRecordingTimer::TrayTip() const {
    if (!m_running)
        return QStringLiteral("Ravlin");
    return (m_paused ? QStringLiteral("Ravlin - paused %1")
                     : QStringLiteral("Ravlin - recording %1"))
        .arg(Text());
}

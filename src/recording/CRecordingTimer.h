#pragma once
// The recorded time of the recording in progress: the time it has been running, pauses left
// out, as the toolbar and the tray tip show it, and the phase of the toolbar's recording dot.
// The clock is injectable so tests can step it.
#include <QString>
#include <QtGlobal>
#include <functional>

class CRecordingTimer {
public:
    // Milliseconds on a monotonic clock.
    using Clock = std::function<qint64()>;

    explicit CRecordingTimer(Clock clock = {});

    void Start();
    void Pause();
    void Resume();
    void Stop();
    bool IsRunning() const { return m_running; }
    bool IsPaused() const { return m_paused; }

    qint64 RecordedMs() const;
    // "hh:mm:ss" of the recorded time; hours go past 99 rather than wrap.
    QString Text() const;
    // The dot blinks once a second while recording (lit for the first half of each second
    // since the start) and stays lit while paused; it is out when idle.
    bool DotLit() const;
    // "Ravlin" when idle, else "Ravlin - recording 00:01:23" or "Ravlin - paused 00:01:23".
    QString TrayTip() const;

    static QString FormatHms(qint64 ms);

private:
    Clock m_clock;
    bool m_running = false;
    bool m_paused = false;
    qint64 m_startMs = 0;
    qint64 m_pausedSinceMs = 0;
    qint64 m_pausedTotalMs = 0;
};

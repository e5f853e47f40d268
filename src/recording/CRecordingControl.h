#pragma once
// Recording control: the Record, Pause, Record Mouse and quality commands, the Save As dialog,
// the screen source and the pipeline of the recording in progress. The overlay owns it, keeps
// the flags the tray menu reads, and delegates the commands here.
#include "CRecordingPipeline.h"
#include "CRecordingTimer.h"
#include "CScreen.h"

#include <QObject>
#include <QRect>
#include <QTimer>
#include <functional>
#include <memory>

class IDialogs;
class IScreenGrabber;
class QWidget;

class CRecordingControl : public QObject {
    Q_OBJECT
public:
    // The overlay's recording flags, which stay the overlay's members (the tray menu and the
    // toolbar read them there).
    struct Flags {
        int& recordPointer;
        int& qualityPreset;
        int& recording;
        int& paused;
        int& hasSoundDevice;
    };
    // What the control needs from the overlay.
    struct Host {
        // The window that owns the Save As dialog, and the one that owns the warning.
        std::function<QWidget*()> dialogOwner;
        std::function<QWidget*()> warningOwner;
        // The capture: the whole current display and the clip region's rectangle on the
        // screen (empty: no region), both in device pixels.
        std::function<QRect()> monitorRect;
        std::function<QRect()> clipRect;
        // After a recording stops: back to pointer mode.
        std::function<void()> enterPointerMode;
        // The toolbar's record and pause groups.
        std::function<void(bool recording)> setRecordState;
        std::function<void(bool recording, bool paused)> setPauseState;
        // The recorded time beside the stop button and the recording dot; `shown` is false
        // when no recording runs.
        std::function<void(const QString& time, bool dotLit, bool shown)> showRecordingTime;
    };
    using SoundSourceFactory = CRecordingPipeline::SoundSourceFactory;

    CRecordingControl(IDialogs& dialogs, IScreenGrabber& grabber, Flags flags, Host host,
                      SoundSourceFactory soundSource = {});
    ~CRecordingControl() override;

    // The screen source and the profile for the current preset and capture; opens no device and
    // creates no recording file.
    void BuildRecordingGraph();
    void ReleaseRecordingGraph();
    bool HasRecordingGraph() const { return m_screen != nullptr; }

    void OnCmdRecord();
    // While recording: pause or resume. Returns false when not recording (the overlay then
    // begins the clip selection).
    bool OnCmdPauseWhileRecording();
    void OnCmdRecordMouse();
    void OnCmdQuality(int preset);

    // Stops a recording in progress and finishes its file (Exit, signals, a lost display).
    // Touches no window.
    void FinishRecording();

    // The Save As dialog is open: the recording flag is raised but nothing runs yet.
    bool IsAskingForFile() const { return m_askingForFile; }
    bool IsRunning() const { return m_pipeline && m_pipeline->IsRunning(); }
    CScreen* Screen() { return m_screen.get(); }
    QString ProfilePath() const;

    static QString InUseWarning(const QString& path);

    // The recorded time of the recording in progress, pauses left out.
    const CRecordingTimer& Timer() const { return m_timer; }
    // Replaces the clock the recorded time is measured with (tests step their own).
    void SetClock(CRecordingTimer::Clock clock) { m_timer = CRecordingTimer(std::move(clock)); }
    // Passes the recorded time and the dot's phase on when they have changed; runs several
    // times a second while recording.
    void RefreshRecordingTime();

signals:
    // The tray's tip: "Ravlin" when idle, else the state and the recorded time.
    void TrayTipChanged(const QString& tip);

private:
    void StartRecording();
    void StopRecording();
    void PollPipeline();
    void ApplyCapture();
    void EndTimer();

    IDialogs& m_dialogs;
    IScreenGrabber& m_grabber;
    Flags m_flags;
    Host m_host;
    SoundSourceFactory m_soundSource;
    std::unique_ptr<CScreen> m_screen;
    std::unique_ptr<CRecordingPipeline> m_pipeline;
    QTimer m_poll;
    CRecordingTimer m_timer;
    QTimer m_tick;
    QString m_shownTime;
    bool m_shownDot = false;
    bool m_shownRunning = false;
    QString m_shownTip = QStringLiteral("Ravlin");
    bool m_askingForFile = false;
};

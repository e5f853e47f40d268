#pragma once
// Recording control: the Record, Pause, Record Mouse and quality commands, the Save As dialog,
// the screen source and the pipeline of the recording in progress. The overlay owns it, keeps
// the flags the tray menu reads, and delegates the commands here.
#include "CRecordingPipeline.h"
#include "CRecordingTimer.h"
#include "CScreen.h"

#include <QList>
#include <QObject>
#include <QRect>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

class CDiskSpaceWatch;
class CRecordingFinisher;
class IDialogs;
class IScreenGrabber;
class QScreen;
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
        // when no recording runs. While a file is being finished it shows that instead.
        std::function<void(const QString& time, bool dotLit, bool shown)> showRecordingTime;
        // The monitors as they are now, in the device pixels of the capture; left empty, the
        // application's screens (tests give their own).
        std::function<QList<QRect>()> screenRects;
    };
    using SoundSourceFactory = CRecordingPipeline::SoundSourceFactory;

    CRecordingControl(IDialogs& dialogs, IScreenGrabber& grabber, Flags flags, Host host,
                      SoundSourceFactory soundSource = {});
    ~CRecordingControl() override;

    // The screen source and the profile for the current preset and capture; opens no device,
    // creates no recording file and leaves GStreamer alone: a recording starts it and looks for
    // the microphone itself (the sound-device flag follows then), so that neither costs the
    // program's start.
    void BuildRecordingGraph();
    void ReleaseRecordingGraph();
    bool HasRecordingGraph() const { return m_screen != nullptr; }

    void OnCmdRecord();
    // While recording: pause or resume. Returns false when not recording (the overlay then
    // begins the clip selection).
    bool OnCmdPauseWhileRecording();
    void OnCmdRecordMouse();
    void OnCmdQuality(int preset);

    // Stops a recording in progress and waits, at most `wait`, until its file is finished
    // (Exit, signals, a lost display). With `keepEventsFlowing` the program's events are
    // handled meanwhile (the toolbar shows the file being finished); without, it touches no
    // window. Returns what the user must be told: empty when all went well, else why the
    // file may be incomplete (also written to the log and to standard error).
    QString FinishRecording(bool keepEventsFlowing = false,
                            std::chrono::milliseconds wait = kExitWait);
    static constexpr std::chrono::milliseconds kExitWait{15000};

    // The Save As dialog is open: the recording flag is raised but nothing runs yet.
    bool IsAskingForFile() const { return m_askingForFile; }
    // The desktop is being asked to share the screen (a Wayland session).
    bool IsAskingDesktop() const { return m_askingDesktop; }
    bool IsRunning() const { return m_pipeline && m_pipeline->IsRunning(); }
    // A stopped recording's file is being finished; Record waits until it is.
    bool IsFinishing() const { return m_finisher != nullptr; }
    // Waits (handling events) at most `wait` until the file being finished is done, and tells
    // what there is to tell about it; true when nothing is being finished any more.
    bool WaitForFinish(std::chrono::milliseconds wait);
    CScreen* Screen() { return m_screen.get(); }
    QString ProfilePath() const;

    static QString InUseWarning(const QString& path);
    // The warning for a recording that could not start: the "in use" text where the file
    // could not be made, a line saying the recording could not be made otherwise, and the
    // cause below.
    static QString StartFailureText(const QString& path, CRecordingPipeline::Failure failure,
                                    const QString& cause);

    // Stops the recording when what it records is no longer on any monitor; runs by itself
    // when monitors come, go or change.
    void CheckCaptureOnScreens();
    // The application's screens in device pixels: each keeps its origin and scales its size.
    static QList<QRect> DeviceScreenRects();
    // How long a stop waits for the writer to finish the file (tests shorten it).
    void SetFinishTimeout(std::chrono::milliseconds timeout) { m_finishTimeout = timeout; }

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
    // Stops the recording with a reason the user is told once its file is finished (as a
    // notice, or as a warning for a fault).
    void StopByItself(const QString& reason, bool asNotice);
    // Hands the pipeline to a finisher, so the file is finished off this thread.
    void BeginFinish(const QString& reason, bool asNotice);
    void CheckFinish();
    void EndFinish();
    bool CaptureOnScreens(const QRect& capture) const;
    void FollowScreen(QScreen* screen);

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
    bool m_askingDesktop = false;
    bool m_showAskingDesktop = false; // the toolbar and the tray say so
    // The recording in progress (or the one being finished), its disk, and what stopped it.
    QString m_path;
    std::unique_ptr<CDiskSpaceWatch> m_disk;
    std::unique_ptr<CRecordingFinisher> m_finisher;
    QTimer m_finishCheck;
    QString m_stopReason;
    bool m_stopReasonIsNotice = false;
    std::chrono::milliseconds m_finishTimeout{0};
    QTimer m_screensChanged;
};

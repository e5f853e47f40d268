#include "CRecordingControl.h"

#include "CDiskSpaceWatch.h"
#include "CRecordingEncoders.h"
#include "CRecordingFinisher.h"
#include "CRecordingProfiles.h"
#include "CSoundDevices.h"
#include "IDialogs.h"
#include "Trace.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegion>
#include <QScreen>
#include <QThread>
#include <cstdio>

namespace {
constexpr int kPollPeriodMs = 200;
// Often enough for the dot's half-second phases and the seconds of the time to look even.
constexpr int kTimeTickMs = 100;
// How long the desktop may take to share the screen before the toolbar says that it waits.
constexpr int kShowWaitingAfterMs = 150;
// How soon the end of finishing a file shows.
constexpr int kFinishCheckMs = 50;

// What the toolbar shows beside the record button while the file is being finished.
QString SavingText() {
    return QStringLiteral("Saving\u2026");
}

// What the toolbar shows there while the desktop is asked to share the screen.
QString StartingText() {
    return QStringLiteral("Starting\u2026");
}

// A sentence as a clause inside parentheses.
QString Clause(QString sentence) {
    if (sentence.endsWith(QLatin1Char('.')))
        sentence.chop(1);
    return sentence;
}
} // namespace

CRecordingControl::CRecordingControl(IDialogs& dialogs, IScreenGrabber& grabber, Flags flags,
                                     Host host, SoundSourceFactory soundSource)
    : m_dialogs(dialogs), m_grabber(grabber), m_flags(flags), m_host(std::move(host)),
      m_soundSource(std::move(soundSource)) {
    if (!m_soundSource)
        m_soundSource = [] { return CSoundDevices::FindAudioCaptureDevice(); };
    m_poll.setInterval(kPollPeriodMs);
    connect(&m_poll, &QTimer::timeout, this, &CRecordingControl::PollPipeline);
    m_tick.setInterval(kTimeTickMs);
    connect(&m_tick, &QTimer::timeout, this, &CRecordingControl::RefreshRecordingTime);
    m_finishCheck.setInterval(kFinishCheckMs);
    connect(&m_finishCheck, &QTimer::timeout, this, &CRecordingControl::CheckFinish);
    // Monitors that come, go or change are looked at once their signals have settled (one
    // xrandr change brings several).
    m_screensChanged.setSingleShot(true);
    m_screensChanged.setInterval(0);
    connect(&m_screensChanged, &QTimer::timeout, this, &CRecordingControl::CheckCaptureOnScreens);
    if (qGuiApp) {
        connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
            FollowScreen(screen);
            m_screensChanged.start();
        });
        connect(qGuiApp, &QGuiApplication::screenRemoved, this,
                [this] { m_screensChanged.start(); });
        for (QScreen* screen : QGuiApplication::screens())
            FollowScreen(screen);
    }
}

CRecordingControl::~CRecordingControl() {
    // The windows that show the time may be gone already.
    m_host.showRecordingTime = nullptr;
    blockSignals(true);
    FinishRecording();
}

void CRecordingControl::FollowScreen(QScreen* screen) {
    // Qt 6.4 has no signal for a new device pixel ratio; a new logical DPI comes with one.
    connect(screen, &QScreen::geometryChanged, this, [this] { m_screensChanged.start(); });
    connect(screen, &QScreen::logicalDotsPerInchChanged, this,
            [this] { m_screensChanged.start(); });
}

QList<QRect> CRecordingControl::DeviceScreenRects() {
    QList<QRect> rects;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect logical = screen->geometry();
        const qreal ratio = screen->devicePixelRatio();
        rects << QRect(logical.topLeft(),
                       QSize(qRound(logical.width() * ratio), qRound(logical.height() * ratio)));
    }
    return rects;
}

bool CRecordingControl::CaptureOnScreens(const QRect& capture) const {
    // The screens decide, not the grab: a monitor taken away leaves the frame buffer as it
    // was, so its area still reads (as whatever was last drawn there).
    const QList<QRect> screens = m_host.screenRects ? m_host.screenRects() : DeviceScreenRects();
    QRegion covered;
    for (const QRect& screen : screens)
        covered += screen;
    return !capture.isEmpty() && QRegion(capture).subtracted(covered).isEmpty();
}

void CRecordingControl::CheckCaptureOnScreens() {
    if (!IsRunning() || !m_screen || CaptureOnScreens(m_screen->CaptureRect()))
        return;
    StopByItself(QStringLiteral("The recording stopped: the area it recorded is no longer on "
                                "any monitor."),
                 true);
}

QString CRecordingControl::ProfilePath() const {
    return CRecordingProfiles::ProfileFilePath();
}

QString CRecordingControl::InUseWarning(const QString& path) {
    return QStringLiteral("Movie \"%1\"\r\n is in use. please close other application like "
                          "Windows Media Player,\r\nor record as another movie.")
        .arg(path);
}

QString CRecordingControl::StartFailureText(const QString& path,
                                            CRecordingPipeline::Failure failure,
                                            const QString& cause) {
    const QString headline = failure == CRecordingPipeline::Failure::File
                                 ? InUseWarning(path)
                                 : QStringLiteral("Movie \"%1\" could not be recorded.").arg(path);
    return cause.isEmpty() ? headline : headline + QStringLiteral("\r\n\r\n") + cause;
}

void CRecordingControl::ApplyCapture() {
    const QRect clip = m_host.clipRect ? m_host.clipRect() : QRect();
    const QRect monitor = m_host.monitorRect ? m_host.monitorRect() : QRect();
    m_screen->SetCaptureRegion(monitor, clip.x(), clip.y(), clip.width(), clip.height());
    m_screen->SetRecordPointer(m_flags.recordPointer != 0);
}

void CRecordingControl::BuildRecordingGraph() {
    m_screen = std::make_unique<CScreen>(m_grabber);
    ApplyCapture();
    // The profile is written for the frames the recording will have: the capture rectangle's
    // size, whatever the clip region or the primary screen measure.
    CRecordingProfiles::WriteProfileFile(ProfilePath(), m_flags.qualityPreset,
                                         m_screen->FrameSize());
}

void CRecordingControl::ReleaseRecordingGraph() {
    // A recording in progress is finished off this thread; nothing here waits for it.
    if (IsRunning())
        BeginFinish({}, false);
    m_pipeline.reset();
    m_screen.reset();
}

void CRecordingControl::OnCmdRecord() {
    // The Save As dialog, or the desktop asked to share the screen, is answered first.
    if (m_askingForFile || m_askingDesktop)
        return;
    if (m_finisher && !m_flags.recording) {
        m_dialogs.ShowNotice(QStringLiteral("The last recording is still being saved to "
                                            "\"%1\". Record again once it is saved.")
                                 .arg(QDir::toNativeSeparators(m_path)));
        return;
    }
    m_flags.recording = !m_flags.recording;
    if (m_flags.recording) {
        StartRecording();
    } else {
        StopRecording();
        if (m_host.enterPointerMode)
            m_host.enterPointerMode();
        m_flags.paused = 0;
    }
    if (m_host.setRecordState)
        m_host.setRecordState(m_flags.recording != 0);
    if (m_host.setPauseState)
        m_host.setPauseState(m_flags.recording != 0, m_flags.paused != 0);
}

void CRecordingControl::StartRecording() {
    m_askingForFile = true;
    // The file type chosen in the dialog decides when the name does not.
    QString path =
        m_dialogs
            .GetSaveFileName(m_host.dialogOwner ? m_host.dialogOwner() : nullptr,
                             QStringLiteral("Save As"), CRecordingEncoders::SaveAsFilters(), 0)
            .FinalPath(CRecordingEncoders::SaveAsFilters());
    // The dialog leaves the question about an existing file to us, once the name is final.
    if (!path.isEmpty() && QFileInfo::exists(path) &&
        !m_dialogs.AskYesNo(m_host.warningOwner ? m_host.warningOwner() : nullptr,
                            QFileInfo(path).fileName() +
                                QStringLiteral(" already exists.\nDo you want to replace it?"),
                            QStringLiteral("Confirm Save As")))
        path.clear();
    m_askingForFile = false;
    if (path.isEmpty()) {
        m_flags.recording = 0;
        return;
    }
    if (!m_screen)
        BuildRecordingGraph();
    ApplyCapture();

    const QString profilePath = ProfilePath();
    QString profileError;
    const bool wrote = CRecordingProfiles::WriteProfileFile(profilePath, m_flags.qualityPreset,
                                                            m_screen->FrameSize(), &profileError);
    m_flags.hasSoundDevice = CSoundDevices::HasAudioCaptureDevice() ? 1 : 0;
    std::optional<RecordingProfile> profile =
        wrote ? CRecordingProfiles::LoadRecordingProfile(profilePath, m_flags.hasSoundDevice != 0)
              : std::nullopt;

    m_flags.recording = 1;
    m_flags.paused = 0;
    QString why;
    // A Wayland desktop shares the screen only once asked (and perhaps once the user agreed).
    // The program stays live meanwhile, and says that it waits.
    // (A desktop that answers at once, or an X server, shows nothing of it.)
    m_askingDesktop = true;
    QTimer showWaiting;
    showWaiting.setSingleShot(true);
    connect(&showWaiting, &QTimer::timeout, this, [this] {
        m_showAskingDesktop = true;
        RefreshRecordingTime();
    });
    showWaiting.start(kShowWaitingAfterMs);
    const bool begun = m_grabber.Begin(m_flags.recordPointer != 0, &why);
    showWaiting.stop();
    m_askingDesktop = false;
    if (std::exchange(m_showAskingDesktop, false))
        RefreshRecordingTime();
    if (!begun) {
        m_flags.recording = 0;
        m_dialogs.ShowWarning(m_host.warningOwner ? m_host.warningOwner() : nullptr, why,
                              QStringLiteral("Warning"));
        return;
    }
    m_pipeline = std::make_unique<CRecordingPipeline>(*m_screen);
    if (m_finishTimeout.count() > 0)
        m_pipeline->SetFinishTimeout(m_finishTimeout);
    // What keeps the recording from starting is found before anything is opened where that
    // can be told; the pipeline tells the rest.
    using Failure = CRecordingPipeline::Failure;
    Failure failure = Failure::Other;
    bool running = false;
    if (!profile) {
        why = QStringLiteral("The recording profile \"%1\" cannot be written: %2.")
                  .arg(QDir::toNativeSeparators(profilePath),
                       Clause(profileError.isEmpty() ? QStringLiteral("it cannot be read back")
                                                     : profileError));
    } else if (!CDiskSpaceWatch::HasRoomToStart(path, &why)) {
        failure = Failure::DiskFull;
    } else {
        running = m_pipeline->Start(path, *profile, m_soundSource, &why);
        failure = m_pipeline->LastFailure();
        if (!running && profile->sound && failure != Failure::File &&
            failure != Failure::DiskFull) {
            // A microphone that cannot be opened, or a sound encoder that is missing, must not
            // cost the picture: try without sound.
            const QString soundWhy = why;
            profile->sound.reset();
            running = m_pipeline->Start(path, *profile, {}, &why);
            failure = m_pipeline->LastFailure();
            if (running)
                m_dialogs.ShowNotice(QStringLiteral("The sound cannot be recorded (%1). This "
                                                    "recording has the picture only.")
                                         .arg(Clause(soundWhy)));
        }
    }
    if (!running) {
        m_grabber.End();
        m_flags.recording = 0;
        m_pipeline.reset();
        Trace("Recording not started: %s\n", qPrintable(why));
        m_dialogs.ShowWarning(m_host.warningOwner ? m_host.warningOwner() : nullptr,
                              StartFailureText(QDir::toNativeSeparators(path), failure, why),
                              QStringLiteral("Warning"));
        return;
    }
    m_path = path;
    m_disk = std::make_unique<CDiskSpaceWatch>(path);
    m_poll.start();
    m_timer.Start();
    m_tick.start();
    RefreshRecordingTime();
}

void CRecordingControl::EndTimer() {
    m_tick.stop();
    m_timer.Stop();
    RefreshRecordingTime();
}

void CRecordingControl::RefreshRecordingTime() {
    // While the file is being finished the toolbar says so where the time stood, and while the
    // desktop is asked to share the screen, that it waits.
    const bool saving = m_finisher && !m_timer.IsRunning();
    const bool running = m_timer.IsRunning() || saving || m_showAskingDesktop;
    const QString time =
        m_showAskingDesktop ? StartingText() : saving ? SavingText() : m_timer.Text();
    const bool dot = m_timer.DotLit();
    if (running != m_shownRunning || time != m_shownTime || dot != m_shownDot) {
        m_shownRunning = running;
        m_shownTime = time;
        m_shownDot = dot;
        if (m_host.showRecordingTime)
            m_host.showRecordingTime(time, dot, running);
    }
    const QString tip =
        m_showAskingDesktop ? QStringLiteral("Ravlin - waiting for the desktop to share the screen")
        : saving        ? QStringLiteral("Ravlin - saving the recording")
                        : m_timer.TrayTip();
    if (tip != m_shownTip) {
        m_shownTip = tip;
        emit TrayTipChanged(tip);
    }
}

void CRecordingControl::StopRecording() {
    BeginFinish({}, false);
}

void CRecordingControl::BeginFinish(const QString& reason, bool asNotice) {
    m_poll.stop();
    m_flags.recording = 0;
    m_flags.paused = 0;
    m_disk.reset();
    if (!m_pipeline) {
        EndTimer();
        return;
    }
    m_stopReason = reason;
    m_stopReasonIsNotice = asNotice;
    // The pipeline's frames come from the screen source: both go to the finisher, and the
    // next recording gets a source of its own.
    m_finisher = std::make_unique<CRecordingFinisher>(std::move(m_pipeline), std::move(m_screen));
    m_screen = std::make_unique<CScreen>(m_grabber);
    ApplyCapture();
    m_finishCheck.start();
    EndTimer();
}

void CRecordingControl::CheckFinish() {
    if (m_finisher && m_finisher->IsDone())
        EndFinish();
}

void CRecordingControl::EndFinish() {
    const bool finished = m_finisher->Finished();
    const QString why = m_finisher->Why();
    m_finisher.reset();
    m_grabber.End(); // the desktop's screen share, if one was asked for
    m_finishCheck.stop();
    RefreshRecordingTime();
    const QString reason = std::exchange(m_stopReason, QString());
    const QString file = QDir::toNativeSeparators(m_path);
    QWidget* owner = m_host.warningOwner ? m_host.warningOwner() : nullptr;
    if (reason.isEmpty()) {
        if (!finished) {
            Trace("Recording not finished: %s\n", qPrintable(why));
            m_dialogs.ShowWarning(
                owner, QStringLiteral("The recording could not be finished: %1").arg(why),
                QStringLiteral("Warning"));
        }
        return;
    }
    // One message for the stop: why it stopped, and what became of the file.
    QString text = reason + QLatin1Char(' ');
    if (finished)
        text += QStringLiteral("What was recorded up to there is in \"%1\".").arg(file);
    else if (why.isEmpty())
        text += QStringLiteral("What could be written is in \"%1\".").arg(file);
    else
        text += QStringLiteral("What could be written is in \"%1\" (the file could not be "
                               "finished: %2).")
                    .arg(file, why);
    if (m_stopReasonIsNotice)
        m_dialogs.ShowNotice(text);
    else
        m_dialogs.ShowWarning(owner, text, QStringLiteral("Warning"));
}

bool CRecordingControl::WaitForFinish(std::chrono::milliseconds wait) {
    if (!m_finisher)
        return true;
    // Events are handled meanwhile only where they belong, on the user-interface thread, and
    // not the user's input: the program is on its way out or told to wait.
    const bool handleEvents =
        QCoreApplication::instance() && QThread::currentThread() == qApp->thread();
    QElapsedTimer waited;
    waited.start();
    while (!m_finisher->IsDone() && waited.elapsed() < wait.count()) {
        if (handleEvents)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        m_finisher->Wait(std::chrono::milliseconds(20));
    }
    if (!m_finisher->IsDone())
        return false;
    EndFinish();
    return true;
}

QString CRecordingControl::FinishRecording(bool keepEventsFlowing, std::chrono::milliseconds wait) {
    if (IsRunning())
        BeginFinish({}, false);
    m_poll.stop();
    EndTimer();
    m_flags.recording = 0;
    m_flags.paused = 0;
    if (!m_finisher)
        return {};
    const bool done = keepEventsFlowing ? WaitForFinish(wait) : m_finisher->Wait(wait);
    if (done && m_finisher) {
        // Finished without events: what there is to say goes to the log and standard error
        // only, as no window may be touched.
        const bool finished = m_finisher->Finished();
        const QString why = m_finisher->Why();
        m_finisher.reset();
        m_grabber.End(); // the desktop's screen share, if one was asked for
        m_finishCheck.stop();
        if (finished)
            return {};
        const QString text = QStringLiteral("The recording \"%1\" could not be finished: %2.")
                                 .arg(QDir::toNativeSeparators(m_path), why);
        Trace("%s\n", qPrintable(text));
        std::fprintf(stderr, "ravlin: %s\n", qPrintable(text));
        return text;
    }
    if (done)
        return {};
    // Given up: the finisher's thread goes on alone with what it finishes.
    m_finisher.reset();
    m_finishCheck.stop();
    const QString text =
        QStringLiteral("The recording \"%1\" was not finished within %2 seconds and may be "
                       "incomplete.")
            .arg(QDir::toNativeSeparators(m_path))
            .arg(wait.count() / 1000.0);
    Trace("%s\n", qPrintable(text));
    std::fprintf(stderr, "ravlin: %s\n", qPrintable(text));
    return text;
}

bool CRecordingControl::OnCmdPauseWhileRecording() {
    if (m_askingForFile || m_askingDesktop)
        return true;
    if (!m_flags.recording)
        return false;
    m_flags.paused = !m_flags.paused;
    if (m_host.setPauseState)
        m_host.setPauseState(true, m_flags.paused != 0);
    if (m_pipeline) {
        if (m_flags.paused)
            m_pipeline->Pause();
        else
            m_pipeline->Resume();
    }
    if (m_flags.paused)
        m_timer.Pause();
    else
        m_timer.Resume();
    RefreshRecordingTime();
    return true;
}

void CRecordingControl::OnCmdRecordMouse() {
    if (m_askingForFile || m_askingDesktop)
        return;
    m_flags.recordPointer = !m_flags.recordPointer;
    if (m_screen)
        m_screen->SetRecordPointer(m_flags.recordPointer != 0);
}

void CRecordingControl::OnCmdQuality(int preset) {
    m_flags.qualityPreset = preset;
}

void CRecordingControl::PollPipeline() {
    if (!m_pipeline)
        return;
    const QString said = m_pipeline->PollMessages();
    // The desktop stopped sharing the screen: the file is finished with what came so far.
    const QString ended = m_grabber.EndedReason();
    if (!ended.isEmpty() && !m_pipeline->HasFailed()) {
        StopByItself(ended, false);
        return;
    }
    if (m_pipeline->HasFailed()) {
        StopByItself(said, false);
        return;
    }
    if (!said.isEmpty())
        m_dialogs.ShowNotice(said);
    if (m_disk && m_disk->IsRunningOut())
        StopByItself(m_disk->RunningOutText(), false);
}

void CRecordingControl::StopByItself(const QString& reason, bool asNotice) {
    // The recording ended by itself: the program goes back to idle and says why once the file
    // is finished.
    Trace("%s\n", qPrintable(reason));
    BeginFinish(reason, asNotice);
    if (m_host.setRecordState)
        m_host.setRecordState(false);
    if (m_host.setPauseState)
        m_host.setPauseState(false, false);
}

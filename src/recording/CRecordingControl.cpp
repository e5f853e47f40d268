#include "CRecordingControl.h"

#include "CRecordingEncoders.h"
#include "CRecordingProfiles.h"
#include "CSoundDevices.h"
#include "IDialogs.h"

#include <QDir>
#include <QFileInfo>

namespace {
constexpr int kPollPeriodMs = 200;
// Often enough for the dot's half-second phases and the seconds of the time to look even.
constexpr int kTimeTickMs = 100;
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
}

CRecordingControl::~CRecordingControl() {
    // The windows that show the time may be gone already.
    m_host.showRecordingTime = nullptr;
    blockSignals(true);
    FinishRecording();
}

QString CRecordingControl::ProfilePath() const {
    return CRecordingProfiles::ProfileFilePath();
}

QString CRecordingControl::InUseWarning(const QString& path) {
    return QStringLiteral("Movie \"%1\"\r\n is in use. please close other application like "
                          "Windows Media Player,\r\nor record as another movie.")
        .arg(path);
}

void CRecordingControl::ApplyCapture() {
    const QRect clip = m_host.clipRect ? m_host.clipRect() : QRect();
    const QRect monitor = m_host.monitorRect ? m_host.monitorRect() : QRect();
    m_screen->SetCaptureRegion(monitor, clip.x(), clip.y(), clip.width(), clip.height());
    m_screen->SetRecordPointer(m_flags.recordPointer != 0);
}

void CRecordingControl::BuildRecordingGraph() {
    CSoundDevices::InitMedia();
    m_screen = std::make_unique<CScreen>(m_grabber);
    ApplyCapture();
    // The profile is written for the frames the recording will have: the capture rectangle's
    // size, whatever the clip region or the primary screen measure.
    CRecordingProfiles::WriteProfileFile(ProfilePath(), m_flags.qualityPreset,
                                         m_screen->FrameSize());
    m_flags.hasSoundDevice = CSoundDevices::HasAudioCaptureDevice() ? 1 : 0;
}

void CRecordingControl::ReleaseRecordingGraph() {
    FinishRecording();
    m_pipeline.reset();
    m_screen.reset();
}

void CRecordingControl::OnCmdRecord() {
    if (m_askingForFile)
        return;
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
    QString path = m_dialogs.GetSaveFileName(m_host.dialogOwner ? m_host.dialogOwner() : nullptr,
                                             QStringLiteral("Save As"),
                                             CRecordingEncoders::SaveAsFilters(), 0);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".wmv");
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
    const bool wrote = CRecordingProfiles::WriteProfileFile(profilePath, m_flags.qualityPreset,
                                                            m_screen->FrameSize());
    m_flags.hasSoundDevice = CSoundDevices::HasAudioCaptureDevice() ? 1 : 0;
    std::optional<RecordingProfile> profile =
        wrote ? CRecordingProfiles::LoadRecordingProfile(profilePath, m_flags.hasSoundDevice != 0)
              : std::nullopt;

    m_flags.recording = 1;
    m_flags.paused = 0;
    QString why;
    // A Wayland desktop shares the screen only once asked (and perhaps once the user agreed).
    if (!m_grabber.Begin(m_flags.recordPointer != 0, &why)) {
        m_flags.recording = 0;
        m_dialogs.ShowWarning(m_host.warningOwner ? m_host.warningOwner() : nullptr, why,
                              QStringLiteral("Warning"));
        return;
    }
    m_pipeline = std::make_unique<CRecordingPipeline>(*m_screen);
    bool running = profile && m_pipeline->Start(path, *profile, m_soundSource, &why);
    if (!running && profile && profile->sound) {
        // A microphone that cannot be opened must not cost the picture: try without sound.
        QString soundWhy = why;
        profile->sound.reset();
        running = m_pipeline->Start(path, *profile, {}, &why);
        if (running)
            m_dialogs.ShowNotice(
                QStringLiteral("The microphone could not be opened (%1). This recording has "
                               "the picture only.")
                    .arg(soundWhy));
    }
    if (!running) {
        m_grabber.End();
        m_flags.recording = 0;
        m_dialogs.ShowWarning(m_host.warningOwner ? m_host.warningOwner() : nullptr,
                              InUseWarning(QDir::toNativeSeparators(path)),
                              QStringLiteral("Warning"));
        return;
    }
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
    const bool running = m_timer.IsRunning();
    const QString time = m_timer.Text();
    const bool dot = m_timer.DotLit();
    if (running != m_shownRunning || time != m_shownTime || dot != m_shownDot) {
        m_shownRunning = running;
        m_shownTime = time;
        m_shownDot = dot;
        if (m_host.showRecordingTime)
            m_host.showRecordingTime(time, dot, running);
    }
    const QString tip = m_timer.TrayTip();
    if (tip != m_shownTip) {
        m_shownTip = tip;
        emit TrayTipChanged(tip);
    }
}

void CRecordingControl::StopRecording() {
    m_flags.recording = 0;
    m_poll.stop();
    EndTimer();
    if (!m_pipeline)
        return;
    QString why;
    const bool finished = m_pipeline->Stop(&why);
    m_grabber.End();
    if (!finished)
        m_dialogs.ShowWarning(m_host.warningOwner ? m_host.warningOwner() : nullptr,
                              QStringLiteral("The recording could not be finished: %1").arg(why),
                              QStringLiteral("Warning"));
}

void CRecordingControl::FinishRecording() {
    m_poll.stop();
    EndTimer();
    if (m_pipeline && m_pipeline->IsRunning()) {
        m_pipeline->Stop();
        m_grabber.End();
    }
    m_flags.recording = 0;
    m_flags.paused = 0;
}

bool CRecordingControl::OnCmdPauseWhileRecording() {
    if (m_askingForFile)
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
    if (m_askingForFile)
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
    QString said = m_pipeline->PollMessages();
    // The desktop stopped sharing the screen: the file is finished with what came so far.
    const QString ended = m_pipeline->IsRunning() ? m_grabber.EndedReason() : QString();
    if (!ended.isEmpty()) {
        QString why;
        if (!m_pipeline->Stop(&why))
            said = ended + QStringLiteral("\nThe recording could not be finished: %1").arg(why);
        else
            said = ended;
    }
    if (!m_pipeline->IsRunning())
        m_grabber.End();
    if (said.isEmpty())
        return;
    if (m_pipeline->IsRunning()) {
        m_dialogs.ShowNotice(said);
        return;
    }
    // The recording ended by itself: the program goes back to idle and says why.
    m_poll.stop();
    EndTimer();
    m_flags.recording = 0;
    m_flags.paused = 0;
    if (m_host.setRecordState)
        m_host.setRecordState(false);
    if (m_host.setPauseState)
        m_host.setPauseState(false, false);
    m_dialogs.ShowWarning(m_host.warningOwner ? m_host.warningOwner() : nullptr, said,
                          QStringLiteral("Warning"));
}

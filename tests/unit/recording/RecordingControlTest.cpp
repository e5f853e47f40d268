// The recording commands with a scripted screen and dialogs, the real pipeline and a test tone
// as the microphone.
#include "CRecordingControl.h"
#include "CRecordingProfiles.h"
#include "CSoundDevices.h"
#include "fake/CFakeDialogs.h"
#include "fake/CFakeScreenGrabber.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

class RecordingControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("RAVLIN_SOUND_SOURCE", "audiotestsrc is-live=true");
        CRecordingControl::Host host;
        host.monitorRect = [] { return QRect(0, 0, 640, 480); };
        host.clipRect = [this] { return clip; };
        host.enterPointerMode = [this] { ++pointerModes; };
        host.setRecordState = [this](bool on) { toolbar << QString("record %1").arg(on); };
        host.setPauseState = [this](bool on, bool p) {
            toolbar << QString("pause %1 %2").arg(on).arg(p);
        };
        host.showRecordingTime = [this](const QString& time, bool dot, bool shown) {
            timeShown << QString("%1 %2 %3").arg(time).arg(dot).arg(shown);
        };
        control = std::make_unique<CRecordingControl>(
            dialogs, grabber,
            CRecordingControl::Flags{recordPointer, qualityPreset, recording, paused,
                                     hasSoundDevice},
            host);
    }
    void TearDown() override { qunsetenv("RAVLIN_SOUND_SOURCE"); }

    static void Wait(int ms) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms)
            QThread::msleep(20);
    }
    static QString Probe(const QString& path, const char* entries) {
        QProcess ffprobe;
        ffprobe.start("ffprobe",
                      {"-v", "error", "-show_entries", entries, "-of", "default=nw=1:nk=1", path});
        ffprobe.waitForFinished(60000);
        return QString::fromUtf8(ffprobe.readAllStandardOutput()).trimmed();
    }

    QTemporaryDir dir;
    CFakeDialogs dialogs;
    CFakeScreenGrabber grabber{QSize(640, 480)};
    QRect clip;
    int recordPointer = 1, qualityPreset = 0, recording = 0, paused = 0, hasSoundDevice = 0;
    int pointerModes = 0;
    QStringList toolbar;
    QStringList timeShown;
    std::unique_ptr<CRecordingControl> control;
};

} // namespace

TEST_F(RecordingControlTest, BuildingTheGraphWritesTheProfileAndOpensNothing) {
    clip = QRect(100, 50, 320, 200);
    control->BuildRecordingGraph();
    EXPECT_TRUE(control->HasRecordingGraph());
    EXPECT_EQ(grabber.GrabCount(), 0);
    EXPECT_EQ(hasSoundDevice, 1);
    const auto profile = CRecordingProfiles::LoadRecordingProfile(control->ProfilePath(), true);
    ASSERT_TRUE(profile && profile->picture);
    // The profile carries the frames' size, the clip region's.
    EXPECT_EQ(profile->picture->width, 320);
    EXPECT_EQ(profile->picture->height, 200);
}

TEST_F(RecordingControlTest, CancelledDialogLeavesIdle) {
    dialogs.saveAnswer.clear();
    control->OnCmdRecord();
    EXPECT_EQ(
        dialogs.saveDialogs,
        QStringList{"Save As Windows Media Video(*.wmv)|MPEG-4 Video(*.mp4)|WebM Video(*.webm) 0"});
    EXPECT_EQ(recording, 0);
    EXPECT_EQ(toolbar, (QStringList{"record 0", "pause 0 0"}));
    EXPECT_FALSE(control->IsRunning());
}

TEST_F(RecordingControlTest, WhileTheDialogIsOpenTheCommandsDoNothing) {
    dialogs.whileSaveDialogOpen = [this] {
        EXPECT_EQ(recording, 1) << "the flag is raised while the dialog is open";
        control->OnCmdRecord();
        EXPECT_TRUE(control->OnCmdPauseWhileRecording());
        control->OnCmdRecordMouse();
    };
    control->OnCmdRecord();
    EXPECT_EQ(dialogs.saveDialogs.size(), 1);
    EXPECT_EQ(recordPointer, 1);
    EXPECT_EQ(paused, 0);
    EXPECT_EQ(recording, 0);
}

TEST_F(RecordingControlTest, UnwritableFileWarnsAndASecondNameRecords) {
    QFile plain(dir.path() + "/plain");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString blocked = plain.fileName() + "/movie.wmv";
    dialogs.saveAnswer = blocked;
    control->OnCmdRecord();
    EXPECT_EQ(recording, 0);
    EXPECT_EQ(dialogs.warnings,
              QStringList{"Warning: Movie \"" + blocked +
                          "\"\r\n is in use. please close other application like Windows Media "
                          "Player,\r\nor record as another movie."});
    EXPECT_EQ(toolbar.last(), "pause 0 0");

    toolbar.clear();
    dialogs.saveAnswer = dir.path() + "/second"; // the extension is added
    control->OnCmdRecord();
    EXPECT_EQ(recording, 1);
    EXPECT_TRUE(control->IsRunning());
    EXPECT_EQ(toolbar, (QStringList{"record 1", "pause 1 0"}));
    Wait(800);
    EXPECT_TRUE(control->OnCmdPauseWhileRecording());
    EXPECT_EQ(paused, 1);
    EXPECT_EQ(toolbar.last(), "pause 1 1");
    // Record while paused stops; the next recording starts unpaused.
    control->OnCmdRecord();
    EXPECT_EQ(recording, 0);
    EXPECT_EQ(paused, 0);
    EXPECT_EQ(pointerModes, 1);
    EXPECT_EQ(Probe(dir.path() + "/second.wmv", "stream=codec_name"), "wmv2\nwmav2");
}

TEST_F(RecordingControlTest, FinishingAtExitCompletesTheFile) {
    dialogs.saveAnswer = dir.path() + "/exit.wmv";
    control->OnCmdRecord();
    ASSERT_TRUE(control->IsRunning());
    Wait(1500);
    control->FinishRecording();
    EXPECT_EQ(recording, 0);
    EXPECT_FALSE(control->IsRunning());
    // A finished file states its length in its header.
    EXPECT_NEAR(Probe(dir.path() + "/exit.wmv", "format=duration").toDouble(), 1.5, 0.5);
}

TEST_F(RecordingControlTest, ExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
    QFile old(dir.path() + "/old.wmv");
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("keep me");
    old.close();
    dialogs.saveAnswer = old.fileName();
    dialogs.answers = {false};
    control->OnCmdRecord();
    EXPECT_EQ(recording, 0);
    EXPECT_EQ(dialogs.questions.size(), 1);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "keep me");
}

TEST_F(RecordingControlTest, RecordMouseAndQualityOnlyStoreTheirValue) {
    control->OnCmdRecordMouse();
    EXPECT_EQ(recordPointer, 0);
    control->BuildRecordingGraph();
    EXPECT_FALSE(control->Screen()->RecordPointer());
    control->OnCmdRecordMouse();
    EXPECT_TRUE(control->Screen()->RecordPointer());
    control->OnCmdQuality(2);
    EXPECT_EQ(qualityPreset, 2);
}

TEST_F(RecordingControlTest, TheRecordedTimeLeavesPausesOut) {
    qint64 nowMs = 100000;
    control->SetClock([&nowMs] { return nowMs; });
    QStringList tips;
    QObject::connect(control.get(), &CRecordingControl::TrayTipChanged,
                     [&tips](const QString& tip) { tips << tip; });
    dialogs.saveAnswer = dir.path() + "/timed.mp4";
    control->OnCmdRecord();
    ASSERT_TRUE(control->IsRunning());
    const auto step = [&](int seconds) {
        for (int i = 0; i < seconds * 10; ++i) {
            nowMs += 100;
            control->RefreshRecordingTime();
        }
    };
    step(5);
    EXPECT_EQ(control->Timer().Text(), "00:00:05");
    control->OnCmdPauseWhileRecording();
    step(3);
    EXPECT_EQ(control->Timer().Text(), "00:00:05");
    EXPECT_EQ(tips.last(), "Ravlin - paused 00:00:05");
    control->OnCmdPauseWhileRecording();
    step(2);
    EXPECT_EQ(control->Timer().Text(), "00:00:07");
    EXPECT_EQ(tips.last(), "Ravlin - recording 00:00:07");
    EXPECT_TRUE(tips.contains("Ravlin - recording 00:00:01"));
    // The toolbar's dot blinks once a second while recording and stays lit while paused.
    const QStringList firstSecond = timeShown.mid(0, 3);
    EXPECT_EQ(firstSecond, (QStringList{"00:00:00 1 1", "00:00:00 0 1", "00:00:01 1 1"}));
    EXPECT_TRUE(timeShown.contains("00:00:05 1 1"));
    control->OnCmdRecord();
    EXPECT_EQ(tips.last(), "Ravlin");
    EXPECT_EQ(timeShown.last(), "00:00:00 0 0");
}

TEST_F(RecordingControlTest, TheFileTypeChosenInTheDialogMakesTheFileWhenTheNameDoesNot) {
    const struct {
        const char* typed;
        int filter;
        const char* written;
        const char* codecs;
    } cases[] = {
        {"talk", 1, "talk.mp4", "h264\naac"},
        {"clip.webm", 0, "clip.webm", "vp8\nopus"},
        {"notes.v2", 2, "notes.v2.webm", "vp8\nopus"},
    };
    for (const auto& c : cases) {
        dialogs.saveAnswer = dir.path() + "/" + c.typed;
        dialogs.saveFilterAnswer = c.filter;
        control->OnCmdRecord();
        ASSERT_TRUE(control->IsRunning()) << c.typed;
        Wait(600);
        control->OnCmdRecord();
        EXPECT_EQ(Probe(dir.path() + "/" + c.written, "stream=codec_name"), c.codecs) << c.typed;
    }
}

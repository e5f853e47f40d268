// The recording commands as the overlay dispatches them, over a scripted screen and the real
// pipeline (picture only: no microphone in unit tests).
#include "CFakeScreenGrabber.h"
#include "CRecordingControl.h"
#include "CRecordingProfiles.h"
#include "OverlayFixture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace {

class RecordingCommandsTest : public OverlayFixture {
protected:
    void SetUp() override {
        qputenv("RAVLIN_SOUND_SOURCE", "none");
        CreateOverlay();
        grabber = new CFakeScreenGrabber(QSize(1920, 1080));
        overlay->SetScreenGrabber(std::unique_ptr<IScreenGrabber>(grabber));
    }
    void TearDown() override {
        OverlayFixture::TearDown();
        overlay.reset();
        qunsetenv("RAVLIN_SOUND_SOURCE");
    }
    static double Duration(const QString& path) {
        QProcess ffprobe;
        ffprobe.start("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of",
                                  "default=nw=1:nk=1", path});
        ffprobe.waitForFinished(60000);
        return ffprobe.readAllStandardOutput().trimmed().toDouble();
    }

    QTemporaryDir dir;
    CFakeScreenGrabber* grabber = nullptr; // owned by the overlay
};

} // namespace

TEST_F(RecordingCommandsTest, PauseWhileIdleSelectsARegionAndTheNextRecordingTakesItsSize) {
    ASSERT_TRUE(overlay->Recording()->HasRecordingGraph()) << "built with the overlay";
    overlay->OnCommand(ID_PAUSE);
    EXPECT_EQ(overlay->tool, 3);
    EXPECT_FALSE(overlay->Recording()->HasRecordingGraph()) << "released for the new region";

    // The drag that draws the region belongs to the selection tool; its result is this.
    overlay->clipRegion = QRect(100, 50, 320, 200);
    dialogs.saveAnswer = dir.path() + "/region.wmv";
    overlay->OnCommand(ID_RECORD);
    ASSERT_EQ(overlay->recording, 1);
    const auto profile =
        CRecordingProfiles::LoadRecordingProfile(CRecordingProfiles::ProfileFilePath(), false);
    ASSERT_TRUE(profile && profile->picture);
    EXPECT_EQ(QSize(profile->picture->width, profile->picture->height), QSize(320, 200));
    QElapsedTimer timer;
    timer.start();
    while (grabber->GrabCount() < 5 && timer.elapsed() < 5000)
        QThread::msleep(10);
    EXPECT_EQ(grabber->LastRect(), QRect(100, 50, 320, 200));

    // Pause and resume come to the recording now, not to the region selection.
    overlay->tool = 0;
    overlay->OnCommand(ID_PAUSE);
    EXPECT_EQ(overlay->paused, 1);
    EXPECT_EQ(overlay->tool, 0);
    overlay->OnCommand(ID_PAUSE);
    EXPECT_EQ(overlay->paused, 0);
}

TEST_F(RecordingCommandsTest, ExitDuringARecordingFinishesTheFile) {
    dialogs.saveAnswer = dir.path() + "/exit.wmv";
    overlay->OnCommand(ID_RECORD);
    ASSERT_EQ(overlay->recording, 1);
    QThread::msleep(1200);
    overlay->ExitWithoutQuestion();
    EXPECT_EQ(overlay->recording, 0);
    EXPECT_EQ(quits, 1);
    EXPECT_GT(Duration(dir.path() + "/exit.wmv"), 0.5);
}

TEST_F(RecordingCommandsTest, RecordMouseFollowsTheOptionDuringARecording) {
    EXPECT_EQ(overlay->recordPointer, 1);
    overlay->OnCommand(ID_RECORD_MOUSE);
    EXPECT_EQ(overlay->recordPointer, 0);
    EXPECT_FALSE(overlay->Recording()->Screen()->RecordPointer());
    overlay->OnCommand(ID_QUALITY_LOW);
    EXPECT_EQ(overlay->qualityPreset, 2);
}

// Recording while monitors go away, with two monitors side by side (the right one primary): a
// recording on the monitor that is taken away stops with its file finished and a notice; one on
// the monitor that stays goes on.
#include "CSoundServer.h"
#include "E2eSession.h"
#include "RecordingSteps.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

const char* const kStopped = "The recording stopped: the area it recorded is no longer on any "
                             "monitor.";

class MonitorsRecordingE2e : public CRavlinTest {
protected:
    MonitorsRecordingE2e() : CRavlinTest(QRect(1400, 100, 1600, 800)) {}
    void SetUp() override {
        ASSERT_TRUE(sound.IsReady()) << "the test sound server did not start";
        CRavlinTest::SetUp();
        folder = QDir::tempPath() + QStringLiteral("/ravlin-monitors-rec-%1").arg(ravlin.Pid());
        QDir().mkpath(folder);
    }
    void TearDown() override {
        // The next test finds both monitors again, whatever this one left.
        if (leftRemoved)
            g_session->Run("xrandr", {"--setmonitor", "LEFT", "1280/338x1024/270+0+0", "none"});
        QDir(folder).removeRecursively();
    }
    void RemoveLeftMonitor() {
        int code = -1;
        g_session->Run("xrandr", {"--delmonitor", "LEFT"}, &code);
        ASSERT_EQ(code, 0);
        leftRemoved = true;
    }
    bool StartRecording(const QString& movie) {
        return ravlin.RunCommand("record") && SaveAs(movie) &&
               WaitFor([&] { return QFile::exists(movie); }, 5000);
    }
    QRect Overlay() { return WindowGeometry(QString::number(overlay)); }

    CSoundServer sound;
    QString folder;
    bool leftRemoved = false;
};

TEST_F(MonitorsRecordingE2e, ARecordingOfAMonitorThatIsTakenAwayStopsWithItsFileAndANotice) {
    ASSERT_TRUE(ravlin.RunCommand("display-2"));
    ASSERT_TRUE(WaitFor([&] { return Overlay() == CVirtualSession::LeftMonitor(); }));
    const QString movie = folder + "/left.wmv";
    ASSERT_TRUE(StartRecording(movie));
    RecordFor(2000);
    RemoveLeftMonitor();
    // Stopped by itself, said once, and the file finished.
    EXPECT_TRUE(WaitFor([&] { return ravlin.Log().contains(kStopped); }, 10000))
        << ravlin.Log().toStdString();
    ASSERT_TRUE(WaitFor([&] { return IsFinished(movie); }, 15000)) << "the file is incomplete";
    EXPECT_EQ(ravlin.Log().count(kStopped), 1);
    EXPECT_TRUE(WaitFor([] {
        for (const QString& id : FindWindows("^Ravlin$"))
            if (WindowGeometry(id).width() == 420 * ProgramScale())
                return true;
        return false;
    })) << "no notice";
    EXPECT_EQ(Probe(movie, "stream=codec_name"), "wmv2\nwmav2");
    EXPECT_EQ(Probe(movie, "stream=width").toInt(), 1280);
    EXPECT_GT(Probe(movie, "format=duration").toDouble(), 1.5);
    EXPECT_FALSE(LastFrame(movie).isNull()) << "the file does not decode";
    EXPECT_TRUE(ravlin.IsRunning());
}

TEST_F(MonitorsRecordingE2e, ARecordingOnTheMonitorThatStaysGoesOn) {
    ASSERT_EQ(Overlay(), CVirtualSession::RightMonitor());
    const QString movie = folder + "/right.wmv";
    ASSERT_TRUE(StartRecording(movie));
    RecordFor(1500);
    RemoveLeftMonitor();
    RecordFor(2500);
    EXPECT_FALSE(ravlin.Log().contains(kStopped)) << ravlin.Log().toStdString();
    ASSERT_TRUE(ravlin.RunCommand("record"));
    ASSERT_TRUE(WaitFor([&] { return IsFinished(movie); }, 15000)) << "the file is incomplete";
    EXPECT_EQ(Probe(movie, "stream=width").toInt(), 1920);
    EXPECT_GT(Probe(movie, "format=duration").toDouble(), 3.5) << "it went on after the change";
    EXPECT_TRUE(ravlin.IsRunning());
}

} // namespace

// Screen recording with the real program: the record shortcut, the Save As dialog, ink, a
// pause, a clip region, a folder that cannot be written, and a recording ended by a signal.
// The files are read back with ffprobe and ffmpeg.
#include "CSoundServer.h"
#include "E2eSession.h"
#include "RecordingSteps.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>

namespace {

double MeanVolumeDb(const QString& path) {
    int code = 0;
    // volumedetect reports on the error channel; ffmpeg's own verbosity is kept for it.
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-hide_banner", "-i", path, "-map", "0:a", "-af", "volumedetect", "-f",
                            "null", "-"});
    ffmpeg.waitForFinished(60000);
    (void)code;
    const QString text = QString::fromUtf8(ffmpeg.readAllStandardError());
    const QRegularExpressionMatch m = QRegularExpression("mean_volume: (-?[0-9.]+) dB").match(text);
    return m.hasMatch() ? m.captured(1).toDouble() : -1000;
}

class RecordingE2e : public CRavlinTest {
protected:
    RecordingE2e() : CRavlinTest(QRect(100, 100, 1000, 600)) {}

    void SetUp() override {
        ASSERT_TRUE(sound.IsReady()) << "the test sound server did not start";
        CRavlinTest::SetUp();
        folder = QDir::tempPath() + QStringLiteral("/ravlin-rec-%1").arg(ravlin.Pid());
        QDir().mkpath(folder);
    }
    void TearDown() override { QDir(folder).removeRecursively(); }

    static void Key(const QString& keys) { Xdotool({"key", keys}); }
    CSoundServer sound;
    QString folder;
};

TEST_F(RecordingE2e, RecordsInkPointerHaloAndTheMicrophoneAcrossAPause) {
    Xdotool({"mousemove", "300", "200"});
    Key("alt+shift+r");
    const QString movie = folder + "/movie.wmv";
    ASSERT_TRUE(SaveAs(movie));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(movie); }, 5000));

    Key("alt+shift+p");
    Drag({200, 300}, {800, 300});
    RecordFor(1000);
    Key("F9");
    RecordFor(1500);
    Key("F9");
    Xdotool({"mousemove", "600", "450"});
    RecordFor(1500);
    Key("alt+shift+r");
    ASSERT_TRUE(WaitFor([&] { return IsFinished(movie); }, 15000)) << "the file is incomplete";

    const QSize screen = g_session->ScreenSize();
    EXPECT_EQ(Probe(movie, "stream=codec_name"), "wmv2\nwmav2");
    EXPECT_EQ(Probe(movie, "stream=width").toInt(), screen.width());
    EXPECT_EQ(Probe(movie, "stream=height").toInt(), screen.height());
    // The pause is not in the file: about 4 s of the 5.5 s the test took.
    EXPECT_LT(Probe(movie, "format=duration").toDouble(), 5.0);

    const QImage last = LastFrame(movie);
    ASSERT_FALSE(last.isNull());
    const QRgb ink = last.pixel(500, 300);
    EXPECT_TRUE(qRed(ink) > 150 && qGreen(ink) < 110 && qBlue(ink) < 110)
        << ColourText(ink).toStdString();
    // The halo: yellow at half strength over the witness window, right of the pointer's middle.
    const QRgb halo = last.pixel(616, 458);
    EXPECT_TRUE(ColourNear(halo, qRgb(147, 187, 100), 40)) << ColourText(halo).toStdString();
    const QRgb away = last.pixel(680, 458);
    EXPECT_TRUE(ColourNear(away, CWitnessWindow::kColour, 30)) << ColourText(away).toStdString();
    // The tone, not silence.
    EXPECT_GT(MeanVolumeDb(movie), -30.0);
}

TEST_F(RecordingE2e, ClipRegionUnwritableFolderAndASignalDuringARecording) {
    // F9 while idle selects the region the recordings are limited to (the drag waits for the
    // region tool's pointer).
    EXPECT_TRUE(ChangesPointerShape({400, 250}, [] { Key("F9"); }));
    Xdotool({"mousemove", "400", "250", "mousedown", "1", "sleep", "0.05", "mousemove", "720",
             "490", "sleep", "0.05", "mouseup", "1"});

    QFile plain(folder + "/plain");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    Key("alt+shift+r");
    ASSERT_TRUE(SaveAs(plain.fileName() + "/movie.wmv"));
    QString warning;
    ASSERT_TRUE(WaitForWindow("Warning", &warning)) << "no warning for a file that cannot be made";
    Xdotool({"windowfocus", "--sync", warning});
    Key("Return");
    ASSERT_TRUE(WaitFor([] { return FindWindows("^Warning$").isEmpty(); }));
    ASSERT_TRUE(ravlin.IsRunning());

    const QString movie = folder + "/region.wmv";
    Key("alt+shift+r");
    ASSERT_TRUE(SaveAs(movie));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(movie); }, 5000));
    RecordFor(2000);
    ravlin.Signal(SIGTERM);
    ASSERT_TRUE(ravlin.WaitForExit(20000));
    ASSERT_TRUE(IsFinished(movie)) << "a signal must not leave the file unfinished";
    const int scale = ProgramScale();
    EXPECT_EQ(Probe(movie, "stream=width").toInt(), 320 * scale);
    EXPECT_EQ(Probe(movie, "stream=height").toInt(), 240 * scale);
}

TEST_F(RecordingE2e, ASoundServerThatDiesCostsNeitherThePictureNorTheProgram) {
    const QString movie = folder + "/lost.wmv";
    Key("alt+shift+r");
    ASSERT_TRUE(SaveAs(movie));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(movie); }, 5000));
    RecordFor(1500);
    sound.Kill();
    RecordFor(2000);
    Key("alt+shift+r");
    ASSERT_TRUE(WaitFor([&] { return IsFinished(movie); }, 15000)) << "the file is incomplete";
    EXPECT_TRUE(ravlin.IsRunning());
    // The picture goes on after the sound stopped.
    const QString lastPicture = QString::fromUtf8(
        g_session->Run("ffprobe", {"-v", "error", "-select_streams", "v", "-show_entries",
                                   "packet=pts_time", "-of", "csv=p=0", movie}));
    EXPECT_GT(lastPicture.trimmed().split('\n').last().toDouble(), 3.0);
}

// The toolbar window: 42 pixels thick (times the program's scale).
QRect ToolbarGeometry() {
    const int thickness = 42 * ProgramScale();
    for (const QString& id : FindWindows("^ravlin$", true)) {
        const QRect r = WindowGeometry(id);
        if (r.height() == thickness || r.width() == thickness)
            return r;
    }
    return {};
}

// A file the writer has finished: its size has settled and it states a duration.
bool Settled(const QString& path, const std::function<QString(const QString&)>& probe) {
    const qint64 before = QFileInfo(path).size();
    QElapsedTimer timer;
    timer.start();
    WaitFor([&] { return timer.elapsed() >= 1000; }, 2000);
    return before > 0 && QFileInfo(path).size() == before && probe(path).toDouble() > 0.5;
}

TEST_F(RecordingE2e, Mp4AndWebMWithTheRecordedTimeBesideTheStopButton) {
    struct Case {
        const char* name;
        const char* codecs;
    } cases[] = {{"movie.mp4", "h264\naac"}, {"movie.webm", "vp8\nopus"}};
    const int scale = ProgramScale();
    const QRect idle = ToolbarGeometry();
    ASSERT_TRUE(idle.isValid());
    // The notice that this desktop has no tray stands in the top-right corner for a while, over
    // where the grown toolbar reaches: let it go first.
    const QRect grownReach = idle.adjusted(0, 0, 120 * scale, 0);
    EXPECT_TRUE(WaitFor(
        [&] {
            for (const QString& id : FindWindows("^Ravlin$")) {
                const QRect r = WindowGeometry(id);
                if (r.intersects(grownReach) && r.width() < g_session->ScreenSize().width() / 2)
                    return false;
            }
            return true;
        },
        30000));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString movie = folder + "/" + c.name;
        Key("alt+shift+r");
        ASSERT_TRUE(SaveAs(movie));
        ASSERT_TRUE(WaitFor([&] { return QFile::exists(movie); }, 5000));
        // The toolbar grows by the time and the dot beside the stop button.
        QRect recording;
        ASSERT_TRUE(WaitFor(
            [&] {
                recording = ToolbarGeometry();
                return recording.width() > idle.width();
            },
            5000));
        EXPECT_EQ(recording.topLeft(), idle.topLeft());
        QElapsedTimer recorded;
        recorded.start();
        // The dot: right of the stop button, which takes the record button's place. It blinks:
        // screenshots at an uneven pace see it lit and out.
        const QPoint dot = recording.topLeft() + QPoint(616, 21) * scale;
        bool lit = false, out = false;
        for (int i = 0; i < 20 && !(lit && out); ++i) {
            const QRgb p = g_session->Screenshot().pixel(dot);
            (qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80 ? lit : out) = true;
            RecordFor(170 + 60 * (i % 3));
        }
        EXPECT_TRUE(lit && out) << "lit " << lit << ", out " << out;
        RecordFor(500);
        Key("F9");
        RecordFor(1500);
        Key("F9");
        RecordFor(1000);
        Key("alt+shift+r");
        const double runSeconds = recorded.elapsed() / 1000.0;
        ASSERT_TRUE(WaitFor([&] { return ToolbarGeometry() == idle; }, 15000))
            << "the toolbar takes its own size again";
        ASSERT_TRUE(WaitFor(
            [&] {
                return Settled(movie, [](const QString& p) { return Probe(p, "format=duration"); });
            },
            15000))
            << "the file is incomplete";
        EXPECT_EQ(Probe(movie, "stream=codec_name"), c.codecs);
        EXPECT_EQ(Probe(movie, "stream=width").toInt(), g_session->ScreenSize().width());
        // The 1.5-s pause is not in the file.
        EXPECT_LT(Probe(movie, "format=duration").toDouble(), runSeconds - 1.0);
        EXPECT_GT(MeanVolumeDb(movie), -30.0) << "the tone, not silence";
    }
}

// GStreamer and the microphone are started after the overlay shows: the Record command that
// starts the program must find them all the same, with the tray icon made meanwhile.
TEST(RecordAtStartE2e, TheRecordCommandThatStartsRavlinRecordsPictureAndSound) {
    CSoundServer sound;
    ASSERT_TRUE(sound.IsReady()) << "the test sound server did not start";
    ForgetSettings();
    CRavlinUnderTest ravlin;
    ASSERT_TRUE(ravlin.Start({"--command", "record"}));
    const QString folder = QDir::tempPath() + QStringLiteral("/ravlin-rec-%1").arg(ravlin.Pid());
    QDir().mkpath(folder);
    const QString movie = folder + "/first.wmv";
    ASSERT_TRUE(SaveAs(movie)) << ravlin.Output().toStdString();
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(movie); }, 5000));
    RecordFor(2000);
    ASSERT_TRUE(ravlin.RunCommand("record"));
    ASSERT_TRUE(WaitFor([&] { return IsFinished(movie); }, 15000)) << "the file is incomplete";
    EXPECT_EQ(Probe(movie, "stream=codec_name"), "wmv2\nwmav2");
    EXPECT_GT(MeanVolumeDb(movie), -30.0) << "the tone, not silence";
    EXPECT_TRUE(ravlin.IsRunning());
    QDir(folder).removeRecursively();
}

} // namespace

// Screen recording with the real program: the record shortcut, the Save As dialog, ink, a
// pause, a clip region, a folder that cannot be written, and a recording ended by a signal.
// The files are read back with ffprobe and ffmpeg.
#include "CSoundServer.h"
#include "E2eSession.h"
#include "RecordingSteps.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>

namespace {

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
    static double MeanVolumeDb(const QString& path) {
        int code = 0;
        // volumedetect reports on the error channel; ffmpeg's own verbosity is kept for it.
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-hide_banner", "-i", path, "-map", "0:a", "-af", "volumedetect",
                                "-f", "null", "-"});
        ffmpeg.waitForFinished(60000);
        (void)code;
        const QString text = QString::fromUtf8(ffmpeg.readAllStandardError());
        const QRegularExpressionMatch m =
            QRegularExpression("mean_volume: (-?[0-9.]+) dB").match(text);
        return m.hasMatch() ? m.captured(1).toDouble() : -1000;
    }

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
    // F9 while idle selects the region the recordings are limited to.
    Key("F9");
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

} // namespace

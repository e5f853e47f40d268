// The recording commands with a scripted screen and dialogs, the real pipeline and a test tone
// as the microphone.
#include "CRecordingControl.h"
#include "CRecordingProfiles.h"
#include "CSmallDisk.h"
#include "CSoundDevices.h"
#include "GstHandles.h"
#include "StreamEnd.h"
#include "fake/CFakeDialogs.h"
#include "fake/CFakeScreenGrabber.h"

#include "QtPrinters.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gst/gst.h>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// A microphone whose end of stream never reaches the writer, as a hung sound device's: the
// file can then not be finished.
GstElement* SoundThatNeverEnds() {
    GstElement* bin =
        gst_parse_bin_from_description("audiotestsrc is-live=true ! identity", TRUE, nullptr);
    GstPad* pad = gst_element_get_static_pad(bin, "src");
    gst_pad_add_probe(
        pad, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM,
        [](GstPad*, GstPadProbeInfo* info, gpointer) {
            return GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_EOS
                       ? GST_PAD_PROBE_DROP
                       : GST_PAD_PROBE_OK;
        },
        nullptr, nullptr);
    gst_object_unref(pad);
    return bin;
}

// Takes a GStreamer element away for as long as it lives, as if its plugin were not
// installed; it comes back registered anew.
class CHiddenElement {
public:
    explicit CHiddenElement(const char* name) : m_name(name) {
        GstPtr<GstElementFactory> factory(gst_element_factory_find(name));
        if (!factory)
            return;
        GstPluginFeature* loaded = gst_plugin_feature_load(GST_PLUGIN_FEATURE(factory.get()));
        if (!loaded)
            return;
        m_type = gst_element_factory_get_element_type(GST_ELEMENT_FACTORY(loaded));
        m_rank = gst_plugin_feature_get_rank(loaded);
        m_plugin = gst_plugin_feature_get_plugin(loaded);
        gst_registry_remove_feature(gst_registry_get(), loaded);
        gst_object_unref(loaded);
    }
    ~CHiddenElement() {
        if (m_plugin) {
            gst_element_register(m_plugin, m_name, m_rank, m_type);
            gst_object_unref(m_plugin);
        }
    }
    CHiddenElement(const CHiddenElement&) = delete;
    CHiddenElement& operator=(const CHiddenElement&) = delete;

private:
    const char* m_name;
    GType m_type = 0;
    guint m_rank = 0;
    GstPlugin* m_plugin = nullptr;
};

// A screen of fresh noise at every grab: the costliest picture to store, so a recording of it
// fills a small disk within seconds.
class CNoiseGrabber : public CFakeScreenGrabber {
public:
    using CFakeScreenGrabber::CFakeScreenGrabber;
    QImage Grab(const QRect& rect) override {
        QImage noise(rect.size(), QImage::Format_RGB32);
        for (int y = 0; y < noise.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(noise.scanLine(y));
            for (int x = 0; x < noise.width(); ++x) {
                m_seed = m_seed * 1664525u + 1013904223u;
                row[x] = 0xff000000u | (m_seed >> 8);
            }
        }
        SetScreen(noise);
        return CFakeScreenGrabber::Grab(rect);
    }

private:
    std::uint32_t m_seed = 12345;
};

class RecordingControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(CSoundDevices::InitMedia());
        qputenv("RAVLIN_SOUND_SOURCE", "audiotestsrc is-live=true");
        MakeControl(grabber);
    }
    void MakeControl(IScreenGrabber& screen, CRecordingControl::SoundSourceFactory sound = {}) {
        control.reset();
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
        host.screenRects = [this] { return screens; };
        control = std::make_unique<CRecordingControl>(
            dialogs, screen,
            CRecordingControl::Flags{recordPointer, qualityPreset, recording, paused,
                                     hasSoundDevice},
            host, std::move(sound));
        QObject::connect(control.get(), &CRecordingControl::TrayTipChanged,
                         [this](const QString& tip) { tips << tip; });
    }
    void TearDown() override { qunsetenv("RAVLIN_SOUND_SOURCE"); }

    static void Wait(int ms) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms)
            QThread::msleep(20);
    }
    // Lets the program's timers run (the pipeline's poll among them).
    static void Run(int ms) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    static bool RunUntil(const std::function<bool()>& condition, int ms) {
        QElapsedTimer timer;
        timer.start();
        while (!condition() && timer.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return condition();
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
    QList<QRect> screens{QRect(0, 0, 640, 480)};
    int recordPointer = 1, qualityPreset = 0, recording = 0, paused = 0, hasSoundDevice = 0;
    int pointerModes = 0;
    QStringList toolbar;
    QStringList timeShown;
    QStringList tips;
    std::unique_ptr<CRecordingControl> control;
};

} // namespace

TEST_F(RecordingControlTest, BuildingTheGraphWritesTheProfileAndOpensNothing) {
    clip = QRect(100, 50, 320, 200);
    control->BuildRecordingGraph();
    EXPECT_TRUE(control->HasRecordingGraph());
    EXPECT_EQ(grabber.GrabCount(), 0);
    EXPECT_EQ(hasSoundDevice, 0) << "the microphone is looked for later, off the start";
    const auto profile = CRecordingProfiles::LoadRecordingProfile(control->ProfilePath(), true);
    ASSERT_TRUE(profile && profile->picture);
    // The profile carries the frames' size, the clip region's.
    EXPECT_EQ(profile->picture->width, 320);
    EXPECT_EQ(profile->picture->height, 200);
}

TEST_F(RecordingControlTest, TheFirstRecordingLooksForTheMicrophoneItself) {
    // Nothing looked for it when the graph was built: the recording does, and records it.
    dialogs.saveAnswer = dir.path() + "/first.wmv";
    control->BuildRecordingGraph();
    ASSERT_EQ(hasSoundDevice, 0);
    control->OnCmdRecord();
    ASSERT_EQ(recording, 1) << dialogs.warnings.join("\n").toStdString();
    EXPECT_EQ(hasSoundDevice, 1);
    Run(1500);
    control->OnCmdRecord();
    ASSERT_TRUE(control->WaitForFinish(30s));
    EXPECT_GT(StreamEndSeconds(dir.path() + "/first.wmv", "v"), 0.5);
    EXPECT_GT(StreamEndSeconds(dir.path() + "/first.wmv", "a"), 0.5);
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

// A Wayland desktop asked to share the screen answers in its own time: meanwhile the toolbar and
// the tray say that the program waits, and the recording commands start nothing more.
TEST_F(RecordingControlTest, WhileTheDesktopIsAskedTheCommandsWaitAndItsNoIsTold) {
    dialogs.saveAnswer = dir.filePath("asked.webm");
    grabber.onBegin = [this](QString* reason) {
        EXPECT_TRUE(control->IsAskingDesktop());
        Run(400); // the desktop shows its question; the program handles events meanwhile
        control->OnCmdRecord();
        EXPECT_TRUE(control->OnCmdPauseWhileRecording());
        control->OnCmdRecordMouse();
        *reason = "The desktop did not let Ravlin record the screen.";
        return false;
    };
    control->OnCmdRecord();
    EXPECT_EQ(grabber.begins, 1);
    EXPECT_EQ(dialogs.saveDialogs.size(), 1);
    EXPECT_TRUE(timeShown.contains(QString::fromUtf8("Starting\u2026 0 1")))
        << timeShown.join(", ").toStdString();
    EXPECT_TRUE(tips.contains("Ravlin - waiting for the desktop to share the screen"));
    EXPECT_EQ(timeShown.last(), "00:00:00 0 0");
    EXPECT_EQ(dialogs.warnings,
              QStringList{"Warning: The desktop did not let Ravlin record the screen."});
    EXPECT_EQ(recordPointer, 1);
    EXPECT_EQ(paused, 0);
    EXPECT_EQ(recording, 0);
    EXPECT_FALSE(control->IsAskingDesktop());
    EXPECT_FALSE(QFile::exists(dir.filePath("asked.webm")));
}

TEST_F(RecordingControlTest, UnwritableFileWarnsAndASecondNameRecords) {
    QFile plain(dir.path() + "/plain");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString blocked = plain.fileName() + "/movie.wmv";
    dialogs.saveAnswer = blocked;
    control->OnCmdRecord();
    EXPECT_EQ(recording, 0);
    // The system's words, and the cause below them.
    EXPECT_EQ(dialogs.warnings,
              QStringList{"Warning: Movie \"" + blocked +
                          "\"\r\n is in use. please close other application like Windows Media "
                          "Player,\r\nor record as another movie.\r\n\r\nThe file cannot be "
                          "created: Not a directory."});
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
    ASSERT_TRUE(control->WaitForFinish(30s));
    EXPECT_EQ(Probe(dir.path() + "/second.wmv", "stream=codec_name"), "wmv2\nwmav2");
}

TEST_F(RecordingControlTest, FinishingAtExitCompletesTheFile) {
    dialogs.saveAnswer = dir.path() + "/exit.wmv";
    control->OnCmdRecord();
    ASSERT_TRUE(control->IsRunning());
    Wait(1500);
    EXPECT_EQ(control->FinishRecording(), "");
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
    // Stopped, the file is saved while the toolbar and the tip say so.
    control->OnCmdRecord();
    EXPECT_EQ(tips.last(), "Ravlin - saving the recording");
    EXPECT_EQ(timeShown.last(), QString::fromUtf8("Saving\u2026 0 1"));
    ASSERT_TRUE(control->WaitForFinish(30s));
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
        ASSERT_TRUE(control->WaitForFinish(30s)) << c.typed;
        EXPECT_EQ(Probe(dir.path() + "/" + c.written, "stream=codec_name"), c.codecs) << c.typed;
    }
}

TEST_F(RecordingControlTest, AStartThatFailsNamesItsCause) {
    QFile plain(dir.path() + "/plain");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString movie = dir.path() + "/movie.wmv";
    const QString profileFolder = QFileInfo(control->ProfilePath()).absolutePath();
    std::unique_ptr<CHiddenElement> hidden;
    struct Case {
        const char* name;
        std::function<QString()> prepare; // the path to record to
        QString warning;                  // the text below the headline; empty: it records
        QString notice;
    } cases[] = {
        {"a missing video encoder",
         [&] {
             hidden = std::make_unique<CHiddenElement>("avenc_wmv2");
             return movie;
         },
         "Movie \"" + movie +
             "\" could not be recorded.\r\n\r\nGStreamer's avenc_wmv2 is missing: install "
             "gstreamer1.0-libav.",
         ""},
        {"a missing sound encoder: the picture is recorded",
         [&] {
             hidden = std::make_unique<CHiddenElement>("avenc_wmav2");
             return movie;
         },
         "",
         "The sound cannot be recorded (GStreamer's avenc_wmav2 is missing: install "
         "gstreamer1.0-libav). This recording has the picture only."},
        {"a folder that cannot be written", [&] { return plain.fileName() + "/movie.wmv"; },
         CRecordingControl::InUseWarning(plain.fileName() + "/movie.wmv") +
             "\r\n\r\nThe file cannot be created: Not a directory.",
         ""},
        {"a profile file that cannot be written",
         [&] {
             // Where the profile's folder should be there is a file.
             QDir(profileFolder).removeRecursively();
             QFile blocker(profileFolder);
             blocker.open(QIODevice::WriteOnly);
             return movie;
         },
         "Movie \"" + movie + "\" could not be recorded.\r\n\r\nThe recording profile \"" +
             control->ProfilePath() + "\" cannot be written: the folder \"" + profileFolder +
             "\" cannot be made.",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.warnings.clear();
        dialogs.notices.clear();
        QFile::remove(movie);
        dialogs.saveAnswer = c.prepare();
        control->OnCmdRecord();
        EXPECT_EQ(recording, c.warning.isEmpty() ? 1 : 0);
        EXPECT_EQ(dialogs.warnings,
                  c.warning.isEmpty() ? QStringList() : QStringList{"Warning: " + c.warning});
        EXPECT_EQ(dialogs.notices, c.notice.isEmpty() ? QStringList() : QStringList{c.notice});
        if (recording) {
            Run(500);
            control->OnCmdRecord();
            ASSERT_TRUE(control->WaitForFinish(30s));
            EXPECT_EQ(Probe(movie, "stream=codec_name"), "wmv2");
        }
        hidden.reset();
        QFile::remove(profileFolder);
    }
}

TEST_F(RecordingControlTest, AnEndOfStreamThatNeverArrivesLeavesTheUserInterfaceFree) {
    MakeControl(grabber, SoundThatNeverEnds);
    control->SetFinishTimeout(2s);
    dialogs.saveAnswer = dir.path() + "/hung.wmv";
    control->OnCmdRecord();
    ASSERT_TRUE(control->IsRunning());
    Run(800);

    QElapsedTimer stopping;
    stopping.start();
    control->OnCmdRecord();
    EXPECT_LT(stopping.elapsed(), 100) << "the stop waited for the file";
    EXPECT_EQ(recording, 0);
    EXPECT_EQ(toolbar.mid(toolbar.size() - 2), (QStringList{"record 0", "pause 0 0"}));
    // The toolbar and the tray say the file is being saved...
    EXPECT_TRUE(control->IsFinishing());
    EXPECT_EQ(timeShown.last(), QString::fromUtf8("Saving\u2026 0 1"));
    EXPECT_EQ(tips.last(), "Ravlin - saving the recording");
    // ...while the program goes on handling its events...
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(10);
    Run(300);
    EXPECT_GE(ticks, 15);
    // ...and Record waits until it is saved.
    control->OnCmdRecord();
    EXPECT_EQ(recording, 0);
    EXPECT_EQ(dialogs.saveDialogs.size(), 1);
    EXPECT_EQ(dialogs.notices,
              QStringList{"The last recording is still being saved to \"" + dir.path() +
                          "/hung.wmv\". Record again once it is "
                          "saved."});

    EXPECT_TRUE(RunUntil([&] { return !control->IsFinishing(); }, 10000));
    EXPECT_EQ(dialogs.warnings, QStringList{"Warning: The recording could not be finished: the "
                                            "writer did not finish in time"});
    EXPECT_EQ(tips.last(), "Ravlin");
    EXPECT_EQ(timeShown.last(), "00:00:00 0 0");
}

TEST_F(RecordingControlTest, ExitWaitsForTheFileAtMostItsTimeAndSaysSoWhenItGivesUp) {
    // The finisher's thread outlives the test's wait: its screen must too.
    auto* screen = new CFakeScreenGrabber(QSize(640, 480)); // left to the process's end
    MakeControl(*screen, SoundThatNeverEnds);
    control->SetFinishTimeout(1500ms);
    dialogs.saveAnswer = dir.path() + "/exit.wmv";
    control->OnCmdRecord();
    ASSERT_TRUE(control->IsRunning());
    Run(500);
    QElapsedTimer exiting;
    exiting.start();
    const QString said = control->FinishRecording(true, 300ms);
    EXPECT_LT(exiting.elapsed(), 1000);
    EXPECT_EQ(said, "The recording \"" + dir.path() +
                        "/exit.wmv\" was not finished within 0.3 seconds and may be incomplete.");
    EXPECT_FALSE(control->IsFinishing());
    EXPECT_EQ(recording, 0);
    // The finisher's thread gives up on the writer by itself; the test ends after it.
    Wait(2500);
}

TEST_F(RecordingControlTest, ARecordingStopsWhenWhatItRecordsIsNoLongerOnAMonitor) {
    // The capture is the 640 x 480 monitor on the left; another stands right of it.
    const QRect left(0, 0, 640, 480), right(640, 0, 800, 600);
    struct Case {
        const char* name;
        QList<QRect> after;
        bool stops;
    } cases[] = {
        {"its monitor unplugged", {right}, true},
        {"the other monitor unplugged", {left}, false},
        {"its monitor made smaller", {QRect(0, 0, 320, 240), right}, true},
        {"both made one larger monitor", {QRect(0, 0, 1440, 600)}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        screens = {left, right};
        dialogs.notices.clear();
        dialogs.warnings.clear();
        const QString movie = dir.path() + "/" + QString(c.name).replace(' ', '-') + ".wmv";
        dialogs.saveAnswer = movie;
        control->OnCmdRecord();
        ASSERT_TRUE(control->IsRunning());
        Run(1000);
        screens = c.after;
        control->CheckCaptureOnScreens();
        EXPECT_EQ(recording, c.stops ? 0 : 1);
        if (!c.stops) {
            EXPECT_TRUE(control->IsRunning());
            control->OnCmdRecord();
        } else {
            EXPECT_EQ(toolbar.mid(toolbar.size() - 2), (QStringList{"record 0", "pause 0 0"}));
        }
        ASSERT_TRUE(control->WaitForFinish(30s));
        // One notice for the stop, with its reason; the file plays.
        EXPECT_EQ(dialogs.notices,
                  c.stops ? QStringList{"The recording stopped: the area it recorded is no "
                                        "longer on any monitor. What was recorded up to there is "
                                        "in \"" +
                                        movie + "\"."}
                          : QStringList());
        EXPECT_TRUE(dialogs.warnings.isEmpty()) << dialogs.warnings.join('\n').toStdString();
        EXPECT_NEAR(Probe(movie, "format=duration").toDouble(), 1.0, 0.5);
    }
}

TEST_F(RecordingControlTest, AScreenThatCannotBeReadStopsTheRecordingAfterASecond) {
    const QString movie = dir.path() + "/unread.wmv";
    dialogs.saveAnswer = movie;
    control->OnCmdRecord();
    ASSERT_TRUE(control->IsRunning());
    Run(1000);
    // A screen smaller than the capture: every grab fails from now on.
    grabber.SetScreen(QImage(8, 8, QImage::Format_RGB32));
    QElapsedTimer failing;
    failing.start();
    ASSERT_TRUE(RunUntil([&] { return recording == 0; }, 5000));
    EXPECT_GE(failing.elapsed(), 900);
    EXPECT_LT(failing.elapsed(), 2500);
    EXPECT_EQ(toolbar.mid(toolbar.size() - 2), (QStringList{"record 0", "pause 0 0"}));
    ASSERT_TRUE(control->WaitForFinish(30s));
    EXPECT_EQ(dialogs.warnings,
              QStringList{"Warning: The recording stopped: the screen could not be read for a "
                          "second. What was recorded up to there is in \"" +
                          movie + "\"."});
    // The sound went on while the picture could not be read.
    const double recorded = Probe(movie, "format=duration").toDouble();
    EXPECT_NEAR(recorded, 2.2, 0.7);
    EXPECT_NEAR(StreamEndSeconds(movie, "a"), StreamEndSeconds(movie, "v"), 0.3);
}

TEST_F(RecordingControlTest, ADiskThatIsAllButFullIsNotStartedOn) {
    CSmallDisk disk(8);
    if (!disk.IsMounted())
        GTEST_SKIP() << disk.WhyNot().toStdString();
    ASSERT_TRUE(disk.Fill(512 * 1024));
    const QString movie = disk.Path() + "/movie.wmv";
    dialogs.saveAnswer = movie;
    control->OnCmdRecord();
    EXPECT_EQ(recording, 0);
    EXPECT_EQ(dialogs.warnings, QStringList{"Warning: Movie \"" + movie +
                                            "\" could not be recorded.\r\n\r\nThe disk is full: "
                                            "512 KB free in \"" +
                                            disk.Path() + "\"."});
    EXPECT_FALSE(QFile::exists(movie));
}

TEST_F(RecordingControlTest, AFullDiskStopsTheRecordingAndTheProgramRecordsElsewhere) {
    CSmallDisk disk(16);
    if (!disk.IsMounted())
        GTEST_SKIP() << disk.WhyNot().toStdString();
    const QString movie = disk.Path() + "/full.webm";
    dialogs.saveAnswer = movie;
    control->OnCmdRecord();
    ASSERT_TRUE(control->IsRunning());
    Run(1000);
    // Another program takes what is left.
    ASSERT_TRUE(disk.Fill());
    ASSERT_TRUE(RunUntil([&] { return recording == 0; }, 5000));
    ASSERT_TRUE(control->WaitForFinish(30s));
    ASSERT_EQ(dialogs.warnings.size(), 1);
    EXPECT_TRUE(dialogs.warnings[0].startsWith("Warning: The recording stopped: the disk is full"))
        << dialogs.warnings[0].toStdString();
    EXPECT_TRUE(dialogs.warnings[0].contains(movie)) << dialogs.warnings[0].toStdString();
    EXPECT_GT(StreamEndSeconds(movie, "v"), 0.3) << "what was written before plays";

    // Nothing is stuck: the next recording goes elsewhere.
    dialogs.saveAnswer = dir.path() + "/next.webm";
    control->OnCmdRecord();
    ASSERT_TRUE(control->IsRunning());
    Run(700);
    control->OnCmdRecord();
    ASSERT_TRUE(control->WaitForFinish(30s));
    EXPECT_EQ(dialogs.warnings.size(), 1);
    EXPECT_EQ(Probe(dir.path() + "/next.webm", "stream=codec_name"), "vp8\nopus");
}

TEST_F(RecordingControlTest, ARecordingThatFillsItsDiskStopsWhileItsFileCanBeFinished) {
    CSmallDisk disk(32);
    if (!disk.IsMounted())
        GTEST_SKIP() << disk.WhyNot().toStdString();
    ASSERT_TRUE(disk.Fill(12 << 20));
    CNoiseGrabber noise(QSize(640, 480));
    MakeControl(noise);
    const QString movie = disk.Path() + "/noise.wmv";
    dialogs.saveAnswer = movie;
    control->OnCmdRecord();
    ASSERT_TRUE(control->IsRunning());
    QElapsedTimer recorded;
    recorded.start();
    ASSERT_TRUE(RunUntil([&] { return recording == 0; }, 30000)) << "it never stopped";
    const qint64 recordedMs = recorded.elapsed();
    ASSERT_TRUE(control->WaitForFinish(30s));
    ASSERT_EQ(dialogs.warnings.size(), 1);
    EXPECT_TRUE(
        dialogs.warnings[0].startsWith("Warning: The recording stopped: the disk is full ("))
        << dialogs.warnings[0].toStdString();
    EXPECT_TRUE(
        dialogs.warnings[0].endsWith("What was recorded up to there is in \"" + movie + "\"."))
        << dialogs.warnings[0].toStdString();
    // The writer never ran out of room: the file is finished and plays to its end.
    EXPECT_GT(disk.FreeBytes(), 0);
    const double duration = Probe(movie, "format=duration").toDouble();
    std::printf("filled its disk: stopped after %.1f s with %lld KB free; %.2f s in the file, "
                "%.2f s of picture decode\n",
                recordedMs / 1000.0, static_cast<long long>(disk.FreeBytes() / 1024), duration,
                StreamEndSeconds(movie, "v"));
    EXPECT_NEAR(duration, recordedMs / 1000.0, 1.0);
    EXPECT_NEAR(StreamEndSeconds(movie, "v"), duration, 0.3);
}

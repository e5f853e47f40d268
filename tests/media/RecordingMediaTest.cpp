// Recordings through the real pipeline: our screen source over a scripted screen, a test tone
// as the microphone, the real encoders and writer; the files are read back with ffprobe.
#include "../unit/recording/CSmallDisk.h"
#include "../unit/recording/StreamEnd.h"
#include "CRecordingEncoders.h"
#include "CRecordingPipeline.h"
#include "CRecordingProfiles.h"
#include "CScreen.h"
#include "CSoundDevices.h"
#include "fake/CFakeScreenGrabber.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <vector>

namespace {

// A scripted screen that, unless told to stand still, changes at every grab, like a video
// playing: every frame interval then has a picture of its own.
class CMovingScreenGrabber : public CFakeScreenGrabber {
public:
    using CFakeScreenGrabber::CFakeScreenGrabber;
    std::atomic<bool> moving{true};
    // While set, the screen cannot be read.
    std::atomic<bool> failing{false};
    QImage Grab(const QRect& rect) override {
        if (failing.load())
            return {};
        if (moving.load()) {
            QImage screen(640, 480, QImage::Format_RGB32);
            screen.fill(QColor::fromHsv(++m_step * 7 % 360, 200, 200));
            SetScreen(screen);
        }
        return CFakeScreenGrabber::Grab(rect);
    }

private:
    int m_step = 0;
};

// A detailed full-HD screen scrolling at every grab: costly to encode, so the encoder often
// still works on one frame when the next arrives.
class CScrollingNoiseGrabber : public CFakeScreenGrabber {
public:
    CScrollingNoiseGrabber() : CFakeScreenGrabber(QSize(1920, 1080)) {
        m_noise = QImage(2 * 1920, 1080, QImage::Format_RGB32);
        std::uint32_t seed = 12345;
        for (int y = 0; y < m_noise.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(m_noise.scanLine(y));
            for (int x = 0; x < m_noise.width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                row[x] = 0xff000000u | (seed >> 8);
            }
        }
    }
    QImage Grab(const QRect& rect) override {
        m_offset = (m_offset + 37) % 1920;
        SetScreen(m_noise.copy(m_offset, 0, 1920, 1080));
        return CFakeScreenGrabber::Grab(rect);
    }

private:
    QImage m_noise;
    int m_offset = 0;
};

struct Probe {
    QJsonObject video, audio, format;
    int frames = 0;
};

// ffprobe's view of a file, with the video frames counted by decoding them.
Probe ProbeFile(const QString& path) {
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-count_frames", "-show_streams", "-show_format",
                              "-of", "json", path});
    ffprobe.waitForFinished(60000);
    const QJsonObject root = QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object();
    Probe probe;
    for (const QJsonValue& s : root["streams"].toArray()) {
        const QJsonObject stream = s.toObject();
        if (stream["codec_type"] == "video") {
            probe.video = stream;
            probe.frames = stream["nb_read_frames"].toString().toInt();
        } else if (stream["codec_type"] == "audio") {
            probe.audio = stream;
        }
    }
    probe.format = root["format"].toObject();
    return probe;
}

double Seconds(const QJsonObject& o, const char* key) {
    return o[key].toString().toDouble();
}

// The start times of a stream's packets ("v" or "a"), in order.
std::vector<double> PacketTimes(const QString& path, const char* stream) {
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-select_streams", stream, "-show_entries",
                              "packet=pts_time", "-of", "csv=p=0", path});
    ffprobe.waitForFinished(60000);
    std::vector<double> times;
    for (const QByteArray& line : ffprobe.readAllStandardOutput().split('\n'))
        if (!line.trimmed().isEmpty())
            times.push_back(line.trimmed().toDouble());
    return times;
}

class RecordingMediaTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CSoundDevices::InitMedia()); }

    // Records `seconds` of the scripted screen, with a 440 Hz tone when `withSound`.
    std::optional<RecordingProfile> Profile(int preset, bool withSound) {
        const QString profilePath = dir.path() + "/wmv.prx";
        if (!CRecordingProfiles::WriteProfileFile(profilePath, preset, screen.FrameSize()))
            return std::nullopt;
        return CRecordingProfiles::LoadRecordingProfile(profilePath, withSound);
    }
    static GstElement* Tone() {
        return gst_parse_bin_from_description("audiotestsrc is-live=true freq=440 volume=0.5", TRUE,
                                              nullptr);
    }
    static void Wait(int ms) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms)
            QThread::msleep(20);
    }

    QTemporaryDir dir;
    CMovingScreenGrabber grabber{QSize(640, 480)};
    CScreen screen{grabber};
};

} // namespace

TEST_F(RecordingMediaTest, EachPresetWritesItsPictureAndSoundFormat) {
    struct Case {
        int preset;
        const char* frameRate;
        const char* sampleRate;
    } cases[] = {{0, "25/1", "22050"}, {1, "10/1", "44100"}, {2, "10/1", "22050"}};
    screen.SetCaptureRegion(QRect(0, 0, 640, 480), 16, 8, 320, 240);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.preset);
        const auto profile = Profile(c.preset, true);
        ASSERT_TRUE(profile);
        const QString path = dir.path() + QStringLiteral("/preset%1.wmv").arg(c.preset);
        CRecordingPipeline pipeline(screen);
        QString why;
        ASSERT_TRUE(pipeline.Start(path, *profile, Tone, &why)) << why.toStdString();
        Wait(2000);
        ASSERT_TRUE(pipeline.Stop(&why)) << why.toStdString();

        const Probe probe = ProbeFile(path);
        EXPECT_EQ(probe.format["format_name"].toString(), "asf");
        EXPECT_EQ(probe.video["codec_name"].toString(), "wmv2");
        EXPECT_EQ(probe.video["width"].toInt(), 320);
        EXPECT_EQ(probe.video["height"].toInt(), 240);
        EXPECT_EQ(probe.video["r_frame_rate"].toString(), c.frameRate);
        EXPECT_EQ(probe.audio["codec_name"].toString(), "wmav2");
        EXPECT_EQ(probe.audio["sample_rate"].toString(), c.sampleRate);
        EXPECT_EQ(probe.audio["channels"].toInt(), 2);
        EXPECT_NEAR(Seconds(probe.format, "duration"), 2.0, 0.5);
        // The time line holds a frame for every frame interval.
        const double rate = c.preset == 0 ? 25 : 10;
        EXPECT_NEAR(probe.frames, 2.0 * rate, rate * 0.5);
    }
}

TEST_F(RecordingMediaTest, WithoutSoundDeviceThePictureIsAlone) {
    screen.SetCaptureRegion(QRect(0, 0, 640, 480), 0, 0, 0, 0);
    const auto profile = Profile(1, false);
    ASSERT_TRUE(profile);
    const QString path = dir.path() + "/silent.wmv";
    CRecordingPipeline pipeline(screen);
    // A sound source offered anyway is not used when the profile has no sound stream.
    ASSERT_TRUE(pipeline.Start(path, *profile, Tone));
    Wait(1500);
    ASSERT_TRUE(pipeline.Stop());
    const Probe probe = ProbeFile(path);
    EXPECT_EQ(probe.video["codec_name"].toString(), "wmv2");
    EXPECT_EQ(probe.video["width"].toInt(), 640);
    EXPECT_EQ(probe.video["height"].toInt(), 480);
    EXPECT_TRUE(probe.audio.isEmpty());
}

TEST_F(RecordingMediaTest, APauseLeavesNoGapInPictureOrSound) {
    screen.SetCaptureRegion(QRect(0, 0, 640, 480), 0, 0, 320, 240);
    const auto profile = Profile(0, true);
    ASSERT_TRUE(profile);
    const QString path = dir.path() + "/paused.wmv";
    CRecordingPipeline pipeline(screen);
    ASSERT_TRUE(pipeline.Start(path, *profile, Tone));
    Wait(1000);
    pipeline.Pause();
    Wait(3000);
    pipeline.Resume();
    Wait(1000);
    ASSERT_TRUE(pipeline.Stop());
    const Probe probe = ProbeFile(path);
    // Two seconds were recorded; the three paused ones are in neither stream.
    EXPECT_NEAR(StreamEndSeconds(path, "v"), 2.0, 0.6);
    EXPECT_NEAR(StreamEndSeconds(path, "a"), 2.0, 0.6);
    EXPECT_NEAR(probe.frames, 50, 15);
}

TEST_F(RecordingMediaTest, AMicrophoneThatFailsLeavesThePictureRecording) {
    // The failure is seen while recording (the program polls), or only when the user stops.
    for (bool pollFirst : {true, false}) {
        SCOPED_TRACE(pollFirst);
        screen.SetCaptureRegion(QRect(0, 0, 640, 480), 0, 0, 320, 240);
        const auto profile = Profile(2, true);
        ASSERT_TRUE(profile);
        const QString path = dir.path() + QStringLiteral("/lost%1.wmv").arg(pollFirst);
        static GstElement* source = nullptr;
        CRecordingPipeline pipeline(screen);
        ASSERT_TRUE(pipeline.Start(path, *profile, [] { return source = Tone(); }));
        Wait(1000);
        // What a sound server that goes away does: an error, and no more sound or events.
        GError* error =
            g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ, "Disconnected");
        gst_element_post_message(source, gst_message_new_error(GST_OBJECT(source), error, "test"));
        g_error_free(error);
        gst_element_set_locked_state(source, TRUE);
        gst_element_set_state(source, GST_STATE_NULL);
        if (pollFirst) {
            QString said;
            for (int i = 0; i < 100 && said.isEmpty(); ++i) {
                said = pipeline.PollMessages();
                QThread::msleep(10);
            }
            EXPECT_TRUE(said.contains("picture only")) << said.toStdString();
            EXPECT_TRUE(pipeline.IsRunning());
        }
        Wait(1500);
        QElapsedTimer stopping;
        stopping.start();
        ASSERT_TRUE(pipeline.Stop());
        EXPECT_LT(stopping.elapsed(), 5000);
        const Probe probe = ProbeFile(path);
        EXPECT_NEAR(StreamEndSeconds(path, "v"), 2.5, 0.6);
        EXPECT_NEAR(StreamEndSeconds(path, "a"), 1.0, 0.6);
        EXPECT_NEAR(probe.frames, 25, 8); // Low: 10 frames a second
    }
}

TEST_F(RecordingMediaTest, AStillScreenIsEncodedOnlyWhenItChangesWithTheTimeLineKept) {
    // Found unchanged by comparing frames, or told so by the display server without a grab.
    for (bool damage : {false, true}) {
        SCOPED_TRACE(damage);
        grabber.SetReportsDamage(damage);
        // A slide for two seconds, then a stroke of ink, then still again.
        grabber.moving = false;
        QImage slide(640, 480, QImage::Format_RGB32);
        slide.fill(Qt::white);
        grabber.SetScreen(slide);
        screen.SetCaptureRegion(QRect(0, 0, 640, 480), 0, 0, 320, 240);
        const auto profile = Profile(0, true);
        ASSERT_TRUE(profile);
        const QString path = dir.path() + QStringLiteral("/slide%1.wmv").arg(damage);
        CRecordingPipeline pipeline(screen);
        ASSERT_TRUE(pipeline.Start(path, *profile, Tone));
        QElapsedTimer clock;
        clock.start();
        Wait(2000);
        const double inkAt = clock.elapsed() / 1000.0;
        slide.setPixelColor(300, 200, Qt::red);
        grabber.SetScreen(slide);
        Wait(1500);
        ASSERT_TRUE(pipeline.Stop());
        EXPECT_GT(pipeline.FramesMerged(), 40);

        // After the first second, whose every interval has a frame so that the file shows its
        // frame rate, few frames were encoded, yet the picture lasts as long as the sound...
        const std::vector<double> times = PacketTimes(path, "v");
        EXPECT_EQ(ProbeFile(path).video["r_frame_rate"].toString(), "25/1");
        EXPECT_EQ(std::count_if(times.begin(), times.end(), [](double t) { return t < 0.99; }), 25);
        EXPECT_LT(std::count_if(times.begin(), times.end(), [](double t) { return t >= 0.99; }),
                  15);
        EXPECT_NEAR(StreamEndSeconds(path, "v"), 3.5, 0.4);
        EXPECT_NEAR(StreamEndSeconds(path, "v"), StreamEndSeconds(path, "a"), 0.15);
        // ...the ink shows from its own time on, not a held frame later...
        double inkShown = -1;
        QProcess ffprobe;
        ffprobe.start("ffprobe",
                      {"-v", "error", "-f", "lavfi", "-i",
                       "movie=" + path + ",crop=2:2:300:200,signalstats", "-show_entries",
                       "frame=pts_time:frame_tags=lavfi.signalstats.YAVG", "-of", "csv=p=0"});
        ffprobe.waitForFinished(60000);
        for (const QByteArray& line : ffprobe.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> fields = line.trimmed().split(',');
            // White is 235; a red pixel among the four pulls the mean well down.
            if (fields.size() >= 2 && fields[1].toDouble() < 225) {
                inkShown = fields[0].toDouble();
                break;
            }
        }
        EXPECT_NEAR(inkShown, inkAt, 0.25);
        // ...and no picture is held so long that the sound waits for it at the writer.
        for (size_t i = 1; i < times.size(); ++i)
            EXPECT_LE(times[i] - times[i - 1], 0.55) << "after " << times[i - 1];
    }
}

TEST_F(RecordingMediaTest, AFileThatCannotBeCreatedFailsTheStart) {
    screen.SetCaptureRegion(QRect(0, 0, 640, 480), 0, 0, 0, 0);
    const auto profile = Profile(0, true);
    ASSERT_TRUE(profile);
    QFile plain(dir.path() + "/plain");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    CRecordingPipeline pipeline(screen);
    QString why;
    EXPECT_FALSE(pipeline.Start(plain.fileName() + "/movie.wmv", *profile, Tone, &why));
    EXPECT_FALSE(pipeline.IsRunning());
    EXPECT_FALSE(why.isEmpty());
    // The same pipeline object records at the next try.
    EXPECT_TRUE(pipeline.Start(dir.path() + "/movie.wmv", *profile, Tone));
    Wait(500);
    EXPECT_TRUE(pipeline.Stop());
    EXPECT_EQ(ProbeFile(dir.path() + "/movie.wmv").video["codec_name"].toString(), "wmv2");
}

namespace {

// The top-level boxes of an MP4 file, in order (4-character types).
QStringList Mp4Boxes(const QString& path) {
    QFile file(path);
    QStringList boxes;
    if (!file.open(QIODevice::ReadOnly))
        return boxes;
    const QByteArray data = file.readAll();
    qsizetype at = 0;
    while (at + 8 <= data.size()) {
        const auto byte = [&](qsizetype i) { return quint64(quint8(data[at + i])); };
        quint64 size = (byte(0) << 24) | (byte(1) << 16) | (byte(2) << 8) | byte(3);
        boxes << QString::fromLatin1(data.mid(at + 4, 4));
        if (size == 1 && at + 16 <= data.size()) {
            size = 0;
            for (int i = 8; i < 16; ++i)
                size = (size << 8) | byte(i);
        }
        if (size < 8)
            break;
        at += qsizetype(size);
    }
    return boxes;
}

constexpr const char* kKillChildEnv = "RAVLIN_MEDIA_RECORD_UNTIL_KILLED";

} // namespace

TEST_F(RecordingMediaTest, Mp4AndWebMCarryTheProfilesPictureAndSound) {
    struct Case {
        const char* name;
        const char* format;
        const char* videoCodec;
        const char* audioCodec;
        const char* sampleRate; // Opus runs at 48 kHz only
    } cases[] = {{"movie.mp4", "mov,mp4,m4a,3gp,3g2,mj2", "h264", "aac", "22050"},
                 {"movie.webm", "matroska,webm", "vp8", "opus", "48000"}};
    screen.SetCaptureRegion(QRect(0, 0, 640, 480), 16, 8, 320, 240);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto profile = Profile(0, true); // 25 frames a second, 22050 Hz stereo
        ASSERT_TRUE(profile);
        const QString path = dir.path() + "/" + c.name;
        CRecordingPipeline pipeline(screen);
        QString why;
        ASSERT_TRUE(pipeline.Start(path, *profile, Tone, &why)) << why.toStdString();
        Wait(1000);
        // A pause inside the recording leaves no gap, in these containers too.
        pipeline.Pause();
        Wait(1000);
        pipeline.Resume();
        Wait(1000);
        ASSERT_TRUE(pipeline.Stop(&why)) << why.toStdString();

        const Probe probe = ProbeFile(path);
        EXPECT_EQ(probe.format["format_name"].toString(), c.format);
        EXPECT_EQ(probe.video["codec_name"].toString(), c.videoCodec);
        EXPECT_EQ(probe.video["width"].toInt(), 320);
        EXPECT_EQ(probe.video["height"].toInt(), 240);
        EXPECT_EQ(probe.video["r_frame_rate"].toString(), "25/1");
        EXPECT_EQ(probe.audio["codec_name"].toString(), c.audioCodec);
        EXPECT_EQ(probe.audio["sample_rate"].toString(), c.sampleRate);
        EXPECT_EQ(probe.audio["channels"].toInt(), 2);
        // Two seconds of picture; on a busy machine a late frame is covered by the one before
        // (fewer packets, the same time line), which the stream's end checks.
        EXPECT_GE(probe.frames, 10);
        EXPECT_LE(probe.frames, 62);
        EXPECT_NEAR(StreamEndSeconds(path, "v"), 2.0, 0.6);
        EXPECT_NEAR(StreamEndSeconds(path, "a"), 2.0, 0.6);
    }
    // The MP4 index comes before the picture, so the file plays while it downloads.
    const QStringList boxes = Mp4Boxes(dir.path() + "/movie.mp4");
    ASSERT_GE(boxes.size(), 3) << boxes.join(' ').toStdString();
    EXPECT_EQ(boxes[0].toStdString(), "ftyp");
    EXPECT_EQ(boxes[1].toStdString(), "moov") << boxes.join(' ').toStdString();
}

TEST_F(RecordingMediaTest, ASlowEncoderLosesNoFramePassedToIt) {
    // Frames the encoder has not taken yet wait for it; none is thrown away for it, as that
    // would leave a hole in the picture's time line that nothing reports.
    CScrollingNoiseGrabber noise;
    CScreen fullHd(noise);
    fullHd.SetCaptureRegion(QRect(0, 0, 1920, 1080), 0, 0, 0, 0);
    const QString profilePath = dir.path() + "/full.prx";
    ASSERT_TRUE(CRecordingProfiles::WriteProfileFile(profilePath, 0, fullHd.FrameSize()));
    const auto profile = CRecordingProfiles::LoadRecordingProfile(profilePath, false);
    ASSERT_TRUE(profile);
    const QString path = dir.path() + "/noise.webm";
    CRecordingPipeline pipeline(fullHd);
    QString why;
    ASSERT_TRUE(pipeline.Start(path, *profile, nullptr, &why)) << why.toStdString();
    Wait(2000);
    ASSERT_TRUE(pipeline.Stop(&why)) << why.toStdString();
    EXPECT_EQ(ProbeFile(path).frames, pipeline.FramesPushed());
    EXPECT_NEAR(StreamEndSeconds(path, "v"), 2.0, 0.5);
}

TEST_F(RecordingMediaTest, AWebMOfHeldPicturesSeeksToARealKeyFrame) {
    // A still screen: the pictures are held, so they last longer than one frame interval. A
    // player that seeks must still land on a key frame, not on a frame it cannot decode.
    grabber.moving = false;
    screen.SetCaptureRegion(QRect(0, 0, 640, 480), 0, 0, 320, 240);
    const auto profile = Profile(0, false);
    ASSERT_TRUE(profile);
    const QString path = dir.path() + "/still.webm";
    CRecordingPipeline pipeline(screen);
    ASSERT_TRUE(pipeline.Start(path, *profile, nullptr));
    Wait(3000);
    ASSERT_TRUE(pipeline.Stop());
    ASSERT_GT(pipeline.FramesMerged(), 20);

    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-hide_banner", "-nostats", "-v", "error", "-ss", "2", "-i", path, "-f",
                            "framecrc", "-"});
    ffmpeg.waitForFinished(60000);
    const QByteArray errors = ffmpeg.readAllStandardError();
    EXPECT_TRUE(errors.isEmpty()) << errors.toStdString();
    EXPECT_GT(ffmpeg.readAllStandardOutput().count("\n0, "), 0) << "no picture after the seek";
}

TEST_F(RecordingMediaTest, Mp4AndWebMKeepSmallTextSharpAtHigh) {
    // A slide of small print held still: glyph-sized speckles in lines, dark on light, the
    // hardest part of a screen to keep sharp. At High the picture that plays back is within
    // 40 dB of it (luma); a bit rate fixed at the WMV profile's (168 kbit/s) left MP4 at 13.
    QImage slide(1280, 720, QImage::Format_RGB32);
    std::uint32_t seed = 99;
    for (int y = 0; y < slide.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(slide.scanLine(y));
        for (int x = 0; x < slide.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const bool print = y % 18 < 12 && x % 9 < 7 && (seed >> 24) % 3 == 0;
            row[x] = print ? qRgb(30, 30, 60) : qRgb(245, 245, 235);
        }
    }
    CFakeScreenGrabber still(slide.size());
    still.SetScreen(slide);
    CScreen screen720(still);
    screen720.SetRecordPointer(false);
    screen720.SetCaptureRegion(QRect(QPoint(), slide.size()), 0, 0, 0, 0);
    const QString profilePath = dir.path() + "/720.prx";
    ASSERT_TRUE(CRecordingProfiles::WriteProfileFile(profilePath, 0, screen720.FrameSize()));
    const auto profile = CRecordingProfiles::LoadRecordingProfile(profilePath, false);
    ASSERT_TRUE(profile);
    // What the encoder was given: the slide's luma as the screen source converts it.
    std::vector<std::uint8_t> frame(std::size_t(CScreen::I420(slide.size()).bytes));
    CScreen::ConvertToI420(slide, slide.size(), frame.data());
    for (const char* name : {"print.mp4", "print.webm"}) {
        SCOPED_TRACE(name);
        const QString path = dir.path() + "/" + name;
        CRecordingPipeline pipeline(screen720);
        QString why;
        ASSERT_TRUE(pipeline.Start(path, *profile, nullptr, &why)) << why.toStdString();
        Wait(2500);
        ASSERT_TRUE(pipeline.Stop(&why)) << why.toStdString();
        QProcess ffmpeg;
        // The decoded frame as it is, its luma plane first.
        ffmpeg.start("ffmpeg", {"-v", "error", "-sseof", "-0.5", "-i", path, "-frames:v", "1", "-f",
                                "rawvideo", "-pix_fmt", "yuv420p", "-"});
        ffmpeg.waitForFinished(60000);
        const QByteArray luma =
            ffmpeg.readAllStandardOutput().left(qsizetype(slide.width()) * slide.height());
        ASSERT_EQ(luma.size(), qsizetype(slide.width()) * slide.height());
        double squares = 0;
        for (qsizetype i = 0; i < luma.size(); ++i) {
            const double d = double(quint8(luma[i])) - frame[std::size_t(i)];
            squares += d * d;
        }
        const double psnr =
            10 * std::log10(255.0 * 255.0 * double(luma.size()) / std::max(squares, 1.0));
        EXPECT_GT(psnr, 40.0);
    }
}

TEST_F(RecordingMediaTest, NamesPickTheContainer) {
    struct Case {
        const char* name;
        RecordingContainer container;
    } cases[] = {{"a.wmv", RecordingContainer::Wmv},     {"a.mp4", RecordingContainer::Mp4},
                 {"a.MP4", RecordingContainer::Mp4},     {"a.webm", RecordingContainer::WebM},
                 {"a.mp4.wmv", RecordingContainer::Wmv}, {"mp4", RecordingContainer::Wmv},
                 {"a.avi", RecordingContainer::Wmv}};
    for (const Case& c : cases)
        EXPECT_EQ(CRecordingEncoders::ContainerFor(c.name), c.container) << c.name;
}

// Run by the next test in a process of its own: records into the named file until killed.
TEST_F(RecordingMediaTest, RecordsUntilKilled) {
    const QString path = qEnvironmentVariable(kKillChildEnv);
    if (path.isEmpty())
        GTEST_SKIP() << "only run as the child of KilledRecordingStillPlays";
    screen.SetCaptureRegion(QRect(0, 0, 640, 480), 0, 0, 320, 240);
    const auto profile = Profile(0, true);
    ASSERT_TRUE(profile);
    CRecordingPipeline pipeline(screen);
    ASSERT_TRUE(pipeline.Start(path, *profile, Tone));
    std::printf("recording\n");
    std::fflush(stdout);
    for (;;)
        QThread::msleep(100);
}

TEST_F(RecordingMediaTest, KilledRecordingStillPlays) {
    constexpr int kRecordMs = 4000;
    for (const char* name : {"killed.mp4", "killed.webm"}) {
        SCOPED_TRACE(name);
        const QString path = dir.path() + "/" + name;
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kKillChildEnv, path);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=RecordingMediaTest.RecordsUntilKilled"});
        ASSERT_TRUE(child.waitForStarted(10000));
        QElapsedTimer waiting;
        waiting.start();
        while (!child.readAllStandardOutput().contains("recording") && waiting.elapsed() < 20000)
            child.waitForReadyRead(200);
        Wait(kRecordMs);
        child.kill(); // SIGKILL: nothing gets to finish the file
        ASSERT_TRUE(child.waitForFinished(10000));

        const Probe probe = ProbeFile(path);
        EXPECT_EQ(probe.video["width"].toInt(), 320);
        // All but the last second or so is there and decodes (a frame skipped under load is
        // covered by the one before it, so the time line is what counts).
        EXPECT_GT(probe.frames, 0);
        EXPECT_GE(StreamEndSeconds(path, "v"), (kRecordMs - 1500) / 1000.0);
    }
}

namespace {

// The gaps between the starts of a stream's packets, largest first.
double LargestGap(const std::vector<double>& times) {
    double gap = 0;
    for (size_t i = 1; i < times.size(); ++i)
        gap = std::max(gap, times[i] - times[i - 1]);
    return gap;
}

} // namespace

TEST_F(RecordingMediaTest, AScreenThatCannotBeReadForAMomentLeavesNoHoleInPictureOrSound) {
    // The writers interleave the streams: without pictures they hold the sound back, and a
    // sound queue that overflows loses the microphone.
    screen.SetCaptureRegion(QRect(0, 0, 640, 480), 0, 0, 320, 240);
    for (const char* name : {"stall.wmv", "stall.mp4", "stall.webm"}) {
        SCOPED_TRACE(name);
        const auto profile = Profile(0, true);
        ASSERT_TRUE(profile);
        const QString path = dir.path() + "/" + name;
        CRecordingPipeline pipeline(screen);
        ASSERT_TRUE(pipeline.Start(path, *profile, Tone));
        Wait(1000);
        grabber.failing = true;
        for (int i = 0; i < 8; ++i) {
            Wait(100);
            EXPECT_EQ(pipeline.PollMessages(), "");
        }
        grabber.failing = false;
        Wait(1000);
        EXPECT_FALSE(pipeline.HasFailed());
        ASSERT_TRUE(pipeline.Stop());

        // The held picture went on to the writer while the screen could not be read.
        EXPECT_LE(LargestGap(PacketTimes(path, "v")), 0.55);
        EXPECT_LE(LargestGap(PacketTimes(path, "a")), 0.15);
        EXPECT_NEAR(StreamEndSeconds(path, "v"), 2.8, 0.6);
        EXPECT_NEAR(StreamEndSeconds(path, "a"), StreamEndSeconds(path, "v"), 0.2);
    }
}

TEST_F(RecordingMediaTest, AScreenThatCannotBeReadForASecondFailsTheRecordingWithItsFileFinished) {
    struct Case {
        const char* name;
        bool damage;       // the grabber says when nothing was drawn, so most intervals read
                           // nothing at all
        bool fromTheStart; // no picture ever: the time line starts black
    } cases[] = {{"unreadable from the first grab", false, true},
                 {"unreadable after a still picture", false, false},
                 {"unreadable after a still picture, with damage reports", true, false}};
    screen.SetCaptureRegion(QRect(0, 0, 640, 480), 0, 0, 320, 240);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grabber.moving = false;
        grabber.SetReportsDamage(c.damage);
        grabber.failing = c.fromTheStart;
        const auto profile = Profile(0, true);
        ASSERT_TRUE(profile);
        const QString path = dir.path() + "/unread.wmv";
        CRecordingPipeline pipeline(screen);
        ASSERT_TRUE(pipeline.Start(path, *profile, Tone));
        QElapsedTimer recorded;
        recorded.start();
        if (!c.fromTheStart) {
            Wait(1500);
            grabber.failing = true;
        }
        QElapsedTimer failing;
        failing.start();
        QString said;
        while (said.isEmpty() && failing.elapsed() < 5000) {
            QThread::msleep(20);
            said = pipeline.PollMessages();
        }
        EXPECT_EQ(said, "The recording stopped: the screen could not be read for a second.");
        EXPECT_TRUE(pipeline.HasFailed());
        EXPECT_GE(failing.elapsed(), 950);
        EXPECT_LT(failing.elapsed(), 2000);
        const double recordedSeconds = recorded.elapsed() / 1000.0;
        QString why;
        EXPECT_TRUE(pipeline.Stop(&why)) << why.toStdString();
        // The file is finished, and holds all that was recorded.
        const Probe probe = ProbeFile(path);
        EXPECT_NEAR(Seconds(probe.format, "duration"), recordedSeconds, 0.5);
        EXPECT_NEAR(StreamEndSeconds(path, "a"), StreamEndSeconds(path, "v"), 0.2);
    }
    grabber.failing = false;
}

TEST_F(RecordingMediaTest, AFullDiskStopsTheRecordingAndWhatWasWrittenPlays) {
    // Another program takes the rest of the disk in the middle of a recording: the writer
    // cannot finish the file, and how much of it plays depends on the container.
    screen.SetCaptureRegion(QRect(0, 0, 640, 480), 0, 0, 640, 480);
    for (const char* name : {"full.wmv", "full.mp4", "full.webm"}) {
        SCOPED_TRACE(name);
        CSmallDisk disk(64);
        if (!disk.IsMounted())
            GTEST_SKIP() << disk.WhyNot().toStdString();
        const auto profile = Profile(0, true);
        ASSERT_TRUE(profile);
        const QString path = disk.Path() + "/" + name;
        CRecordingPipeline pipeline(screen);
        ASSERT_TRUE(pipeline.Start(path, *profile, Tone));
        QElapsedTimer clock;
        clock.start();
        Wait(3000);
        ASSERT_TRUE(disk.Fill());
        const double filledAt = clock.elapsed() / 1000.0;
        QString said;
        while (said.isEmpty() && clock.elapsed() < filledAt * 1000 + 5000) {
            QThread::msleep(20);
            said = pipeline.PollMessages();
        }
        EXPECT_EQ(said, "The recording stopped: the disk is full.");
        EXPECT_TRUE(pipeline.HasFailed());
        QElapsedTimer stopping;
        stopping.start();
        QString why;
        EXPECT_FALSE(pipeline.Stop(&why));
        EXPECT_EQ(why, "the disk is full");
        // Well under the writer's 10-s wait for an end it will never see; tearing the pipeline
        // down alone has taken 4.5 s on a loaded two-core machine.
        EXPECT_LT(stopping.elapsed(), 7000) << "nothing to wait for once the file takes no more";

        // What plays: the picture and the sound a player decodes, against what was recorded
        // before the disk filled.
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-v", "error", "-i", path, "-f", "null", "-"});
        ffmpeg.waitForFinished(60000);
        const double picture = StreamEndSeconds(path, "v");
        const double sound = StreamEndSeconds(path, "a");
        const int frames = ProbeFile(path).frames;
        std::printf("full disk, %s: %.2f s recorded before the disk filled; %.2f s of picture "
                    "(%d frames) and %.2f s of sound decode; %lld bytes written\n",
                    name, filledAt, picture, frames, sound,
                    static_cast<long long>(QFileInfo(path).size()));
        EXPECT_GT(picture, filledAt - 1.5);
        EXPECT_GT(sound, filledAt - 1.5);
        EXPECT_GT(frames, 0);
    }
}

TEST_F(RecordingMediaTest, AnMp4CutShortInsideAFragmentIsTrimmedToItsLastWholeFragment) {
    // FFmpeg refuses a fragmented MP4 cut inside a fragment's header as a whole; a full disk
    // cuts the file wherever its last page ends.
    screen.SetCaptureRegion(QRect(0, 0, 640, 480), 0, 0, 320, 240);
    const auto profile = Profile(0, true);
    ASSERT_TRUE(profile);
    const QString whole = dir.path() + "/whole.mp4";
    CRecordingPipeline pipeline(screen);
    ASSERT_TRUE(pipeline.Start(whole, *profile, Tone));
    Wait(2500);
    ASSERT_TRUE(pipeline.Stop());
    QFile file(whole);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // The third fragment: its header and its data.
    qint64 at = 0, fragment = -1, header = 0, data = 0;
    for (int moofs = 0; at + 8 <= bytes.size();) {
        const qint64 size = qFromBigEndian<quint32>(bytes.constData() + at);
        if (bytes.mid(at + 4, 4) == "moof" && ++moofs == 3) {
            fragment = at;
            header = size;
            data = qFromBigEndian<quint32>(bytes.constData() + at + size);
            break;
        }
        at += std::max<qint64>(size, 8);
    }
    ASSERT_GT(fragment, 0) << Mp4Boxes(whole).join(' ').toStdString();
    struct Case {
        const char* name;
        qint64 cutAt;
        qint64 keeps;
    } cases[] = {
        {"inside a fragment's header", fragment + header / 2, fragment},
        {"after its header", fragment + header, fragment},
        {"inside its data", fragment + header + data / 2, fragment},
        {"after its data", fragment + header + data, fragment + header + data},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString cut = dir.path() + "/cut.mp4";
        QFile out(cut);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes.left(c.cutAt));
        out.close();
        CRecordingPipeline::TrimToWholeFragments(cut);
        EXPECT_EQ(QFileInfo(cut).size(), c.keeps);
        EXPECT_GT(ProbeFile(cut).frames, 10);
    }
}

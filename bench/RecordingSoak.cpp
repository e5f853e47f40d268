// Recording reliability measurements (not tests): records the real screen of $DISPLAY through
// the program's pipeline.
//   recording_soak forever FILE      records until killed (measure what a kill leaves)
//   recording_soak repeat N SECONDS  N recordings in a row, printing the RSS after each
//   recording_soak once PRESET SECONDS FILE  one recording with a quality preset
//   recording_soak bench SECONDS FILE [PRESET]  the benchmark's recording: High unless PRESET
//                                            says otherwise, pointer not drawn (the other
//                                            recorder draws none), figures on stdout
//   recording_soak long SECONDS FILE         one long recording (High), a line of figures every
//                                            10 s: memory, frames, how the sound follows the clock
// FILE's name chooses the container as in the program: ".mp4", ".webm", else WMV.
#include "CRecordingEncoders.h"
#include "CRecordingPipeline.h"
#include "CRecordingProfiles.h"
#include "CScreen.h"
#include "CSoundDevices.h"
#include "x11/CX11ScreenGrabber.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <gst/gst.h>

namespace {

long StatusKb(const char* field) {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray name(field);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(name.size()).trimmed().split(' ').first().toLong();
    return 0;
}

long RssKb() {
    return StatusKb("VmRSS:");
}

QByteArray LoadAverage() {
    QFile loadavg("/proc/loadavg");
    if (!loadavg.open(QIODevice::ReadOnly))
        return "-";
    return loadavg.readAll().split(' ').value(0);
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3 || !CSoundDevices::InitMedia())
        return 2;
    CX11ScreenGrabber grabber;
    CScreen screen(grabber);
    const QRect monitor = QGuiApplication::primaryScreen()->geometry();
    screen.SetCaptureRegion(monitor, 0, 0, 0, 0);
    QTemporaryDir dir;
    const QString profilePath = dir.path() + "/wmv.prx";
    // Preset 0 is High.
    const int preset = args[1] == "once"                        ? args[2].toInt()
                       : args[1] == "bench" && args.size() >= 5 ? args[4].toInt()
                                                                : 0;
    CRecordingProfiles::WriteProfileFile(profilePath, preset, screen.FrameSize());
    const bool sound = CSoundDevices::HasAudioCaptureDevice();
    const auto profile = CRecordingProfiles::LoadRecordingProfile(profilePath, sound);
    if (!profile)
        return 3;
    auto soundSource = [] { return CSoundDevices::FindAudioCaptureDevice(); };

    if (args[1] == "forever") {
        CRecordingPipeline pipeline(screen);
        if (!pipeline.Start(args[2], *profile, soundSource))
            return 4;
        std::printf("recording\n");
        std::fflush(stdout);
        for (;;)
            QThread::sleep(1);
    }
    if (args[1] == "once" && args.size() >= 5) {
        CRecordingPipeline pipeline(screen);
        if (!pipeline.Start(args[4], *profile, soundSource))
            return 4;
        QThread::sleep(args[3].toULong());
        return pipeline.Stop() ? 0 : 5;
    }
    if (args[1] == "bench" && args.size() >= 4) {
        screen.SetRecordPointer(false);
        CRecordingPipeline pipeline(screen);
        if (!pipeline.Start(args[3], *profile, soundSource))
            return 4;
        QThread::msleep(args[2].toULong() * 1000);
        const bool stopped = pipeline.Stop();
        const RecordingProfile::Picture& picture = *profile->picture;
        // The sound settings the encoder of this container was given, for the other recorder.
        int soundBitrate = 0, soundRate = 0, soundChannels = 0;
        if (profile->sound) {
            const RecordingContainer container = CRecordingEncoders::ContainerFor(args[3]);
            GstElement* encoder = CRecordingEncoders::MakeSoundEncoder(container, *profile->sound);
            if (encoder) {
                g_object_get(encoder, "bitrate", &soundBitrate, nullptr);
                gst_object_unref(gst_object_ref_sink(encoder));
            }
            soundRate = CRecordingEncoders::SoundSampleRate(container, *profile->sound);
            soundChannels = profile->sound->channels;
        }
        // The picture's rate control for MP4 and WebM, for the other recorder too.
        const QualityRateControl control = CRecordingEncoders::RateControlFor(picture);
        std::printf(
            "sound=%d bitrate=%d gop=%lld pushed=%ld merged=%ld late=%ld peak_rss_kb=%ld "
            "sound_bitrate=%d sound_rate=%d sound_channels=%d crf=%d cq=%d cap=%d buffer_ms=%d\n",
            sound ? 1 : 0, picture.bitrate,
            static_cast<long long>(picture.maxKeyFrameSpacing100ns / picture.frameInterval100ns),
            pipeline.FramesPushed(), pipeline.FramesMerged(), pipeline.FramesLate(),
            StatusKb("VmHWM:"), soundBitrate, soundRate, soundChannels, control.x264RateFactor,
            control.vp8QualityLevel, control.capBitrate, control.bufferMs);
        return stopped ? 0 : 5;
    }
    if (args[1] == "long" && args.size() >= 4) {
        CRecordingPipeline pipeline(screen);
        if (!pipeline.Start(args[3], *profile, soundSource))
            return 4;
        const long seconds = args[2].toLong();
        QElapsedTimer clock;
        clock.start();
        const auto report = [&] {
            std::printf("t_s=%lld rss_kb=%ld pushed=%ld merged=%ld late=%ld sound_lag_ms=%.1f "
                        "sound_ratio_ppm=%.0f sound_jumps=%ld load=%s\n",
                        static_cast<long long>(clock.elapsed() / 1000), RssKb(),
                        pipeline.FramesPushed(), pipeline.FramesMerged(), pipeline.FramesLate(),
                        pipeline.SoundLagMs(), pipeline.SoundRatioPpm(), pipeline.SoundJumps(),
                        LoadAverage().constData());
            std::fflush(stdout);
        };
        for (long next = 10; next <= seconds; next += 10) {
            while (clock.elapsed() < next * 1000)
                QThread::msleep(std::min<qint64>(500, next * 1000 - clock.elapsed()));
            const QString said = pipeline.PollMessages();
            if (!said.isEmpty())
                std::printf("message: %s\n", qPrintable(said));
            if (!pipeline.IsRunning())
                return 6;
            report();
        }
        const bool stopped = pipeline.Stop();
        report();
        return stopped ? 0 : 5;
    }
    if (args[1] == "repeat" && args.size() >= 4) {
        const int count = args[2].toInt();
        const int seconds = args[3].toInt();
        for (int i = 1; i <= count; ++i) {
            CRecordingPipeline pipeline(screen);
            if (!pipeline.Start(dir.path() + QStringLiteral("/r%1.wmv").arg(i), *profile,
                                soundSource))
                return 4;
            QThread::sleep(static_cast<unsigned long>(seconds));
            if (!pipeline.Stop())
                return 5;
            QFile::remove(dir.path() + QStringLiteral("/r%1.wmv").arg(i));
            std::printf("%d %ld\n", i, RssKb());
            std::fflush(stdout);
        }
        return 0;
    }
    return 2;
}

#include "CRecordingEncoders.h"

#include <QFileInfo>
#include <algorithm>
#include <gst/gst.h>

namespace {

// Fragments this long: a file cut short by a crash or a kill loses at most the fragment being
// written, and players can start at any fragment.
constexpr guint kMp4FragmentMs = 1000;
constexpr int kOpusSampleRate = 48000;

GstElement* Make(const char* factory) {
    return gst_element_factory_make(factory, nullptr);
}

// Frames between two key frames, from the profile's spacing (0: the encoder's own choice).
int KeyFrameFrames(const RecordingProfile::Picture& picture) {
    if (picture.maxKeyFrameSpacing100ns <= 0 || picture.frameInterval100ns <= 0)
        return 0;
    return int(
        std::max<std::int64_t>(1, picture.maxKeyFrameSpacing100ns / picture.frameInterval100ns));
}

// The quality of each preset (High, Medium, Low) for the MP4 and WebM pictures, and the cap as
// bits for each pixel of each frame. High is x264's own default rate factor: measured on the
// recording benchmark's 1920 x 1080 scenes, its last second (the picture held still) comes out
// at 52 dB for the animation and 52 dB for the slide in MP4 (49 and 55 dB in WebM), where a
// quality of 40 and 45 dB keeps text sharp; a slide with ink costs 0.3 MB a minute, a
// full-screen animation 38 MB (22 MB in WebM), under the cap of 6.2 Mbit/s. Medium and Low
// have 10 frames a second, and lower qualities and caps.
struct PresetQuality {
    int x264RateFactor;
    int vp8QualityLevel;
    double capBitsPerPixel;
};
constexpr PresetQuality kPresetQuality[] = {{23, 20, 0.12}, {26, 28, 0.15}, {30, 36, 0.08}};
// A burst above the cap (a slide change, a window opening) may last this long.
constexpr int kCapBufferMs = 2000;
// The largest picture H.264 takes the time to encode with "superfast" (a little over 1080p).
constexpr qint64 kSuperfastMaxPixels = 2'500'000;

// WMA 2 refuses stereo at 22050 Hz below 24 kbit/s; the profile's 22008 bit/s becomes the
// nearest rate it takes.
int WmaBitrate(const RecordingProfile::Sound& sound) {
    int bitrate = sound.bitrate;
    if (sound.channels >= 2 && sound.sampleRate <= 22050)
        bitrate = std::max(bitrate, 24000);
    return bitrate;
}

} // namespace

QualityRateControl CRecordingEncoders::RateControlFor(const RecordingProfile::Picture& picture) {
    const int preset =
        picture.qualityPreset >= 0 && picture.qualityPreset <= 2 ? picture.qualityPreset : 0;
    const PresetQuality& quality = kPresetQuality[preset];
    const double framesPerSecond =
        picture.frameInterval100ns > 0 ? 1e7 / double(picture.frameInterval100ns) : 25.0;
    QualityRateControl control;
    control.x264RateFactor = quality.x264RateFactor;
    control.vp8QualityLevel = quality.vp8QualityLevel;
    control.capBitrate = int(std::clamp(
        quality.capBitsPerPixel * picture.width * picture.height * framesPerSecond, 100e3, 1e9));
    control.bufferMs = kCapBufferMs;
    return control;
}

QStringList CRecordingEncoders::SaveAsFilters() {
    return {QStringLiteral("Windows Media Video(*.wmv)"), QStringLiteral("MPEG-4 Video(*.mp4)"),
            QStringLiteral("WebM Video(*.webm)")};
}

RecordingContainer CRecordingEncoders::ContainerFor(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QLatin1String("mp4"), Qt::CaseInsensitive) == 0)
        return RecordingContainer::Mp4;
    if (suffix.compare(QLatin1String("webm"), Qt::CaseInsensitive) == 0)
        return RecordingContainer::WebM;
    return RecordingContainer::Wmv;
}

QStringList CRecordingEncoders::ElementsFor(RecordingContainer container, bool withSound) {
    QStringList elements;
    switch (container) {
    case RecordingContainer::Mp4:
        elements = {"x264enc", "mp4mux", "avenc_aac"};
        break;
    case RecordingContainer::WebM:
        elements = {"vp8enc", "webmmux", "opusenc"};
        break;
    case RecordingContainer::Wmv:
        elements = {"avenc_wmv2", "avmux_asf", "avenc_wmav2"};
        break;
    }
    if (!withSound)
        elements.removeLast();
    return elements;
}

QString CRecordingEncoders::PackageOf(const QString& element) {
    if (element.startsWith(QLatin1String("avenc_")) || element.startsWith(QLatin1String("avmux_")))
        return QStringLiteral("gstreamer1.0-libav");
    if (element == QLatin1String("x264enc"))
        return QStringLiteral("gstreamer1.0-plugins-ugly");
    if (element == QLatin1String("mp4mux") || element == QLatin1String("vp8enc") ||
        element == QLatin1String("webmmux") || element == QLatin1String("pulsesrc"))
        return QStringLiteral("gstreamer1.0-plugins-good");
    if (element == QLatin1String("identity") || element == QLatin1String("queue") ||
        element == QLatin1String("filesink") || element == QLatin1String("capsfilter"))
        return QStringLiteral("libgstreamer1.0-0");
    return QStringLiteral("gstreamer1.0-plugins-base");
}

GstElement* CRecordingEncoders::MakeVideoEncoder(RecordingContainer container,
                                                 const RecordingProfile::Picture& picture) {
    const int keyFrames = KeyFrameFrames(picture);
    switch (container) {
    case RecordingContainer::Mp4: {
        GstElement* encoder = Make("x264enc");
        if (!encoder)
            return nullptr;
        // A constant rate factor under the cap (the VBV's maximum rate and buffer). Zero
        // latency keeps no frames back (no B-frames, no look-ahead), so a kill loses little and
        // memory stays flat. "superfast" costs about half of "veryfast" on a detailed still
        // screen at 1080p for nearly the same file (measured: 2.2 against 3.9 CPU-s for 10 s).
        // Above 1080p it is "ultrafast": at 3840 x 2160 superfast takes 39 ms of CPU a frame
        // here, more than a frame interval, ultrafast 22 ms (and less memory: no half-pixel
        // planes); the constant quality makes up for it with a larger file.
        const QualityRateControl control = RateControlFor(picture);
        gst_util_set_object_arg(
            G_OBJECT(encoder), "speed-preset",
            qint64(picture.width) * picture.height > kSuperfastMaxPixels ? "ultrafast"
                                                                         : "superfast");
        gst_util_set_object_arg(G_OBJECT(encoder), "tune", "zerolatency");
        gst_util_set_object_arg(G_OBJECT(encoder), "pass", "qual");
        g_object_set(encoder, "quantizer", guint(control.x264RateFactor), "bitrate",
                     guint(std::max(1, control.capBitrate / 1000)), "vbv-buf-capacity",
                     guint(control.bufferMs), nullptr);
        if (keyFrames > 0)
            g_object_set(encoder, "key-int-max", guint(keyFrames), nullptr);
        return encoder;
    }
    case RecordingContainer::WebM: {
        GstElement* encoder = Make("vp8enc");
        if (!encoder)
            return nullptr;
        // Constrained quality: the quality level, with the target bit rate as its cap. The
        // real-time deadline at its fastest setting with no frames held back keeps it cheap
        // enough to run beside the screen grab.
        const QualityRateControl control = RateControlFor(picture);
        gst_util_set_object_arg(G_OBJECT(encoder), "end-usage", "cq");
        g_object_set(encoder, "cq-level", control.vp8QualityLevel, "target-bitrate",
                     control.capBitrate, "deadline", gint64(1), "cpu-used", 16, "lag-in-frames", 0,
                     "threads", 2, nullptr);
        if (keyFrames > 0)
            g_object_set(encoder, "keyframe-max-dist", keyFrames, nullptr);
        return encoder;
    }
    case RecordingContainer::Wmv:
        break;
    }
    GstElement* encoder = Make("avenc_wmv2");
    if (!encoder)
        return nullptr;
    g_object_set(encoder, "bitrate", picture.bitrate, nullptr);
    if (keyFrames > 0)
        g_object_set(encoder, "gop-size", keyFrames, nullptr);
    return encoder;
}

GstElement* CRecordingEncoders::MakeSoundEncoder(RecordingContainer container,
                                                 const RecordingProfile::Sound& sound) {
    switch (container) {
    case RecordingContainer::Mp4: {
        GstElement* encoder = Make("avenc_aac");
        // AAC at the profile's rate: it needs no more than WMA 2 for the same sound.
        if (encoder)
            g_object_set(encoder, "bitrate", std::max(16000, sound.bitrate), nullptr);
        return encoder;
    }
    case RecordingContainer::WebM: {
        GstElement* encoder = Make("opusenc");
        // Opus is the better codec at these rates; it gets the profile's rate unchanged.
        if (encoder)
            g_object_set(encoder, "bitrate", std::clamp(sound.bitrate, 6000, 510000), nullptr);
        return encoder;
    }
    case RecordingContainer::Wmv:
        break;
    }
    GstElement* encoder = Make("avenc_wmav2");
    if (encoder)
        g_object_set(encoder, "bitrate", WmaBitrate(sound), nullptr);
    return encoder;
}

GstElement* CRecordingEncoders::MakeWriter(RecordingContainer container) {
    switch (container) {
    case RecordingContainer::Mp4: {
        GstElement* mux = gst_element_factory_make("mp4mux", "mux");
        // Fragmented: the header comes first, so the file streams, and every finished
        // fragment stays playable when the program dies before the end.
        if (mux)
            g_object_set(mux, "fragment-duration", kMp4FragmentMs, nullptr);
        return mux;
    }
    case RecordingContainer::WebM:
        return gst_element_factory_make("webmmux", "mux");
    case RecordingContainer::Wmv:
        break;
    }
    // Not asfmux: it damages the last packet of the file.
    return gst_element_factory_make("avmux_asf", "mux");
}

int CRecordingEncoders::SoundSampleRate(RecordingContainer container,
                                        const RecordingProfile::Sound& sound) {
    return container == RecordingContainer::WebM ? kOpusSampleRate : sound.sampleRate;
}

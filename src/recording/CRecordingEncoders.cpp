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

// WMA 2 refuses stereo at 22050 Hz below 24 kbit/s; the profile's 22008 bit/s becomes the
// nearest rate it takes.
int WmaBitrate(const RecordingProfile::Sound& sound) {
    int bitrate = sound.bitrate;
    if (sound.channels >= 2 && sound.sampleRate <= 22050)
        bitrate = std::max(bitrate, 24000);
    return bitrate;
}

} // namespace

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
        // H.264 gets the profile's bit rate as it stands: at the same rate it gives a better
        // picture than WMV 8, and a presenter's screen is mostly still. Zero latency keeps no
        // frames back (no B-frames, no look-ahead), so a kill loses little and memory stays
        // flat. "superfast" costs about half of "veryfast" on a detailed still screen at
        // 1080p for nearly the same file (measured: 2.2 against 3.9 CPU-s for 10 s). The buffer
        // of two seconds lets a slide change take the bits it needs and the still time after
        // it pay them back.
        gst_util_set_object_arg(G_OBJECT(encoder), "speed-preset", "superfast");
        gst_util_set_object_arg(G_OBJECT(encoder), "tune", "zerolatency");
        g_object_set(encoder, "bitrate", guint(std::max(1, picture.bitrate / 1000)),
                     "vbv-buf-capacity", 2000u, nullptr);
        if (keyFrames > 0)
            g_object_set(encoder, "key-int-max", guint(keyFrames), nullptr);
        return encoder;
    }
    case RecordingContainer::WebM: {
        GstElement* encoder = Make("vp8enc");
        if (!encoder)
            return nullptr;
        // VP8 also gets the profile's bit rate as it stands (it is about as good as H.264 at
        // these settings). The real-time deadline at its fastest setting with no frames held
        // back keeps it cheap enough to run beside the screen grab.
        g_object_set(encoder, "target-bitrate", std::max(1000, picture.bitrate), "deadline",
                     gint64(1), "cpu-used", 16, "lag-in-frames", 0, "threads", 2, nullptr);
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

#include "CRecordingPipeline.h"

#include "CRecordingEncoders.h"
#include "CScreen.h"
#include "CSoundClockFollower.h"
#include "GstHandles.h"

#include <QFile>
#include <gst/app/gstappsrc.h>
#include <gst/video/video.h>
#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>
#include <vector>

struct CRecordingPipeline::SoundClock {
    std::unique_ptr<CSoundClockFollower> follower; // made when the sound's format is known
    std::vector<float> out;
    bool first = true;
    // What the follower did last, for the recording's figures (read on other threads).
    std::atomic<long> jumps{0};
    std::atomic<std::int64_t> lagUs{0};
    std::atomic<std::int64_t> ratioPpm{0};
    std::atomic<std::int64_t> endNs{0};
    // Where the sound is to end: what the follower gives past it is left out.
    std::atomic<std::int64_t> cutAtNs{std::numeric_limits<std::int64_t>::max()};
};

namespace {

// Frames waiting for the encoder before the pump skips one (the previous frame then covers the
// gap on the time line); it keeps memory bounded when the encoder falls behind. Four, or as many
// as fit in the byte limit but at least two: a 3840 x 2160 frame is 12.4 MB, and four of them
// would be a fifth of the recorder's memory.
constexpr guint kMaxQueuedFrames = 4;
constexpr guint kMinQueuedFrames = 2;
constexpr qsizetype kMaxQueuedBytes = qsizetype(32) << 20;
// The longest a picture is held back while the screen stays the same: the writer interleaves
// picture and sound, so sound waits at the writer for as long as the picture is held.
constexpr std::int64_t kMaxHeldMs = 500;
// The stretch at the start of a recording in which every interval gets a frame of its own,
// held or not: players and probes infer the frame rate from the first frames' times (ASF has
// nowhere this writer puts it), so even a still screen's file then shows the profile's rate.
constexpr std::int64_t kEveryFrameMs = 1000;
// The microphone is read in pieces of this length, not its source's 10 ms: a quarter of the
// wake-ups in the sound threads (about half their CPU time), and the sound still ends within
// one piece (one frame interval at 25 frames a second) of the picture.
constexpr gint64 kSoundPieceUs = 40000;
// The longest the end of the recording waits for the sound's last piece (a piece is 40 ms).
constexpr auto kSoundCatchUp = std::chrono::milliseconds(200);
constexpr std::int64_t kSoundEndBeforePictureNs = 20'000'000;
// Frames are aligned to large pages, which the system may then use for them.
constexpr gsize kLargePageBytes = gsize(2) << 20;
// How long a frame waits for room in the queue before it goes in anyway (the oldest waiting
// frame then makes way): the encoder takes well under this for one frame unless it is stuck.
constexpr int kMaxRoomWaitMs = 2000;

// An error message as the program uses it: GStreamer's text, its domain and code, and the
// system's own reason when the element gave one (the file sink puts "system error: Not a
// directory" in its debug text).
struct CErrorReport {
    QString text;
    QString system;
    GQuark domain = 0;
    int code = 0;
    bool Is(GQuark errorDomain, int errorCode) const {
        return domain == errorDomain && code == errorCode;
    }
    bool IsDiskFull() const {
        return Is(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_NO_SPACE_LEFT) ||
               system == QString::fromUtf8(g_strerror(ENOSPC));
    }
};

CErrorReport ParseError(GstMessage* message) {
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    CErrorReport report;
    report.text = error ? QString::fromUtf8(error->message) : QStringLiteral("unknown error");
    if (error) {
        report.domain = error->domain;
        report.code = error->code;
        g_error_free(error);
    }
    if (debug) {
        const QString details = QString::fromUtf8(debug);
        const QLatin1String marker("system error: ");
        if (const qsizetype at = details.indexOf(marker); at >= 0)
            report.system = details.mid(at + marker.size()).section('\n', 0, 0).trimmed();
        g_free(debug);
    }
    return report;
}

QString ErrorText(GstMessage* message) {
    return ParseError(message).text;
}

// "a", "a and b", "a, b and c".
QString JoinedList(const QStringList& items) {
    if (items.size() < 2)
        return items.value(0);
    return QStringList(items.mid(0, items.size() - 1)).join(QLatin1String(", ")) +
           QLatin1String(" and ") + items.last();
}

// The sentence for elements that could not be made: which are missing and what to install.
QString MissingElementsCause(const QStringList& elements) {
    QStringList missing, packages;
    for (const QString& name : elements) {
        GstPtr<GstElementFactory> factory(gst_element_factory_find(name.toUtf8().constData()));
        if (factory)
            continue;
        missing << name;
        const QString package = CRecordingEncoders::PackageOf(name);
        if (!packages.contains(package))
            packages << package;
    }
    if (missing.isEmpty())
        return QStringLiteral("GStreamer could not make the recording's elements.");
    return QStringLiteral("GStreamer's %1 %2 missing: install %3.")
        .arg(JoinedList(missing), missing.size() == 1 ? "is" : "are", JoinedList(packages));
}

bool IsInside(GstObject* object, GstElement* element) {
    for (GstObject* o = object; o; o = GST_OBJECT_PARENT(o))
        if (o == GST_OBJECT(element))
            return true;
    return false;
}

GstElement* Make(const char* factory, const char* name = nullptr) {
    return gst_element_factory_make(factory, name);
}

// The WebM writer gives a frame whose duration is not one frame interval (a held picture) a
// block of its own that cannot say it depends on an earlier frame, so players take every such
// frame for a key frame and a seek lands where nothing can be decoded. Without the duration
// the frame goes in the usual block, and it lasts until the next frame starts anyway.
GstPadProbeReturn ForgetDuration(GstPad*, GstPadProbeInfo* info, gpointer) {
    GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
    GST_BUFFER_DURATION(buffer) = GST_CLOCK_TIME_NONE;
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    return GST_PAD_PROBE_OK;
}

// Puts each piece of the microphone's sound through the follower on its way to the encoder
// (interleaved floats at the microphone's rate, pinned by the caps before it), on the sound
// branch's thread.
GstPadProbeReturn FollowClock(GstPad*, GstPadProbeInfo* info, gpointer data) {
    CRecordingPipeline::SoundClock* stage =
        static_cast<std::shared_ptr<CRecordingPipeline::SoundClock>*>(data)->get();
    if (GST_PAD_PROBE_INFO_TYPE(info) & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        GstCaps* caps = nullptr;
        gint rate = 0, channels = 0;
        if (GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
            gst_event_parse_caps(event, &caps);
            const GstStructure* format = gst_caps_get_structure(caps, 0);
            if (gst_structure_get_int(format, "rate", &rate) &&
                gst_structure_get_int(format, "channels", &channels) &&
                (!stage->follower || stage->follower->SampleRate() != rate ||
                 stage->follower->Channels() != channels))
                stage->follower = std::make_unique<CSoundClockFollower>(rate, channels);
        }
        return GST_PAD_PROBE_OK;
    }
    GstBuffer* in = GST_PAD_PROBE_INFO_BUFFER(info);
    if (!stage->follower || !GST_BUFFER_PTS_IS_VALID(in))
        return GST_PAD_PROBE_OK;
    CSoundClockFollower& follower = *stage->follower;
    GstMapInfo map;
    if (!gst_buffer_map(in, &map, GST_MAP_READ))
        return GST_PAD_PROBE_OK;
    stage->out.clear();
    const std::size_t frames = map.size / (sizeof(float) * std::size_t(follower.Channels()));
    const std::int64_t startNs = follower.Push(reinterpret_cast<const float*>(map.data), frames,
                                               std::int64_t(GST_BUFFER_PTS(in)), stage->out);
    gst_buffer_unmap(in, &map);
    stage->jumps = follower.Jumps();
    stage->lagUs = std::int64_t(follower.LagSeconds() * 1e6);
    stage->ratioPpm = std::int64_t((follower.Ratio() - 1.0) * 1e6);
    stage->endNs = follower.EndNs();
    const std::int64_t cutAtNs = stage->cutAtNs.load();
    if (follower.EndNs() > cutAtNs) {
        const std::int64_t keep =
            std::max<std::int64_t>(0, cutAtNs - startNs) * follower.SampleRate() / 1'000'000'000;
        stage->out.resize(
            std::min(stage->out.size(), std::size_t(keep) * std::size_t(follower.Channels())));
    }
    if (stage->out.empty())
        return GST_PAD_PROBE_DROP;
    const gsize bytes = stage->out.size() * sizeof(float);
    GstBuffer* out = gst_buffer_new_allocate(nullptr, bytes, nullptr);
    gst_buffer_fill(out, 0, stage->out.data(), bytes);
    const std::size_t outFrames = stage->out.size() / std::size_t(follower.Channels());
    GST_BUFFER_PTS(out) = GstClockTime(std::max<std::int64_t>(0, startNs));
    GST_BUFFER_DURATION(out) =
        gst_util_uint64_scale_int(outFrames, GST_SECOND, follower.SampleRate());
    if (stage->first)
        GST_BUFFER_FLAG_SET(out, GST_BUFFER_FLAG_DISCONT);
    stage->first = false;
    gst_buffer_unref(in);
    GST_PAD_PROBE_INFO_DATA(info) = out;
    return GST_PAD_PROBE_OK;
}

// The recording's frames, made and written once before its clock starts. The first write to
// fresh memory costs a page fault for each 4 kB (3000 for a 3840 x 2160 frame, 120 ms measured
// on a virtual machine here), which inside the recording made its first frames late; and
// large pages, where the system gives them on request, make that six faults. The pool makes
// more frames later should more ever be in flight at once.
GstBufferPool* MakeFramePool(qsizetype frameBytes, guint frames) {
    GstBufferPool* pool = gst_buffer_pool_new();
    GstStructure* config = gst_buffer_pool_get_config(pool);
    gst_buffer_pool_config_set_params(config, nullptr, guint(frameBytes), frames, 0);
    GstAllocationParams params;
    gst_allocation_params_init(&params);
    params.align = kLargePageBytes - 1;
    gst_buffer_pool_config_set_allocator(config, nullptr, &params);
    gst_buffer_pool_set_config(pool, config);
    gst_buffer_pool_set_active(pool, TRUE);
    std::vector<GstBuffer*> made;
    for (guint i = 0; i < frames; ++i) {
        GstBuffer* buffer = nullptr;
        if (gst_buffer_pool_acquire_buffer(pool, &buffer, nullptr) != GST_FLOW_OK)
            break;
        made.push_back(buffer);
        GstMapInfo map;
        if (!gst_buffer_map(buffer, &map, GST_MAP_WRITE))
            continue;
        const auto start = reinterpret_cast<std::uintptr_t>(map.data);
        const std::uintptr_t first = (start + kLargePageBytes - 1) & ~(kLargePageBytes - 1);
        const std::uintptr_t last = (start + map.size) & ~(kLargePageBytes - 1);
        if (last > first)
            madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
        std::memset(map.data, 0, map.size);
        gst_buffer_unmap(buffer, &map);
    }
    for (GstBuffer* buffer : made)
        gst_buffer_unref(buffer);
    return pool;
}

} // namespace

void CRecordingPipeline::PoolUnref::operator()(GstBufferPool* pool) const {
    gst_buffer_pool_set_active(pool, FALSE);
    gst_object_unref(pool);
}

CRecordingPipeline::CRecordingPipeline(CScreen& screen) : m_screen(screen) {}

void CRecordingPipeline::TrimToWholeFragments(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return;
    const qint64 size = file.size();
    qint64 at = 0, keep = 0;
    while (at + 8 <= size && file.seek(at)) {
        const QByteArray head = file.read(16);
        if (head.size() < 8)
            break;
        const auto byte = [&head](int i) { return quint64(quint8(head[i])); };
        quint64 boxSize = (byte(0) << 24) | (byte(1) << 16) | (byte(2) << 8) | byte(3);
        if (boxSize == 1 && head.size() == 16) {
            boxSize = 0;
            for (int i = 8; i < 16; ++i)
                boxSize = (boxSize << 8) | byte(i);
        }
        if (boxSize < 8 || at + qint64(boxSize) > size)
            break;
        at += qint64(boxSize);
        // A fragment is its header and then its data: a header alone is no fragment.
        if (head.mid(4, 4) != "moof")
            keep = at;
    }
    if (keep > 0 && keep < size)
        file.resize(keep);
}

CRecordingPipeline::~CRecordingPipeline() {
    if (m_pipeline)
        Stop();
}

bool CRecordingPipeline::Start(const QString& path, const RecordingProfile& profile,
                               const SoundSourceFactory& soundSource, QString* reason) {
    m_failure = Failure::Other;
    m_failed = false;
    m_sinkFailed = false;
    m_sinkError.clear();
    if (m_pipeline || !profile.picture) {
        if (reason)
            *reason = QStringLiteral("The recording profile has no picture stream.");
        return false;
    }
    const RecordingProfile::Picture& picture = *profile.picture;
    const QSize frame = m_screen.FrameSize();
    const RecordingContainer container = CRecordingEncoders::ContainerFor(path);
    m_path = path;
    m_container = container;
    m_frameInterval100ns = picture.frameInterval100ns;
    m_maxQueuedFrames =
        std::clamp(guint(kMaxQueuedBytes / std::max<qsizetype>(1, m_screen.I420Bytes())),
                   kMinQueuedFrames, kMaxQueuedFrames);
    gint fpsN = 0, fpsD = 0;
    gst_util_double_to_fraction(1e7 / double(picture.frameInterval100ns), &fpsN, &fpsD);

    m_pipeline = gst_pipeline_new("recording");
    // The sound card's clock drifts against the frames' time stamps; everything runs on the
    // system clock instead.
    GstClock* clock = gst_system_clock_obtain();
    gst_pipeline_use_clock(GST_PIPELINE(m_pipeline), clock);
    gst_object_unref(clock);

    m_appsrc = Make("appsrc", "screen");
    GstElement* convert = Make("videoconvert");
    GstElement* rawCaps = Make("capsfilter");
    GstElement* videoEncoder = CRecordingEncoders::MakeVideoEncoder(container, picture);
    // The libav encoders stamp their output from 1000 hours on; a single segment puts the
    // picture back at 0.
    GstElement* videoSegment = Make("identity");
    GstElement* videoQueue = Make("queue");
    GstElement* mux = CRecordingEncoders::MakeWriter(container);
    GstElement* sink = Make("filesink", "sink");
    if (!m_appsrc || !convert || !rawCaps || !videoEncoder || !videoSegment || !videoQueue ||
        !mux || !sink) {
        for (GstElement* e :
             {m_appsrc, convert, rawCaps, videoEncoder, videoSegment, videoQueue, mux, sink})
            if (e)
                gst_object_unref(gst_object_ref_sink(e));
        gst_object_unref(m_pipeline);
        m_pipeline = nullptr;
        m_appsrc = nullptr;
        m_failure = Failure::MissingPlugin;
        if (reason)
            *reason = MissingElementsCause(QStringList{"appsrc", "videoconvert", "capsfilter",
                                                       "identity", "queue", "filesink"} +
                                           CRecordingEncoders::ElementsFor(container, false));
        return false;
    }
    m_sink = sink;

    // The screen source converts to the encoder's I420 itself (one pass from the grab), in the
    // BT.601 colours WMV players assume.
    GstCaps* frameCaps = gst_caps_new_simple(
        "video/x-raw", "format", G_TYPE_STRING, "I420", "colorimetry", G_TYPE_STRING, "bt601",
        "width", G_TYPE_INT, frame.width(), "height", G_TYPE_INT, frame.height(), "framerate",
        GST_TYPE_FRACTION, fpsN, fpsD, nullptr);
    // The queue is bounded by frames alone: its default byte limit (200 kB) is less than one
    // frame, so with a frame waiting for a busy encoder every new one would throw the waiting
    // one away, unseen by the pump, and leave a hole in the time line.
    g_object_set(m_appsrc, "caps", frameCaps, "format", GST_FORMAT_TIME, "is-live", TRUE,
                 "do-timestamp", FALSE, "max-buffers", guint64(m_maxQueuedFrames), "max-bytes",
                 guint64(0), "leaky-type", 2 /* drop the oldest */, nullptr);
    gst_caps_unref(frameCaps);
    GstCaps* i420 = gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "I420", nullptr);
    g_object_set(rawCaps, "caps", i420, nullptr);
    gst_caps_unref(i420);
    g_object_set(convert, "n-threads", 2u, nullptr);
    g_object_set(videoSegment, "single-segment", TRUE, nullptr);
    const QByteArray location = path.toLocal8Bit();
    // Unbuffered: what the writer has made reaches the file at once, so a recording cut short
    // by a crash or a kill keeps all but its last packet.
    g_object_set(sink, "location", location.constData(), "buffer-mode", 2 /* unbuffered */,
                 nullptr);

    gst_bin_add_many(GST_BIN(m_pipeline), m_appsrc, convert, rawCaps, videoEncoder, videoSegment,
                     videoQueue, mux, sink, nullptr);
    bool linked = gst_element_link_many(m_appsrc, convert, rawCaps, videoEncoder, videoSegment,
                                        videoQueue, mux, nullptr) &&
                  gst_element_link(mux, sink);

    if (linked && container == RecordingContainer::WebM) {
        GstPtr<GstPad> pad(gst_element_get_static_pad(videoQueue, "src"));
        gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_BUFFER, ForgetDuration, nullptr, nullptr);
    }

    m_soundSource = nullptr;
    m_soundEntry = nullptr;
    m_soundEnded = false;
    QString missingCause;
    m_soundClock.reset();
    if (linked && profile.sound && soundSource) {
        const RecordingProfile::Sound& sound = *profile.sound;
        GstElement* source = soundSource();
        if (source && g_object_class_find_property(G_OBJECT_GET_CLASS(source), "latency-time"))
            g_object_set(source, "latency-time", kSoundPieceUs, nullptr);
        // A sound card's source stamps each piece with the clock's time as it reads it and
        // leaves the drift to the follower below; it must neither drop nor repeat pieces
        // itself (its default) nor count its own samples as time.
        if (source && g_object_class_find_property(G_OBJECT_GET_CLASS(source), "slave-method"))
            gst_util_set_object_arg(G_OBJECT(source), "slave-method", "re-timestamp");
        GstElement* queue = Make("queue");
        GstElement* aconvert = Make("audioconvert");
        GstElement* floatCaps = Make("capsfilter");
        GstElement* resample = Make("audioresample");
        GstElement* encoderConvert = Make("audioconvert");
        GstElement* soundCaps = Make("capsfilter");
        GstElement* soundEncoder = CRecordingEncoders::MakeSoundEncoder(container, sound);
        GstElement* soundSegment = Make("identity");
        GstElement* soundQueue = Make("queue");
        if (source && queue && aconvert && floatCaps && resample && encoderConvert && soundCaps &&
            soundEncoder && soundSegment && soundQueue) {
            GstCaps* caps =
                gst_caps_new_simple("audio/x-raw", "rate", G_TYPE_INT,
                                    CRecordingEncoders::SoundSampleRate(container, sound),
                                    "channels", G_TYPE_INT, sound.channels, nullptr);
            g_object_set(soundCaps, "caps", caps, nullptr);
            gst_caps_unref(caps);
            GstCaps* floats = gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "F32LE",
                                                  "layout", G_TYPE_STRING, "interleaved", nullptr);
            g_object_set(floatCaps, "caps", floats, nullptr);
            gst_caps_unref(floats);
            g_object_set(soundSegment, "single-segment", TRUE, nullptr);
            gst_bin_add_many(GST_BIN(m_pipeline), source, queue, aconvert, floatCaps, resample,
                             encoderConvert, soundCaps, soundEncoder, soundSegment, soundQueue,
                             nullptr);
            linked = gst_element_link_many(source, queue, aconvert, floatCaps, resample,
                                           encoderConvert, soundCaps, soundEncoder, soundSegment,
                                           soundQueue, mux, nullptr);
            m_soundClock = std::make_shared<SoundClock>();
            GstPtr<GstPad> pad(gst_element_get_static_pad(floatCaps, "src"));
            gst_pad_add_probe(
                pad.get(),
                GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                FollowClock, new std::shared_ptr<SoundClock>(m_soundClock),
                [](gpointer data) { delete static_cast<std::shared_ptr<SoundClock>*>(data); });
            m_soundSource = source;
            m_soundEntry = queue;
        } else {
            for (GstElement* e : {source, queue, aconvert, floatCaps, resample, encoderConvert,
                                  soundCaps, soundEncoder, soundSegment, soundQueue})
                if (e)
                    gst_object_unref(gst_object_ref_sink(e));
            // No source is no microphone: the picture goes alone. A missing element is a
            // missing plugin, which the user must hear of rather than find a silent file.
            if (source)
                missingCause = MissingElementsCause(
                    QStringList{"queue", "audioconvert", "audioresample", "identity"} +
                    QStringList{CRecordingEncoders::ElementsFor(container, true).last()});
        }
    }
    if (!missingCause.isEmpty()) {
        m_failure = Failure::MissingPlugin;
        if (reason)
            *reason = missingCause;
        Teardown();
        return false;
    }

    if (linked) {
        m_screen.PrepareGrab();
        // Each frame in flight at once: the queue's, the one held, the one being grabbed and
        // the one being encoded.
        m_framePool.reset(MakeFramePool(m_screen.I420Bytes(), m_maxQueuedFrames + 3));
    }
    if (!linked ||
        gst_element_set_state(m_pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        QString why = QStringLiteral("GStreamer could not link the recording's elements.");
        if (linked) {
            GstPtr<GstBus> bus(gst_element_get_bus(m_pipeline));
            GstMessagePtr error(gst_bus_pop_filtered(bus.get(), GST_MESSAGE_ERROR));
            why = QStringLiteral("GStreamer could not start the recording.");
            if (error) {
                const CErrorReport report = ParseError(error.get());
                why = report.text;
                if (IsInside(GST_MESSAGE_SRC(error.get()), m_sink)) {
                    m_failure = report.IsDiskFull() ? Failure::DiskFull : Failure::File;
                    why = m_failure == Failure::DiskFull
                              ? QStringLiteral("The disk is full.")
                              : QStringLiteral("The file cannot be created: %1.")
                                    .arg(report.system.isEmpty() ? report.text : report.system);
                }
            }
        }
        if (reason)
            *reason = why;
        Teardown();
        return false;
    }
    m_failure = Failure::None;

    m_screen.OnThreadCreate();
    m_screen.SetZeroMs(PipelineZeroMs());
    m_paused = false;
    m_framesPushed = 0;
    m_framesMerged = 0;
    m_framesLate = 0;
    m_framesGrabbed = 0;
    m_pictureEndNs = 0;
    m_pumping = true;
    m_pump = std::thread([this] { Pump(); });
    return true;
}

void CRecordingPipeline::Pump() {
    // Frame interval n covers recorded time [n, n + 1) intervals. The pump sleeps until the next
    // interval is due and grabs. A picture is passed on only once the next different one (or
    // the end) shows how long it stands: its duration then covers every interval the screen
    // did not change, and the encoder never sees those again. A grab that comes late because
    // the machine was busy is not made up either: the picture before covers its time.
    const GstClockTime interval = GstClockTime(m_frameInterval100ns) * 100;
    const std::uint64_t maxHeld =
        std::max<std::uint64_t>(1, GstClockTime(kMaxHeldMs) * GST_MSECOND / interval);
    const std::uint64_t everyFrameUntil = GstClockTime(kEveryFrameMs) * GST_MSECOND / interval;
    // Frames come from a pool made once per recording: a fresh multi-megabyte allocation per
    // frame, freed on the encoder's thread, makes the allocator's per-thread heaps grow from one
    // recording to the next.
    GstBufferPool* const pool = m_framePool.get();
    std::uint64_t next = 0; // the first interval no picture covers yet
    GstBuffer* held = nullptr;
    std::uint64_t heldFrom = 0;
    bool flowing = true;
    std::int64_t failingSinceMs = -1; // recorded time of the first failed grab in a row
    bool failureReported = false;
    // Fills `buffer` with the held picture, or black without one.
    const CScreen::I420Layout layout = CScreen::I420(m_screen.FrameSize());
    const auto standIn = [&layout](GstBuffer* buffer, GstBuffer* picture) {
        GstMapInfo map;
        if (!gst_buffer_map(buffer, &map, GST_MAP_WRITE))
            return false;
        bool filled = false;
        GstMapInfo pictureMap;
        if (!picture) {
            const size_t luma = std::min<size_t>(map.size, size_t(layout.uOffset));
            std::memset(map.data, 16, luma);
            std::memset(map.data + luma, 128, map.size - luma);
            filled = true;
        } else if (gst_buffer_map(picture, &pictureMap, GST_MAP_READ)) {
            std::memcpy(map.data, pictureMap.data, std::min(map.size, pictureMap.size));
            gst_buffer_unmap(picture, &pictureMap);
            filled = true;
        }
        gst_buffer_unmap(buffer, &map);
        return filled;
    };
    const auto passOn = [&](std::uint64_t until) {
        // A full queue would throw its oldest frame away: wait (bounded) while the encoder
        // catches up. Inside the loop there is room already; the last frames at the end come
        // one after the other and may find it full.
        for (int waited = 0;
             waited < kMaxRoomWaitMs &&
             gst_app_src_get_current_level_buffers(GST_APP_SRC(m_appsrc)) >= m_maxQueuedFrames;
             waited += 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        GST_BUFFER_PTS(held) = heldFrom * interval;
        GST_BUFFER_DURATION(held) = (until - heldFrom) * interval;
        GstBuffer* buffer = held;
        held = nullptr;
        if (gst_app_src_push_buffer(GST_APP_SRC(m_appsrc), buffer) != GST_FLOW_OK)
            return false;
        ++m_framesPushed;
        return true;
    };
    while (flowing && m_pumping.load()) {
        if (m_paused.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        const GstClockTime now =
            GstClockTime(std::max<std::int64_t>(0, m_screen.RecordedMs())) * GST_MSECOND;
        const std::uint64_t due = now / interval;
        if (due < next) {
            const GstClockTime wait = next * interval - now;
            std::this_thread::sleep_for(
                std::chrono::nanoseconds(std::min<GstClockTime>(wait, 10 * GST_MSECOND)));
            continue;
        }
        if (gst_app_src_get_current_level_buffers(GST_APP_SRC(m_appsrc)) >= m_maxQueuedFrames) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        GstBuffer* buffer = nullptr;
        if (gst_buffer_pool_acquire_buffer(pool, &buffer, nullptr) != GST_FLOW_OK)
            break;
        CScreen::Frame frame = CScreen::Frame::Failed;
        bool same = false;
        // A held picture is passed on, changed or not, once it has stood long enough or while
        // the recording is in its first stretch.
        const bool passAnyway = held && (due - heldFrom >= maxHeld || due < everyFrameUntil);
        GstMapInfo map;
        if (gst_buffer_map(buffer, &map, GST_MAP_WRITE)) {
            frame = m_screen.FillI420(map.data, qsizetype(map.size), passAnyway);
            // A grab that shows the same picture is caught here. The whole frame is compared,
            // not a sample of it: a pen stroke of a few pixels is exactly what a presentation
            // must not lose.
            GstMapInfo heldMap;
            if (held && gst_buffer_map(held, &heldMap, GST_MAP_READ)) {
                if (frame == CScreen::Frame::Written)
                    same = heldMap.size == map.size &&
                           std::memcmp(heldMap.data, map.data, map.size) == 0;
                gst_buffer_unmap(held, &heldMap);
            }
            gst_buffer_unmap(buffer, &map);
        }
        ++m_framesGrabbed;
        bool fresh = frame == CScreen::Frame::Written && !(same && !passAnyway);
        if (frame == CScreen::Frame::Failed) {
            // A screen that cannot be read is never passed over in silence: after a second of
            // it the recording fails (the program stops it and says why).
            const std::int64_t nowMs = std::int64_t(now / GST_MSECOND);
            if (failingSinceMs < 0)
                failingSinceMs = nowMs;
            else if (nowMs - failingSinceMs >= kMaxFailedGrabsMs && !failureReported) {
                failureReported = true;
                ReportFailedGrabs();
            }
            // Meanwhile the time line is kept fed: a writer without pictures holds the sound
            // back until the sound's queue overflows and the microphone is lost. The picture
            // before stands in (black before the first), when it would be passed on anyway.
            if (!held || passAnyway)
                fresh = standIn(buffer, held);
        } else if (frame == CScreen::Frame::Written) {
            // Only a screen read again counts as readable: "unchanged" may be said without
            // reading it.
            failingSinceMs = -1;
        }
        if (!fresh) {
            // Unchanged, or the screen could not be read this time: the held picture stands
            // for this interval too.
            gst_buffer_unref(buffer);
            if (!held) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            m_framesMerged += long(due + 1 - next);
            next = due + 1;
            continue;
        }
        if (held && !passOn(next)) {
            gst_buffer_unref(buffer);
            flowing = false;
            break;
        }
        m_framesLate += long(due - next);
        held = buffer;
        heldFrom = next;
        next = due + 1;
    }
    // The last picture stands until the end. The file keeps when each frame starts, not how
    // long it lasts, so a picture held for longer is followed by a copy in the last interval:
    // the picture's time line then ends where the recording does.
    if (held && flowing && next - heldFrom > 1) {
        GstBuffer* last = nullptr;
        if (gst_buffer_pool_acquire_buffer(pool, &last, nullptr) == GST_FLOW_OK) {
            GstMapInfo lastMap, heldMap;
            bool copied = false;
            if (gst_buffer_map(last, &lastMap, GST_MAP_WRITE)) {
                if (gst_buffer_map(held, &heldMap, GST_MAP_READ)) {
                    std::memcpy(lastMap.data, heldMap.data, std::min(lastMap.size, heldMap.size));
                    gst_buffer_unmap(held, &heldMap);
                    copied = true;
                }
                gst_buffer_unmap(last, &lastMap);
            }
            if (copied && passOn(next - 1)) {
                held = last;
                heldFrom = next - 1;
            } else {
                gst_buffer_unref(last);
            }
        }
    }
    if (held && flowing)
        passOn(next);
    if (held)
        gst_buffer_unref(held);
    m_pictureEndNs = std::int64_t(next * interval);
}

void CRecordingPipeline::ReportFailedGrabs() {
    // Streaming thread: the bus carries it to the user-interface thread's PollMessages.
    GError* error = g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ,
                                        "The screen could not be read.");
    gst_element_post_message(m_appsrc,
                             gst_message_new_error(GST_OBJECT(m_appsrc), error,
                                                   "every screen grab failed for a second"));
    g_error_free(error);
}

void CRecordingPipeline::Pause() {
    if (!m_pipeline || m_paused.load())
        return;
    m_screen.Pause();
    m_paused = true;
    gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
}

void CRecordingPipeline::Resume() {
    if (!m_pipeline || !m_paused.load())
        return;
    m_screen.Resume();
    // Going back to PLAYING completes only once new frames reach the writer: never wait for it
    // here, the pump delivers them.
    gst_element_set_state(m_pipeline, GST_STATE_PLAYING);
    m_screen.SetZeroMs(PipelineZeroMs());
    m_paused = false;
}

std::uint32_t CRecordingPipeline::PipelineZeroMs() const {
    // The sound's time is the pipeline's running time: the clock less the base time the
    // pipeline chose as it went to PLAYING (again after a pause, so that the paused time is
    // left out). The picture takes the same zero, read on its own clock: both are monotonic,
    // so the running time now, taken from the time on the picture's clock now, is that zero.
    const std::uint32_t nowMs = m_screen.NowMs();
    GstPtr<GstClock> clock(gst_element_get_clock(m_pipeline));
    if (!clock)
        return nowMs;
    const GstClockTime now = gst_clock_get_time(clock.get());
    const GstClockTime base = gst_element_get_base_time(m_pipeline);
    const GstClockTime running = now > base ? now - base : 0;
    return nowMs - std::uint32_t(running / GST_MSECOND);
}

long CRecordingPipeline::SoundJumps() const {
    return m_soundClock ? m_soundClock->jumps.load() : 0;
}

double CRecordingPipeline::SoundLagMs() const {
    return m_soundClock ? double(m_soundClock->lagUs.load()) / 1000.0 : 0.0;
}

double CRecordingPipeline::SoundRatioPpm() const {
    return m_soundClock ? double(m_soundClock->ratioPpm.load()) : 0.0;
}

void CRecordingPipeline::EndSoundStream() {
    if (!m_soundEntry || m_soundEnded)
        return;
    m_soundEnded = true;
    // Into the sound branch past its source, so it ends even when the source itself is gone.
    GstPtr<GstPad> pad(gst_element_get_static_pad(m_soundEntry, "sink"));
    if (pad)
        gst_pad_send_event(pad.get(), gst_event_new_eos());
}

QString CRecordingPipeline::PollMessages() {
    if (!m_pipeline || m_failed)
        return {};
    GstPtr<GstBus> bus(gst_element_get_bus(m_pipeline));
    QString said;
    while (GstMessagePtr message{gst_bus_pop_filtered(bus.get(), GST_MESSAGE_ERROR)}) {
        if (m_soundSource && IsInside(GST_MESSAGE_SRC(message.get()), m_soundSource)) {
            if (m_soundEnded)
                continue;
            EndSoundStream();
            said = QStringLiteral("The microphone stopped working (%1). The recording goes on "
                                  "with the picture only.")
                       .arg(ErrorText(message.get()));
            continue;
        }
        const CErrorReport report = ParseError(message.get());
        m_failed = true;
        if (IsInside(GST_MESSAGE_SRC(message.get()), m_sink)) {
            m_sinkFailed = true;
            m_sinkError = report.IsDiskFull()       ? QStringLiteral("the disk is full")
                          : report.system.isEmpty() ? report.text
                                                    : report.system;
            if (report.IsDiskFull())
                return QStringLiteral("The recording stopped: the disk is full.");
        }
        if (IsInside(GST_MESSAGE_SRC(message.get()), m_appsrc) &&
            report.Is(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ))
            return QStringLiteral("The recording stopped: the screen could not be read for a "
                                  "second.");
        return QStringLiteral("The recording stopped: %1").arg(report.text);
    }
    return said;
}

bool CRecordingPipeline::Stop(QString* reason) {
    if (!m_pipeline)
        return true;
    if (m_paused.load()) {
        // A paused pipeline passes nothing on: run it again and let a frame through first.
        const long grabbed = m_framesGrabbed.load();
        Resume();
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (m_framesGrabbed.load() == grabbed && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    m_pumping = false;
    if (m_pump.joinable())
        m_pump.join();
    // The picture ends at the end of the frame interval the stop fell in; the sound, once its
    // source is told to end, at the end of the last whole piece it read. The sound waits for the
    // piece under way and is cut where the picture ends, less half a sound encoder's frame
    // (20-46 ms), which the encoder fills up: both then end within a frame of each other.
    if (m_soundClock && !m_soundEnded) {
        const std::int64_t soundEndNs = m_pictureEndNs.load() - kSoundEndBeforePictureNs;
        m_soundClock->cutAtNs = soundEndNs;
        const auto deadline = std::chrono::steady_clock::now() + kSoundCatchUp;
        while (m_soundClock->endNs.load() < soundEndNs &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }

    // A file whose writes failed gets no end: the writer would go back to rewrite its header
    // for the end, and a rewrite cut short by the full disk can spoil what was written well.
    if (!m_sinkFailed) {
        gst_app_src_end_of_stream(GST_APP_SRC(m_appsrc));
        // A source that has failed already never passes this on; its error, still waiting on
        // the bus, ends the sound stream below instead.
        if (m_soundSource && !m_soundEnded)
            gst_element_send_event(m_soundSource, gst_event_new_eos());
    }

    // The file is complete only once the writer has seen the end of every stream. A file that
    // takes no more writes never sees it: what it holds is all there is.
    GstPtr<GstBus> bus(gst_element_get_bus(m_pipeline));
    bool finished = false;
    const auto deadline = std::chrono::steady_clock::now() + m_finishTimeout;
    QString why = m_sinkError;
    while (!finished && !m_sinkFailed) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            why = QStringLiteral("the writer did not finish in time");
            break;
        }
        GstMessagePtr message(gst_bus_timed_pop_filtered(
            bus.get(),
            GstClockTime(std::chrono::duration_cast<std::chrono::nanoseconds>(left).count()),
            GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
        if (!message)
            continue;
        if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_EOS) {
            finished = true;
            continue;
        }
        const CErrorReport report = ParseError(message.get());
        if (m_soundSource && IsInside(GST_MESSAGE_SRC(message.get()), m_soundSource)) {
            // The microphone failing at the end still lets the picture finish.
            EndSoundStream();
        } else if (IsInside(GST_MESSAGE_SRC(message.get()), m_appsrc) &&
                   report.Is(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ)) {
            // Our own report of an unreadable screen: the writer finishes all the same.
        } else {
            why = report.IsDiskFull() ? QStringLiteral("the disk is full") : report.text;
            break;
        }
    }
    if (reason)
        *reason = why;
    Teardown();
    if (m_sinkFailed && m_container == RecordingContainer::Mp4)
        TrimToWholeFragments(m_path);
    return finished;
}

void CRecordingPipeline::Teardown() {
    m_pumping = false;
    if (m_pump.joinable())
        m_pump.join();
    if (m_pipeline) {
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
        gst_object_unref(m_pipeline);
    }
    m_framePool.reset();
    m_pipeline = nullptr;
    m_appsrc = nullptr;
    m_sink = nullptr;
    m_soundSource = nullptr;
    m_soundEntry = nullptr;
    m_paused = false;
}

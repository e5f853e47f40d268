#include "CMicrophoneLevel.h"

#include "CSoundDevices.h"
#include "CSoundLevel.h"
#include "Trace.h"

#include <gst/app/gstappsink.h>
#include <gst/audio/audio.h>

namespace {
constexpr const char* kMicrophoneVariable = "RAVLIN_WEBCAM_MICROPHONE";
} // namespace

GstElement* CMicrophoneLevel::MakeSource() const {
    const QByteArray description = qgetenv(kMicrophoneVariable);
    if (!description.isEmpty())
        return SourceFromDescription("Microphone source", description);
    // The microphone recordings use: the first listed source that is not an output's monitor.
    return CSoundDevices::CreateFirstMicrophone();
}

bool CMicrophoneLevel::Start() {
    Stop();
    m_pipeline = PlayThroughAppsink(
        "webcam-sound", [this] { return MakeSource(); }, "audioconvert", "sound-grabber",
        [this](GstElement* sink) {
            // 8-bit sound stays 8-bit; everything else is read as 16-bit.
            GstCapsRef caps(gst_caps_from_string("audio/x-raw,format=(string){S16LE,U8},"
                                                 "layout=(string)interleaved"));
            g_object_set(sink, "caps", caps.get(), "sync", FALSE, "emit-signals", TRUE,
                         "max-buffers", 4u, "drop", TRUE, nullptr);
            g_signal_connect(sink, "new-sample", G_CALLBACK(&CMicrophoneLevel::OnNewSample), this);
        });
    return m_pipeline != nullptr;
}

void CMicrophoneLevel::Stop() {
    // Going to NULL joins the streaming thread, so no callback runs after this.
    m_pipeline.reset();
}

bool CMicrophoneLevel::Poll() {
    if (!m_pipeline)
        return false;
    GstRef<GstBus> bus(gst_element_get_bus(m_pipeline.get()));
    GstMessageRef message{gst_bus_pop_filtered(
        bus.get(), static_cast<GstMessageType>(GST_MESSAGE_ERROR | GST_MESSAGE_EOS))};
    if (!message)
        return true;
    Stop();
    return false;
}

// Runs on the sound's streaming thread: it only writes the level.
GstFlowReturn CMicrophoneLevel::OnNewSample(GstElement* sink, gpointer self) {
    GstSampleRef sample(gst_app_sink_pull_sample(GST_APP_SINK(sink)));
    if (!sample)
        return GST_FLOW_OK;
    GstAudioInfo info;
    GstBuffer* buffer = gst_sample_get_buffer(sample.get());
    if (!buffer || !gst_audio_info_from_caps(&info, gst_sample_get_caps(sample.get())))
        return GST_FLOW_OK;
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
        return GST_FLOW_OK;
    const int level = CSoundLevel::PeakLevel(map.data, map.size, GST_AUDIO_INFO_WIDTH(&info));
    gst_buffer_unmap(buffer, &map);
    static_cast<CMicrophoneLevel*>(self)->m_level.store(level, std::memory_order_relaxed);
    return GST_FLOW_OK;
}

#include "CWebcamCapture.h"

#include "Trace.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <cstring>

namespace {
constexpr const char* kSourceVariable = "RAVLIN_WEBCAM_SOURCE";
} // namespace

GstElement* CWebcamCapture::MakeSource() const {
    const QByteArray description = qgetenv(kSourceVariable);
    if (!description.isEmpty())
        return SourceFromDescription("Webcam source", description);
    // Only the first webcam is ever tried, as the window offers no choice of camera.
    GstRef<GstDeviceMonitor> monitor(gst_device_monitor_new());
    gst_device_monitor_add_filter(monitor.get(), "Video/Source", nullptr);
    GList* devices = gst_device_monitor_get_devices(monitor.get());
    GstElement* source = nullptr;
    if (devices)
        source = gst_device_create_element(GST_DEVICE(devices->data), "webcam");
    g_list_free_full(devices, gst_object_unref);
    return source;
}

bool CWebcamCapture::Start() {
    Stop();
    m_pipeline = PlayThroughAppsink(
        "webcam-preview", [this] { return MakeSource(); }, "videoconvert", "grabber",
        [this](GstElement* sink) {
            // The newest picture only: the window pulls 20 times a second, whatever the
            // camera's rate.
            GstCapsRef caps(
                gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "RGB", nullptr));
            g_object_set(sink, "caps", caps.get(), "max-buffers", 1u, "drop", TRUE, "sync", FALSE,
                         nullptr);
            m_sink.reset(GST_ELEMENT(gst_object_ref(sink)));
        });
    if (!m_pipeline)
        m_sink.reset();
    return m_pipeline != nullptr;
}

void CWebcamCapture::Stop() {
    m_sink.reset();
    m_pipeline.reset();
    m_frame = QImage();
}

bool CWebcamCapture::Poll() {
    if (!m_pipeline)
        return false;
    GstRef<GstBus> bus(gst_element_get_bus(m_pipeline.get()));
    while (GstMessageRef message{gst_bus_pop_filtered(
        bus.get(), static_cast<GstMessageType>(GST_MESSAGE_ERROR | GST_MESSAGE_EOS))}) {
        if (GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR) {
            GError* error = nullptr;
            gst_message_parse_error(message.get(), &error, nullptr);
            Trace("Webcam stopped: %s\n", error ? error->message : "unknown error");
            if (error)
                g_error_free(error);
        }
        // An error or the end of the stream: the camera went away or another program took it.
        Stop();
        return false;
    }
    GstSampleRef sample(gst_app_sink_try_pull_sample(GST_APP_SINK(m_sink.get()), 0));
    if (!sample)
        return true;
    GstVideoInfo info;
    GstBuffer* buffer = gst_sample_get_buffer(sample.get());
    if (!buffer || !gst_video_info_from_caps(&info, gst_sample_get_caps(sample.get())))
        return true;
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
        return true;
    QImage frame =
        FrameFromRgb(map.data, map.size, GST_VIDEO_INFO_WIDTH(&info), GST_VIDEO_INFO_HEIGHT(&info),
                     GST_VIDEO_INFO_PLANE_STRIDE(&info, 0));
    gst_buffer_unmap(buffer, &map);
    // A picture that does not fit its buffer (the camera changing its format) is skipped.
    if (!frame.isNull())
        m_frame = std::move(frame);
    return true;
}

QImage CWebcamCapture::FrameFromRgb(const unsigned char* data, std::size_t size, int width,
                                    int height, int stride) {
    if (!data || width <= 0 || height <= 0 || stride < width * 3)
        return QImage();
    const std::size_t needed =
        static_cast<std::size_t>(stride) * static_cast<std::size_t>(height - 1) +
        static_cast<std::size_t>(width) * 3;
    if (size < needed)
        return QImage();
    QImage frame(width, height, QImage::Format_RGB888);
    if (frame.isNull())
        return QImage();
    for (int y = 0; y < height; ++y)
        std::memcpy(frame.scanLine(y), data + static_cast<std::size_t>(y) * stride,
                    static_cast<std::size_t>(width) * 3);
    return frame;
}

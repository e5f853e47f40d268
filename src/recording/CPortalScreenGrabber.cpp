#include "CPortalScreenGrabber.h"

#include "CSoundDevices.h"
#include "GstHandles.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <QElapsedTimer>
#include <QThread>
#include <unistd.h>

namespace {
const char* const kStreamEnded =
    "The desktop stopped sharing the screen, so the recording ended here.";

GstFlowReturn NewSample(GstAppSink* sink, gpointer self) {
    GstSample* sample = gst_app_sink_pull_sample(sink);
    if (sample)
        static_cast<CPortalScreenGrabber*>(self)->OnSample(sample);
    return GST_FLOW_OK;
}

GstBusSyncReply OnBusMessage(GstBus*, GstMessage* message, gpointer self) {
    auto* grabber = static_cast<CPortalScreenGrabber*>(self);
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) {
        grabber->OnStreamEnded(QString::fromLatin1(kStreamEnded));
    } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        grabber->OnStreamEnded(
            QStringLiteral("The screen's stream from the desktop failed (%1), so the recording "
                           "ended here.")
                .arg(error ? QString::fromUtf8(error->message) : QStringLiteral("no reason")));
        if (error)
            g_error_free(error);
    }
    return GST_BUS_PASS;
}
} // namespace

CPortalScreenGrabber::CPortalScreenGrabber(std::unique_ptr<IScreenGrabber> pointer,
                                           std::unique_ptr<CPortalScreenCast> cast,
                                           QSettings* settings)
    : m_pointer(std::move(pointer)),
      m_cast(cast ? std::move(cast) : std::make_unique<CPortalScreenCast>()),
      m_settings(settings) {
    if (!m_settings) {
        m_ownSettings = std::make_unique<QSettings>(QStringLiteral("Norvane"),
                                                    QStringLiteral("Ravlin"));
        m_settings = m_ownSettings.get();
    }
    connect(m_cast.get(), &CPortalScreenCast::Closed, this, [this] {
        OnStreamEnded(QStringLiteral("The desktop ended the screen sharing, so the recording "
                                     "ended here."));
    });
}

CPortalScreenGrabber::~CPortalScreenGrabber() {
    End();
}

bool CPortalScreenGrabber::Begin(bool wantPointer, QString* reason) {
    End();
    CSoundDevices::InitMedia();
    m_settings->sync(); // the file may have changed since (another copy, a test)
    const QString token = m_settings->value(QString::fromLatin1(kTokenKey)).toString();
    if (!m_cast->Start(wantPointer, token, &m_stream, reason))
        return false;
    // Each start gives a new token and the old one stops working: keep the new one.
    if (m_stream.restoreToken.isEmpty())
        m_settings->remove(QString::fromLatin1(kTokenKey));
    else
        m_settings->setValue(QString::fromLatin1(kTokenKey), m_stream.restoreToken);
    m_settings->sync();
    m_pointerEmbedded = m_stream.cursorMode == CPortalScreenCast::kCursorEmbedded;

    // pipewiresrc 0.3.65 cannot renegotiate: the stream keeps the format it starts with, and
    // a change of the monitor's size ends it (an error, reported as the end of the sharing).
    const QByteArray description =
        QStringLiteral("pipewiresrc name=source fd=%1 path=%2 do-timestamp=true "
                       "keepalive-time=%3 ! videoconvert ! video/x-raw,format=BGRx ! "
                       "appsink name=sink max-buffers=1 drop=true sync=false")
            .arg(m_stream.fd)
            .arg(m_stream.node)
            .arg(kKeepAliveMs)
            .toLatin1();
    GError* error = nullptr;
    m_pipeline = gst_parse_launch(description.constData(), &error);
    if (!m_pipeline || error) {
        if (reason)
            *reason = QStringLiteral("The screen's stream cannot be read: %1 (is the package "
                                     "gstreamer1.0-pipewire installed?)")
                          .arg(error ? QString::fromUtf8(error->message) : QString());
        if (error)
            g_error_free(error);
        if (m_pipeline)
            gst_object_unref(m_pipeline);
        m_pipeline = nullptr;
        End();
        return false;
    }
    // pipewiresrc offers PipeWire's clock; the frames' time comes from the recorder instead,
    // and this pipeline only hands pictures on.
    GstClock* clock = gst_system_clock_obtain();
    gst_pipeline_use_clock(GST_PIPELINE(m_pipeline), clock);
    gst_object_unref(clock);
    GstPtr<GstElement> sink(gst_bin_get_by_name(GST_BIN(m_pipeline), "sink"));
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = NewSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink.get()), &callbacks, this, nullptr);
    GstPtr<GstBus> bus(gst_element_get_bus(m_pipeline));
    gst_bus_set_sync_handler(bus.get(), OnBusMessage, this, nullptr);
    {
        std::lock_guard lock(m_mutex);
        m_ended.clear();
    }
    if (gst_element_set_state(m_pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        if (reason)
            *reason = QStringLiteral("The screen's stream from the desktop did not start.");
        End();
        return false;
    }
    // The recording starts with a picture, not with a wait for one.
    QElapsedTimer waited;
    waited.start();
    bool hasPicture = false;
    QString ended;
    while (waited.elapsed() < kFirstFrameTimeoutMs) {
        {
            std::lock_guard lock(m_mutex);
            hasPicture = m_latest != nullptr;
            ended = m_ended;
        }
        if (hasPicture || !ended.isEmpty())
            break;
        QThread::msleep(10);
    }
    if (hasPicture)
        return true;
    End();
    if (reason)
        *reason = !ended.isEmpty() ? ended
                                   : QStringLiteral("The desktop shared the screen but sent no "
                                                    "picture within %1 s.")
                                         .arg(kFirstFrameTimeoutMs / 1000);
    return false;
}

void CPortalScreenGrabber::StopStream() {
    if (m_pipeline) {
        GstPtr<GstBus> bus(gst_element_get_bus(m_pipeline));
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
        gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
        gst_object_unref(m_pipeline);
        m_pipeline = nullptr;
    }
    std::lock_guard lock(m_mutex);
    if (m_latest)
        gst_sample_unref(m_latest);
    m_latest = nullptr;
}

void CPortalScreenGrabber::End() {
    StopStream();
    m_cast->Close();
    if (m_stream.fd >= 0)
        ::close(m_stream.fd);
    m_stream = CPortalScreenCast::Stream();
}

void CPortalScreenGrabber::OnSample(GstSample* sample) {
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstVideoInfo info;
    // pipewiresrc 0.3.65 can pass on buffers without a picture in them: keep the last one.
    if (!buffer || !gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) ||
        gst_buffer_get_size(buffer) < GST_VIDEO_INFO_SIZE(&info)) {
        gst_sample_unref(sample);
        return;
    }
    std::lock_guard lock(m_mutex);
    if (m_latest)
        gst_sample_unref(m_latest);
    m_latest = sample;
    m_newSample = true;
}

void CPortalScreenGrabber::OnStreamEnded(const QString& why) {
    std::lock_guard lock(m_mutex);
    if (m_ended.isEmpty())
        m_ended = why;
}

QString CPortalScreenGrabber::EndedReason() const {
    std::lock_guard lock(m_mutex);
    return m_ended;
}

bool CPortalScreenGrabber::MayHaveChanged() {
    return m_newSample.load();
}

QImage CPortalScreenGrabber::Grab(const QRect& rect) {
    GstSample* sample = nullptr;
    {
        std::lock_guard lock(m_mutex);
        if (m_latest)
            sample = gst_sample_ref(m_latest);
        m_newSample = false;
    }
    if (!sample)
        return {};
    QImage result;
    GstVideoInfo info;
    GstVideoFrame frame;
    if (gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) &&
        gst_video_frame_map(&frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ)) {
        const QImage picture(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
                             GST_VIDEO_FRAME_WIDTH(&frame), GST_VIDEO_FRAME_HEIGHT(&frame),
                             GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), QImage::Format_RGB32);
        // The monitor's place in the desktop and its size there (the picture may have more
        // pixels on a scaled desktop).
        const QSize logical = m_stream.size.isEmpty() ? picture.size() : m_stream.size;
        const QRect inMonitor = rect.translated(-m_stream.position);
        const double sx = double(picture.width()) / logical.width();
        const double sy = double(picture.height()) / logical.height();
        const QRect part(qRound(inMonitor.x() * sx), qRound(inMonitor.y() * sy),
                         qRound(inMonitor.width() * sx), qRound(inMonitor.height() * sy));
        if (picture.rect().contains(part)) {
            if (m_frame.size() != rect.size())
                m_frame = QImage(rect.size(), QImage::Format_RGB32);
            if (part.size() == rect.size()) {
                for (int y = 0; y < part.height(); ++y)
                    memcpy(m_frame.scanLine(y),
                           picture.constScanLine(part.y() + y) + 4 * qsizetype(part.x()),
                           4 * size_t(part.width()));
            } else {
                m_frame = picture.copy(part).scaled(rect.size(), Qt::IgnoreAspectRatio,
                                                    Qt::SmoothTransformation);
            }
            result = m_frame;
        }
        gst_video_frame_unmap(&frame);
    }
    gst_sample_unref(sample);
    return result;
}

IScreenGrabber::Pointer CPortalScreenGrabber::ReadPointer() {
    if (!m_pointer)
        return {};
    Pointer pointer = m_pointer->ReadPointer();
    // The desktop drew the pointer into the picture already: the halo only.
    if (m_pointerEmbedded.load())
        pointer.image = QImage();
    return pointer;
}

int CPortalScreenGrabber::CursorSize() {
    return m_pointer ? m_pointer->CursorSize() : 24;
}

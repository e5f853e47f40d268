#pragma once
// Recording frames in a Wayland session: the desktop shares the monitor through the
// ScreenCast portal, and its PipeWire stream runs into a small pipeline of its own
// (pipewiresrc into an appsink) that keeps the latest picture. The recorder's pump reads that
// picture at its own pace, as it reads the X screen elsewhere, so a still screen (which sends
// few buffers) keeps its time line, and pause, the clip region and the encoders work as ever.
//
// The pointer: the desktop draws it into the picture where it offers that; the halo (and the
// pointer itself when the desktop leaves it out) comes from `pointer`, the X11 grabber, which
// knows where the pointer is while it is over one of XWayland's windows.
#include "IScreenGrabber.h"
#include "portal/CPortalScreenCast.h"

#include <QObject>
#include <QSettings>
#include <atomic>
#include <memory>
#include <mutex>

typedef struct _GstElement GstElement;
typedef struct _GstSample GstSample;

class CPortalScreenGrabber : public QObject, public IScreenGrabber {
    Q_OBJECT
public:
    // `settings` keeps the portal's restore token between runs (null: the program's own).
    CPortalScreenGrabber(std::unique_ptr<IScreenGrabber> pointer,
                         std::unique_ptr<CPortalScreenCast> cast = nullptr,
                         QSettings* settings = nullptr);
    ~CPortalScreenGrabber() override;

    bool Begin(bool wantPointer, QString* reason) override;
    void End() override;
    QString EndedReason() const override;

    // Streaming thread.
    QImage Grab(const QRect& rect) override;
    bool MayHaveChanged() override;
    Pointer ReadPointer() override;
    int CursorSize() override;

    static constexpr const char* kTokenKey = "Portal/ScreenCastRestoreToken";
    // How long the first picture may take once the desktop has started the stream.
    static constexpr int kFirstFrameTimeoutMs = 5000;
    // The stream's own pace on a still screen: pipewiresrc sends the last picture again after
    // this long (without it, one buffer in seconds).
    static constexpr int kKeepAliveMs = 100;

    // Any thread: the newest picture was taken (by the appsink's callback).
    void OnSample(GstSample* sample);
    void OnStreamEnded(const QString& why);

private:
    void StopStream();

    std::unique_ptr<IScreenGrabber> m_pointer;
    std::unique_ptr<CPortalScreenCast> m_cast;
    QSettings* m_settings;
    std::unique_ptr<QSettings> m_ownSettings;
    CPortalScreenCast::Stream m_stream;
    GstElement* m_pipeline = nullptr;
    mutable std::mutex m_mutex;
    GstSample* m_latest = nullptr; // under m_mutex
    QString m_ended;               // under m_mutex
    std::atomic<bool> m_newSample{false};
    std::atomic<bool> m_pointerEmbedded{false};
    QImage m_frame; // streaming thread
};

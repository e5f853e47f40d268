#pragma once
// The webcam's picture branch: the first video source pulled as RGB pictures into an app sink,
// from which the window takes the newest picture on its own timer. User-interface thread only.
//
// RAVLIN_WEBCAM_SOURCE, when set, is a pipeline description used instead of the first webcam
// (for example a shmsrc reading another program's pictures); tests feed the window that way.
#include "GstHandles.h"

#include <QImage>
#include <QString>
#include <cstddef>

class CWebcamCapture {
public:
    CWebcamCapture() = default;
    ~CWebcamCapture() = default;
    CWebcamCapture(const CWebcamCapture&) = delete;
    CWebcamCapture& operator=(const CWebcamCapture&) = delete;

    // Builds the branch for the first webcam and runs it. False when there is no webcam or it
    // cannot run (busy, unplugged, a format we cannot convert).
    bool Start();
    void Stop();
    bool IsRunning() const { return m_pipeline != nullptr; }

    // Checks the branch for errors and the end of its stream, then takes the newest picture if
    // a new one came. False once the feed has gone (the branch is then stopped).
    bool Poll();
    // The newest picture (null before the first one).
    const QImage& Frame() const { return m_frame; }

    // A copy of one RGB picture of `width` x `height` whose rows lie `stride` bytes apart, top
    // row first; null when `size` bytes cannot hold it.
    static QImage FrameFromRgb(const unsigned char* data, std::size_t size, int width, int height,
                               int stride);

private:
    GstElement* MakeSource() const;

    GstPipelineRef m_pipeline;
    GstRef<GstElement> m_sink;
    QImage m_frame;
};

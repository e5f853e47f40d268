#pragma once
// The recording's picture source: frames of the capture rectangle as the screen shows it, with
// the pointer and a yellow halo around it while the record-pointer flag is set, as 24-bit rows
// (blue, green, red) padded to 4 bytes, top row first.
//
// The user-interface thread sets the region (only while no recording runs) and writes the
// record-pointer flag and the pause times at any time; the streaming thread reads those without
// a lock, so they are atomics. A change shows in the next frame.
#include "IScreenGrabber.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <atomic>
#include <cstdint>
#include <functional>

class CScreen {
public:
    using Clock = std::function<std::uint32_t()>;
    // `clockMs` is the program's millisecond clock (wrapping at 2^32); tests step their own.
    explicit CScreen(IScreenGrabber& grabber, Clock clockMs = {});

    // The rectangle to record, in device pixels of the virtual desktop: left and top with width
    // and height, or the whole `monitorRect` when one side is 0. The frame takes its size.
    // Encoders want even sides, so an odd side loses its last column or row.
    void SetCaptureRegion(const QRect& monitorRect, int left, int top, int width, int height);
    // False (and nothing changes) when a side is below 1.
    bool SetFrameSize(int width, int height);
    QRect CaptureRect() const { return m_captureRect; }
    QSize FrameSize() const { return m_frameSize; }
    static int RowBytes(int width) { return (width * 3 + 3) & ~3; }
    qsizetype FrameBytes() const {
        return qsizetype(RowBytes(m_frameSize.width())) * m_frameSize.height();
    }

    // The Record Mouse option as the frames see it.
    void SetRecordPointer(bool on) { m_recordPointer.store(on); }
    bool RecordPointer() const { return m_recordPointer.load(); }

    // Grabs once and throws the picture away: the first grab sets up what the display server
    // writes into (33 MB at 3840 x 2160) and takes several frame intervals, so it is done before
    // the recording's clock starts.
    void PrepareGrab();
    // Time stamps: 0 at the start of a recording, paused time taken out.
    void OnThreadCreate();
    void PauseAt(std::uint32_t nowMs) { m_pauseStartMs.store(nowMs); }
    void ResumeAt(std::uint32_t nowMs) { m_baseTimeMs.fetch_add(nowMs - m_pauseStartMs.load()); }
    // The clock's reading at which recorded time was 0, pauses taken out: the recording's
    // other streams keep their own time that way, and the picture is set to the same zero.
    void SetZeroMs(std::uint32_t zeroMs) { m_baseTimeMs.store(zeroMs); }
    void Pause() { PauseAt(NowMs()); }
    void Resume() { ResumeAt(NowMs()); }
    // Milliseconds of recorded time now (may be called from any thread).
    std::int64_t RecordedMs() const;
    std::uint32_t NowMs() const;

    // Streaming thread: grabs the capture rectangle, draws pointer and halo, and writes the
    // frame into `buffer` (at most `size` bytes of whole padded rows). False when the screen
    // could not be read; the buffer is then left as it was.
    bool FillBuffer(std::uint8_t* buffer, qsizetype size);

    // The frame as the encoder takes it: planar 4:2:0 (I420) in the usual layout, each plane's
    // rows rounded up to 4 bytes, BT.601 colours in the limited range (what WMV players assume).
    // Converting here, straight from the 32-bit grab, saves a 24-bit copy and a second
    // conversion per frame.
    struct I420Layout {
        int yStride = 0;
        int uvStride = 0;
        qsizetype uOffset = 0;
        qsizetype vOffset = 0;
        qsizetype bytes = 0;
    };
    static I420Layout I420(QSize frame);
    qsizetype I420Bytes() const { return I420(m_frameSize).bytes; }
    // Streaming thread: grabs the capture rectangle, draws pointer and halo, and writes the
    // frame into `buffer` as I420. Unchanged, without reading the screen, when the grabber knows
    // nothing was drawn since the last frame and the pointer is drawn as it was; Failed when the
    // screen could not be read (the buffer may hold part of the frame then) or the buffer is too
    // small (it is left as it was).
    // `readAnyway` reads the screen whatever the grabber says: now and then, so a change the
    // display server did not report is late at worst, never lost.
    enum class Frame { Failed, Unchanged, Written };
    Frame FillI420(std::uint8_t* buffer, qsizetype size, bool readAnyway = false);
    static void ConvertToI420(const QImage& picture, QSize frame, std::uint8_t* buffer);
    // The most of the screen read at once, in bytes of the grabber's 32-bit picture.
    static constexpr qsizetype kGrabBandBytes = qsizetype(8) << 20;

    // Draws the pointer with its hot spot on the pointer's place and the halo, the halo's
    // corner at the pointer less half the cursor size. `origin` is the picture's top-left corner
    // in screen coordinates.
    static void DrawPointer(QImage& picture, const QPoint& origin,
                            const IScreenGrabber::Pointer& pointer, int cursorSize);
    static constexpr int kHaloSize = 36;

private:
    // The picture's rows into the frame from row `top` (even) on.
    static void ConvertRows(const QImage& picture, QSize frame, int top, std::uint8_t* buffer);
    // How many rows of the capture rectangle are read at once.
    int BandRows() const;

    IScreenGrabber& m_grabber;
    Clock m_clockMs;
    QRect m_captureRect;
    QSize m_frameSize;
    std::atomic<bool> m_recordPointer{true};
    std::atomic<std::uint32_t> m_baseTimeMs{0};
    std::atomic<std::uint32_t> m_pauseStartMs{0};
    // What the last frame written showed (streaming thread only).
    bool m_wroteFrame = false;
    bool m_lastDrewPointer = false;
    IScreenGrabber::Pointer m_lastPointer;
};

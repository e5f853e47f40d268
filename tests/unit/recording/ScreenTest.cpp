#include "CScreen.h"
#include "fake/CFakeScreenGrabber.h"

#include <QPainter>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The colour at (x, y) of a frame of 24-bit rows (blue, green, red) padded to 4 bytes.
QColor FramePixel(const std::vector<std::uint8_t>& frame, int width, int x, int y) {
    const std::uint8_t* p = frame.data() + y * CScreen::RowBytes(width) + 3 * x;
    return QColor(p[2], p[1], p[0]);
}

class ScreenTest : public ::testing::Test {
protected:
    ScreenTest() {
        QImage desktop(200, 100, QImage::Format_RGB32);
        desktop.fill(QColor(0, 0, 255));
        grabber.SetScreen(desktop);
    }
    std::vector<std::uint8_t> Frame() {
        std::vector<std::uint8_t> frame(size_t(screen.FrameBytes()), 0xEE);
        EXPECT_TRUE(screen.FillBuffer(frame.data(), qsizetype(frame.size())));
        return frame;
    }
    // A 9 x 9 pointer: black, with its hot spot in the middle like a text beam's.
    static IScreenGrabber::Pointer Beam(QPoint at) {
        IScreenGrabber::Pointer pointer;
        pointer.visible = true;
        pointer.position = at;
        pointer.hotSpot = QPoint(4, 4);
        pointer.image = QImage(9, 9, QImage::Format_ARGB32_Premultiplied);
        pointer.image.fill(Qt::black);
        return pointer;
    }

    CFakeScreenGrabber grabber{QSize(200, 100)};
    std::uint32_t nowMs = 1000;
    CScreen screen{grabber, [this] { return nowMs; }};
};

} // namespace

TEST_F(ScreenTest, CaptureRectangleAndFrameSize) {
    struct Case {
        QRect region; // left, top, width, height as the control passes them
        QRect capture;
    } cases[] = {
        {QRect(10, 20, 64, 48), QRect(10, 20, 64, 48)},
        {QRect(10, 20, 0, 48), QRect(0, 0, 200, 100)}, // a side of 0: the whole display
        {QRect(10, 20, 64, 0), QRect(0, 0, 200, 100)},
        {QRect(10, 20, 63, 47), QRect(10, 20, 62, 46)}, // encoders take even sides only
    };
    for (const Case& c : cases) {
        screen.SetCaptureRegion(QRect(0, 0, 200, 100), c.region.x(), c.region.y(), c.region.width(),
                                c.region.height());
        EXPECT_EQ(screen.CaptureRect(), c.capture);
        EXPECT_EQ(screen.FrameSize(), c.capture.size());
    }
    EXPECT_FALSE(screen.SetFrameSize(0, 10));
    EXPECT_FALSE(screen.SetFrameSize(10, -1));
}

TEST_F(ScreenTest, RowsArePaddedToFourBytes) {
    // 22 pixels make 66 bytes a row, padded to 68.
    screen.SetCaptureRegion(QRect(0, 0, 200, 100), 0, 0, 22, 10);
    screen.SetRecordPointer(false);
    EXPECT_EQ(CScreen::RowBytes(22), 68);
    EXPECT_EQ(screen.FrameBytes(), 680);
    const auto frame = Frame();
    for (int y = 0; y < 10; ++y) {
        EXPECT_EQ(FramePixel(frame, 22, 21, y), QColor(0, 0, 255));
        EXPECT_EQ(frame[y * 68 + 66], 0);
        EXPECT_EQ(frame[y * 68 + 67], 0);
    }
    // A buffer too small for the frame gets whole rows only, never more than it holds.
    std::vector<std::uint8_t> small(150, 0xEE);
    EXPECT_TRUE(screen.FillBuffer(small.data(), 100));
    EXPECT_EQ(small[0], 0xFF);  // the first row's first blue byte
    EXPECT_EQ(small[68], 0xEE); // the second row does not fit in 100 bytes
}

TEST_F(ScreenTest, PointerSitsOnItsHotSpotWithTheHaloAtHalfTheCursorSize) {
    screen.SetCaptureRegion(QRect(0, 0, 200, 100), 20, 10, 160, 80);
    grabber.SetCursorSize(32);
    grabber.SetPointer(Beam(QPoint(100, 50)));
    const auto frame = Frame();
    // The pointer is at (80, 40) in the frame: its middle pixel, not its corner, is there.
    // Under the halo, black shows as no blue at all; the blue desktop keeps half its blue.
    EXPECT_EQ(FramePixel(frame, 160, 80 - 4, 40 - 4).blue(), 0);
    EXPECT_EQ(FramePixel(frame, 160, 80 + 4, 40 + 4).blue(), 0);
    EXPECT_NEAR(FramePixel(frame, 160, 80 + 6, 40 + 6).blue(), 128, 2);
    // The halo's box starts 16 pixels up and left of the pointer and is 36 wide: yellow at
    // alpha 127 over blue.
    const QColor halo = FramePixel(frame, 160, 80 - 16 + 18, 40 - 16 + 30);
    EXPECT_NEAR(halo.red(), 127, 2);
    EXPECT_NEAR(halo.green(), 127, 2);
    EXPECT_NEAR(halo.blue(), 128, 2);
    EXPECT_EQ(FramePixel(frame, 160, 80 - 17, 40), QColor(0, 0, 255));
    EXPECT_EQ(FramePixel(frame, 160, 80 + 21, 40), QColor(0, 0, 255));
}

TEST_F(ScreenTest, NeitherPointerNorHaloWhenOffOrHidden) {
    screen.SetCaptureRegion(QRect(0, 0, 200, 100), 0, 0, 0, 0);
    for (bool recordPointer : {false, true}) {
        IScreenGrabber::Pointer pointer = Beam(QPoint(100, 50));
        pointer.visible = recordPointer ? false : true;
        grabber.SetPointer(pointer);
        screen.SetRecordPointer(recordPointer);
        const auto frame = Frame();
        for (QPoint p : {QPoint(100, 50), QPoint(90, 50), QPoint(110, 60)})
            EXPECT_EQ(FramePixel(frame, 200, p.x(), p.y()), QColor(0, 0, 255));
    }
}

TEST_F(ScreenTest, PausedTimeIsTakenOutOfTheTimeStamps) {
    screen.OnThreadCreate();
    nowMs += 2000;
    EXPECT_EQ(screen.RecordedMs(), 2000);
    screen.Pause();
    nowMs += 5000;
    screen.Resume();
    EXPECT_EQ(screen.RecordedMs(), 2000);
    nowMs += 40;
    EXPECT_EQ(screen.RecordedMs(), 2040);
    // The millisecond clock wraps around at 2^32 without a jump.
    nowMs = 0xFFFFFFF0u;
    screen.OnThreadCreate();
    nowMs += 0x30;
    EXPECT_EQ(screen.RecordedMs(), 0x30);
}

TEST_F(ScreenTest, AScreenThatCannotBeReadLeavesTheBufferAlone) {
    // A capture rectangle reaching past the screen: the grab fails.
    screen.SetCaptureRegion(QRect(0, 0, 400, 100), 0, 0, 0, 0);
    std::vector<std::uint8_t> frame(size_t(screen.FrameBytes()), 0xEE);
    EXPECT_FALSE(screen.FillBuffer(frame.data(), qsizetype(frame.size())));
    EXPECT_EQ(frame.front(), 0xEE);
}

// The encoder's frames: I420 in BT.601 limited-range colours, and only when the screen changed.
TEST_F(ScreenTest, FramesForTheEncoderAreI420InBt601Colours) {
    struct Case {
        QColor colour;
        int y, u, v;
    } cases[] = {{Qt::white, 235, 128, 128},
                 {Qt::black, 16, 128, 128},
                 {QColor(255, 0, 0), 82, 90, 240},
                 {QColor(0, 0, 255), 41, 240, 110}};
    screen.SetCaptureRegion(QRect(0, 0, 200, 100), 0, 0, 0, 0);
    screen.SetRecordPointer(false);
    const CScreen::I420Layout layout = CScreen::I420(screen.FrameSize());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.colour.name().toStdString());
        QImage desktop(200, 100, QImage::Format_RGB32);
        desktop.fill(c.colour);
        grabber.SetScreen(desktop);
        std::vector<std::uint8_t> frame(size_t(screen.I420Bytes()), 0xEE);
        ASSERT_EQ(screen.FillI420(frame.data(), qsizetype(frame.size())), CScreen::Frame::Written);
        EXPECT_EQ(frame[size_t(99 * layout.yStride + 199)], c.y);
        EXPECT_EQ(frame[size_t(layout.uOffset + 49 * layout.uvStride + 99)], c.u);
        EXPECT_EQ(frame[size_t(layout.vOffset + 49 * layout.uvStride + 99)], c.v);
    }
}

TEST_F(ScreenTest, I420PlanesUseTheStandardLayout) {
    // Chroma rows of 161 samples are rounded up to 164 bytes, as the encoder reads them.
    const CScreen::I420Layout layout = CScreen::I420(QSize(322, 240));
    EXPECT_EQ(layout.yStride, 324);
    EXPECT_EQ(layout.uvStride, 164);
    EXPECT_EQ(layout.uOffset, 324 * 240);
    EXPECT_EQ(layout.vOffset, 324 * 240 + 164 * 120);
    EXPECT_EQ(layout.bytes, 324 * 240 + 2 * 164 * 120);
}

TEST_F(ScreenTest, AnI420FrameNeedsTheWholeScreenRectangleAndRoomForIt) {
    screen.SetCaptureRegion(QRect(0, 0, 200, 100), 0, 0, 0, 0);
    std::vector<std::uint8_t> frame(size_t(screen.I420Bytes()), 0xEE);
    EXPECT_EQ(screen.FillI420(frame.data(), 10), CScreen::Frame::Failed);
    EXPECT_EQ(frame.front(), 0xEE);
    screen.SetCaptureRegion(QRect(0, 0, 400, 100), 0, 0, 0, 0);
    std::vector<std::uint8_t> wide(size_t(screen.I420Bytes()), 0xEE);
    EXPECT_EQ(screen.FillI420(wide.data(), qsizetype(wide.size())), CScreen::Frame::Failed);
    EXPECT_EQ(wide.front(), 0xEE);
}

TEST_F(ScreenTest, AScreenKnownUnchangedIsNotReadAgain) {
    grabber.SetReportsDamage(true);
    screen.SetCaptureRegion(QRect(0, 0, 200, 100), 0, 0, 0, 0);
    screen.SetRecordPointer(true);
    grabber.SetPointer(Beam(QPoint(50, 50)));
    std::vector<std::uint8_t> frame(size_t(screen.I420Bytes()), 0);
    const auto fill = [&] { return screen.FillI420(frame.data(), qsizetype(frame.size())); };
    screen.OnThreadCreate();
    EXPECT_EQ(fill(), CScreen::Frame::Written);
    const int grabs = grabber.GrabCount();
    EXPECT_EQ(fill(), CScreen::Frame::Unchanged);
    EXPECT_EQ(grabber.GrabCount(), grabs);
    // Now and then the screen is read even so, in case a change went unreported.
    EXPECT_EQ(screen.FillI420(frame.data(), qsizetype(frame.size()), true),
              CScreen::Frame::Written);
    EXPECT_EQ(grabber.GrabCount(), grabs + 1);

    // Drawing, a pointer that moved, the pointer switched off, and a new recording each make
    // a frame of their own.
    QImage desktop(200, 100, QImage::Format_RGB32);
    desktop.fill(Qt::white);
    const std::function<void()> changes[] = {
        [&] { grabber.SetScreen(desktop); },
        [&] { grabber.SetPointer(Beam(QPoint(51, 50))); },
        [&] { screen.SetRecordPointer(false); },
        [&] { screen.OnThreadCreate(); },
    };
    for (size_t i = 0; i < std::size(changes); ++i) {
        SCOPED_TRACE(i);
        changes[i]();
        EXPECT_EQ(fill(), CScreen::Frame::Written);
        EXPECT_EQ(fill(), CScreen::Frame::Unchanged);
    }
}

TEST_F(ScreenTest, AScreenReadInBandsMakesTheSameFrameAsOneRead) {
    // A screen wide enough to be read in three bands, with the pointer and its halo across the
    // seam between the first two and an odd capture origin.
    CFakeScreenGrabber wide(QSize(3900, 1200));
    QImage desktop(3900, 1200, QImage::Format_RGB32);
    std::uint32_t seed = 5;
    for (int y = 0; y < desktop.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(desktop.scanLine(y));
        for (int x = 0; x < desktop.width(); ++x)
            row[x] = 0xff000000u | ((seed = seed * 1664525u + 1013904223u) >> 8);
    }
    wide.SetScreen(desktop);
    CScreen banded(wide);
    const QRect capture(31, 7, 3840, 1100);
    banded.SetCaptureRegion(capture, 31, 7, 3840, 1100);
    const int bandRows = int(CScreen::kGrabBandBytes / (3840 * 4)) & ~1;
    ASSERT_LT(bandRows * 2, capture.height());
    ASSERT_GT(bandRows * 3, capture.height());
    const IScreenGrabber::Pointer pointer = Beam(capture.topLeft() + QPoint(900, bandRows));
    wide.SetPointer(pointer);
    wide.SetCursorSize(24);
    std::vector<std::uint8_t> frame(size_t(banded.I420Bytes()), 0);
    banded.OnThreadCreate();
    ASSERT_EQ(banded.FillI420(frame.data(), qsizetype(frame.size())), CScreen::Frame::Written);
    EXPECT_EQ(wide.GrabCount(), 3);

    QImage whole = desktop.copy(capture);
    CScreen::DrawPointer(whole, capture.topLeft(), pointer, 24);
    std::vector<std::uint8_t> expected(frame.size(), 0);
    CScreen::ConvertToI420(whole, capture.size(), expected.data());
    EXPECT_TRUE(frame == expected);
}

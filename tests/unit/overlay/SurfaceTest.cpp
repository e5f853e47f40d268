// The surface: rebuilt from background and page, the clip region's frame, and what the overlay
// does without a compositing manager.
#include "OverlayFixture.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>

namespace {
class SurfaceTest : public OverlayFixture {};

bool SameArea(const QRegion& a, const QRegion& b) {
    return a.xored(b).isEmpty();
}

// The first page is cleared to the alpha-1 background and composed over it again by a redraw:
// white at alpha 1 or 2, invisible either way and still taking the mouse.
bool IsDesktopBackground(QRgb pixel) {
    return (pixel & 0xFFFFFF) == 0xFFFFFF && qAlpha(pixel) >= 1 && qAlpha(pixel) <= 2;
}

TEST_F(SurfaceTest, RedrawShowsThePageOverTheBackground) {
    CreateOverlay();
    PaintOnPage(QRect(100, 100, 10, 10), QColor(0, 128, 0));
    PaintOnPage(QRect(200, 100, 10, 10), QColor(255, 0, 0, 0x8F));
    overlay->DoRedraw();
    const QImage& surface = overlay->Surface();
    EXPECT_EQ(Unpremultiplied(surface, QPoint(105, 105)), 0xFF008000u);
    EXPECT_TRUE(IsDesktopBackground(Unpremultiplied(surface, QPoint(5, 5))));
    // Translucent ink over the alpha-1 background: blended, never darker than the ink.
    const QRgb marker = Unpremultiplied(surface, QPoint(205, 105));
    EXPECT_NEAR(qAlpha(marker), 0x8F, 1);
    EXPECT_NEAR(qRed(marker), 255, 1);

    // An opaque board background covers the desktop; the page's alpha-1 white hardly tints it.
    overlay->backgroundColour = 0xFF000000;
    overlay->DoRedraw();
    const QRgb board = Unpremultiplied(overlay->Surface(), QPoint(5, 5));
    EXPECT_EQ(qAlpha(board), 255);
    EXPECT_LE(qRed(board), 1);
}

TEST_F(SurfaceTest, ClipRegionGetsADashDotDotFrameOutsideIt) {
    CreateOverlay();
    overlay->clipRegion = QRect(100, 200, 300, 150);
    overlay->DoRedraw();
    const QImage& surface = overlay->Surface();
    // The frame runs one pixel outside the region.
    EXPECT_EQ(Unpremultiplied(surface, QPoint(99, 199)), 0xFF000000u);
    EXPECT_TRUE(IsDesktopBackground(Unpremultiplied(surface, QPoint(100, 200))));
    int black = 0, gaps = 0;
    for (int x = 99; x <= 400; ++x)
        (Unpremultiplied(surface, QPoint(x, 199)) == 0xFF000000u ? black : gaps)++;
    EXPECT_GT(black, 50);
    EXPECT_GT(gaps, 20) << "a dash-dot-dot frame has gaps";
    // Nothing else of the surface is touched.
    EXPECT_TRUE(IsDesktopBackground(Unpremultiplied(surface, QPoint(250, 275))));
    EXPECT_TRUE(IsDesktopBackground(Unpremultiplied(surface, QPoint(99, 160))));
}

TEST_F(SurfaceTest, WithoutACompositorOnlyTheInkIsShownAndTheUserIsToldOnce) {
    server.compositing = false;
    CreateOverlay();
    ASSERT_EQ(dialogs.notices.size(), 1);
    ASSERT_TRUE(server.shape.has_value());
    EXPECT_TRUE(server.shape->isEmpty()) << "an empty page shows nothing at all";

    PaintOnPage(QRect(300, 300, 20, 5), Qt::red);
    overlay->DoRedraw();
    ASSERT_TRUE(server.shape.has_value());
    EXPECT_TRUE(SameArea(*server.shape, QRegion(300, 300, 20, 5)));

    // The compositor comes and goes again: the shape goes with it, the notice is not repeated.
    server.SetCompositing(true);
    EXPECT_FALSE(server.shape.has_value());
    server.SetCompositing(false);
    EXPECT_TRUE(SameArea(*server.shape, QRegion(300, 300, 20, 5)));
    EXPECT_EQ(dialogs.notices.size(), 1);
}

TEST_F(SurfaceTest, DrawingWithoutACompositorFreezesTheDesktopUnderTheInk) {
    CreateOverlay();
    server.SetCompositing(false);
    overlay->LeavePointerMode();
    EXPECT_EQ(server.grabCalls, 1);
    EXPECT_FALSE(server.shape.has_value()) << "the whole overlay takes the mouse while drawing";

    PaintOnPage(QRect(50, 50, 10, 10), Qt::red);
    overlay->DoRedraw();
    const QImage shown = overlay->grab(QRect(40, 40, 30, 30)).toImage();
    EXPECT_EQ(shown.pixel(15, 15) & 0xFFFFFF, 0xFF0000u);
    // The frozen desktop under the almost invisible background, not a black sheet.
    const QRgb desktop = shown.pixel(2, 2);
    const QRgb expected = server.screenColour.rgb();
    EXPECT_NEAR(qRed(desktop), qRed(expected), 2);
    EXPECT_NEAR(qGreen(desktop), qGreen(expected), 2);
    EXPECT_NEAR(qBlue(desktop), qBlue(expected), 2);

    overlay->EnterPointerMode();
    ASSERT_TRUE(server.shape.has_value());
    EXPECT_TRUE(SameArea(*server.shape, QRegion(50, 50, 10, 10)));
}
TEST_F(SurfaceTest, DrawingWithoutACompositorFreezesTheDesktopOfTheDisplayNowCovered) {
    server.compositing = false;
    CreateOverlay();
    overlay->OnCommand(ID_PEN);
    EXPECT_EQ(server.lastGrab, QRect(0, 0, 1920, 1040));

    server.screenColour = QColor(200, 40, 40); // the other monitor shows something else
    overlay->SelectDisplay(1);
    EXPECT_EQ(server.lastGrab, QRect(1920, 200, 1280, 1024));
    const QRgb shown = overlay->grab(QRect(10, 10, 4, 4)).toImage().pixel(1, 1);
    EXPECT_NEAR(qRed(shown), 200, 2);
    EXPECT_NEAR(qBlue(shown), 40, 2);
    EXPECT_FALSE(server.shape.has_value()) << "the whole overlay still takes the mouse";

    // In pointer mode nothing is frozen, so nothing is taken.
    overlay->OnCommand(ID_MOUSE);
    const int grabs = server.grabCalls;
    overlay->SelectDisplay(0);
    EXPECT_EQ(server.grabCalls, grabs);
}

// Records the areas the overlay paints.
class CPaintRecorder : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
    QRegion painted;
};

TEST_F(SurfaceTest, AStrokeSegmentOffTheOverlayPresentsNothing) {
    CreateOverlay({{QRect(0, 0, 400, 300), QRect(0, 0, 400, 300), true, 1.0, "small"}});
    overlay->show();
    overlay->OnCommand(ID_PEN);
    CPaintRecorder recorder;
    overlay->installEventFilter(&recorder);
    auto tickTo = [&](QPoint at) {
        overlay->OnMouseMove(at);
        overlay->OnTimer(CMainWindow::kStrokeTimerId);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    };
    overlay->OnLButtonDown(QPoint(200, 150));
    QCoreApplication::processEvents(); // the whole window, from leaving pointer mode
    recorder.painted = QRegion();
    tickTo(QPoint(220, 150));
    ASSERT_FALSE(recorder.painted.isEmpty()) << "the harness sees presents";
    EXPECT_LT(recorder.painted.boundingRect().width(), 100) << "only the segment's box";
    tickTo(QPoint(-300, -200)); // leaves the overlay: this segment still crosses it

    // Each case is reached from the last point of the one before; `via` is ticked first.
    const struct {
        const char* where;
        std::vector<QPoint> via;
        QPoint to;
    } cases[] = {
        {"above", {}, {-100, -250}},
        {"left", {}, {-400, 100}},
        {"right and below", {{900, 400}, {1200, 900}}, {900, 700}},
    };
    for (const auto& c : cases) {
        for (const QPoint& p : c.via)
            tickTo(p);
        recorder.painted = QRegion();
        const int shapes = server.shapeCalls;
        tickTo(c.to);
        EXPECT_TRUE(recorder.painted.isEmpty())
            << c.where << ": " << recorder.painted.boundingRect().width() << " wide";
        EXPECT_EQ(server.shapeCalls, shapes) << c.where;
    }
    overlay->OnLButtonUp(QPoint(900, 700));
    overlay->removeEventFilter(&recorder);
}
} // namespace

// Strokes read back from the page and the surface: pen, marker, eraser and region selection,
// each driven through the same press / move / tick / release pipeline the mouse uses. After
// every tool a rebuild of the surface from the model must show what the surface showed.
#include "CInkStrokes.h"
#include "OverlayFixture.h"
#include "Trace.h"

#include <QClipboard>
#include <QGuiApplication>
#include <queue>

namespace {
constexpr QRgb kRed = 0xFFFF0000;

class StrokeTest : public OverlayFixture {
protected:
    void SetUp() override {
        CreateOverlay({{QRect(0, 0, 400, 300), QRect(0, 0, 400, 300), true, 1.0, "small"}});
    }
    // A drag with a drawing tick after every move.
    void Drag(const std::vector<QPoint>& points, bool tickEachMove = true) {
        overlay->OnLButtonDown(points.front());
        for (size_t i = 1; i < points.size(); ++i) {
            overlay->OnMouseMove(points[i]);
            if (tickEachMove)
                overlay->OnTimer(CMainWindow::kStrokeTimerId);
        }
        overlay->OnLButtonUp(points.back());
    }
    QRgb Page(int x, int y) const {
        return Unpremultiplied(overlay->CurrentPage()->bitmap, QPoint(x, y));
    }
    QRgb Shown(int x, int y) const { return Unpremultiplied(overlay->Surface(), QPoint(x, y)); }

    // Every pixel of the surface against what a rebuild from the model gives: equal within one
    // per channel, alpha-0 pixels equal whatever their colour.
    void ExpectRedrawReproducesTheSurface() {
        const QImage before = overlay->Surface().copy();
        overlay->DoRedraw();
        const QImage& after = overlay->Surface();
        int mismatches = 0;
        for (int y = 0; y < before.height(); ++y)
            for (int x = 0; x < before.width(); ++x) {
                const QRgb a = qUnpremultiply(before.pixel(x, y));
                const QRgb b = qUnpremultiply(after.pixel(x, y));
                if (qAlpha(a) == 0 && qAlpha(b) == 0)
                    continue;
                if (std::abs(qAlpha(a) - qAlpha(b)) > 1 || std::abs(qRed(a) - qRed(b)) > 1 ||
                    std::abs(qGreen(a) - qGreen(b)) > 1 || std::abs(qBlue(a) - qBlue(b)) > 1) {
                    if (++mismatches <= 3)
                        ADD_FAILURE() << "pixel " << x << "," << y << " surface " << std::hex << a
                                      << " redraw " << b;
                }
            }
        EXPECT_EQ(mismatches, 0);
    }
};

// Pixels of the page with full pen colour, connected: a flood fill from `from` reaches `to`.
bool Connected(const QImage& page, QPoint from, QPoint to, QRgb colour) {
    auto ink = [&](QPoint p) {
        return page.rect().contains(p) && qUnpremultiply(page.pixel(p)) == colour;
    };
    if (!ink(from) || !ink(to))
        return false;
    std::vector<bool> seen(static_cast<size_t>(page.width() * page.height()));
    std::queue<QPoint> open;
    open.push(from);
    while (!open.empty()) {
        const QPoint p = open.front();
        open.pop();
        if (p == to)
            return true;
        for (QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            const QPoint q = p + d;
            const size_t index = static_cast<size_t>(q.y() * page.width() + q.x());
            if (ink(q) && !seen[index]) {
                seen[index] = true;
                open.push(q);
            }
        }
    }
    return false;
}

TEST_F(StrokeTest, PenSegmentsOfConsecutiveTicksMeetWithoutGaps) {
    overlay->OnCommand(ID_PEN);
    Drag({{40, 40}, {90, 60}, {140, 40}, {190, 90}, {240, 60}});
    const QImage& page = overlay->CurrentPage()->bitmap;
    EXPECT_TRUE(Connected(page, QPoint(40, 40), QPoint(240, 60), kRed));
    for (QPoint joint : {QPoint(90, 60), QPoint(140, 40), QPoint(190, 90)}) {
        EXPECT_EQ(Page(joint.x(), joint.y()), kRed);
        EXPECT_EQ(Shown(joint.x(), joint.y()), kRed);
    }
    EXPECT_FALSE(overlay->IsStrokeTimerRunning()) << "the release of a pen stroke stops the timer";
    ExpectRedrawReproducesTheSurface();
}

TEST_F(StrokeTest, AQuickStrokeKeepsItsEndAndAClickDrawsNothing) {
    overlay->OnCommand(ID_PEN);
    // Released before any tick: the whole stroke comes from the release.
    Drag({{20, 200}, {120, 200}, {220, 200}}, false);
    EXPECT_EQ(Page(200, 200), kRed);
    EXPECT_EQ(Page(120, 200), kRed);

    const QImage before = overlay->CurrentPage()->bitmap.copy();
    overlay->OnLButtonDown(QPoint(300, 100));
    overlay->OnTimer(CMainWindow::kStrokeTimerId);
    overlay->OnLButtonUp(QPoint(300, 100));
    EXPECT_EQ(overlay->CurrentPage()->bitmap, before) << "not even a dot";
}

TEST_F(StrokeTest, MarkerCrossingItselfKeepsOneLayerButASecondStrokeAddsOne) {
    overlay->OnCommand(ID_MARKER);
    // One stroke that crosses itself at (100, 100).
    Drag({{40, 100}, {160, 100}, {160, 40}, {100, 40}, {100, 160}});
    const QRgb single = Page(60, 100);
    const QRgb crossing = Page(100, 100);
    EXPECT_NEAR(qAlpha(single), 0x8F, 1);
    EXPECT_EQ(crossing, single);
    EXPECT_EQ(Shown(100, 100), Shown(60, 100));
    ExpectRedrawReproducesTheSurface();

    Drag({{100, 60}, {100, 140}});
    EXPECT_GT(qAlpha(Page(100, 100)), qAlpha(single) + 20) << "a second layer darkens";
    EXPECT_EQ(Page(60, 100), single) << "beside the second stroke nothing changes";
}

TEST_F(StrokeTest, MarkerOverAPenLineTintsItWithoutCoveringIt) {
    overlay->OnCommand(ID_PEN_BLUE);
    overlay->OnCommand(ID_PEN_THICK);
    Drag({{50, 150}, {350, 150}});
    overlay->OnCommand(ID_MARKER_YELLOW);
    Drag({{200, 100}, {200, 200}});
    const QRgb tinted = Page(200, 150);
    EXPECT_EQ(qAlpha(tinted), 255);
    EXPECT_GT(qBlue(tinted), 40) << "the blue line shows through";
    EXPECT_GT(qRed(tinted), 100) << "tinted yellow";
    ExpectRedrawReproducesTheSurface();
}

TEST_F(StrokeTest, EraserLeavesThePagesEmptyValueOfEachScene) {
    const struct {
        const char* scene;
        int desktopScene;
        ARGB background;
        QRgb pageAfter; // unpremultiplied; alpha 0 compares equal whatever its colour
    } cases[] = {
        {"desktop", 1, 0x01FFFFFF, 0x01FFFFFF},
        {"whiteboard", 0, 0xFFFFFFFF, 0x00000000},
        {"blackboard", 0, 0xFF000000, 0x00000000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scene);
        overlay->desktopScene = c.desktopScene;
        overlay->backgroundColour = c.background;
        overlay->boardColour = c.background;
        overlay->DoRedraw();
        overlay->OnCommand(ID_PEN);
        Drag({{50, 50}, {350, 50}});
        overlay->OnCommand(ID_MARKER);
        Drag({{50, 60}, {350, 60}});
        overlay->OnCommand(ID_ERASER);
        Drag({{200, 20}, {200, 100}});
        const QRgb page = Page(200, 55);
        if (qAlpha(c.pageAfter) == 0)
            EXPECT_EQ(qAlpha(page), 0);
        else
            EXPECT_EQ(page, c.pageAfter);
        // The background shows: the desktop's white at alpha 1 (2 where the page's own alpha-1
        // white lies over it), a board's colour exactly.
        if (c.desktopScene)
            EXPECT_LE(qAlpha(Shown(200, 55)), 2);
        else
            EXPECT_EQ(Shown(200, 55), c.background);
        EXPECT_EQ(Page(100, 50), kRed) << "nothing beside the path";
        ExpectRedrawReproducesTheSurface();
        overlay->CurrentPage()->bitmap.fill(Qt::transparent);
    }
}

TEST_F(StrokeTest, ErasedBoardIsTransparentBackOnTheDesktop) {
    overlay->OnCommand(ID_PEN);
    Drag({{50, 50}, {350, 50}});
    overlay->desktopScene = 0;
    overlay->backgroundColour = 0xFFFFFFFF;
    overlay->OnCommand(ID_ERASER);
    Drag({{200, 20}, {200, 100}});
    overlay->OnCommand(ID_MOUSE); // back to the desktop scene first
    EXPECT_EQ(overlay->desktopScene, 1);
    EXPECT_LE(qAlpha(Shown(200, 50)), 2) << "erased on the board: see-through on the desktop";
}

TEST_F(StrokeTest, RegionSelectionGivesEvenNormalisedRegionsAndReturnsToTheTool) {
    const struct {
        QPoint from, to;
        QRect region;
    } cases[] = {
        {{100, 100}, {107, 105}, QRect(100, 100, 6, 4)},
        {{100, 100}, {93, 95}, QRect(94, 96, 6, 4)},     // up and left
        {{100, 100}, {100, 100}, QRect(100, 100, 0, 0)}, // a click: no region
        {{10, 250}, {211, 51}, QRect(10, 52, 200, 198)},
    };
    for (const auto& c : cases) {
        overlay->OnCommand(ID_MARKER);
        overlay->OnCommand(ID_PAUSE);
        EXPECT_EQ(overlay->tool, 3);
        EXPECT_FALSE(overlay->IsPointerMode());
        EXPECT_EQ(overlay->clipRegion, QRect(0, 0, 0, 0));
        Drag({c.from, c.to});
        EXPECT_EQ(overlay->clipRegion, c.region) << c.to.x() << "," << c.to.y();
        EXPECT_EQ(overlay->tool, 1) << "back to the tool before";
        EXPECT_FALSE(overlay->IsStrokeTimerRunning());
    }
    // The last region went to the clipboard, after the surface without its tint reached the
    // screen.
    EXPECT_EQ(server.lastGrab, QRect(10, 52, 200, 198));
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(200, 198));
    EXPECT_GE(server.syncCalls, 1);
    // The tint is gone; the frame stands one pixel outside the region.
    EXPECT_LE(qAlpha(Shown(100, 150)), 2);
    EXPECT_EQ(Shown(9, 51), 0xFF000000u);
    ExpectRedrawReproducesTheSurface();
}

TEST_F(StrokeTest, MarkerAndEraserStillPaintRightAfterTheDisplayIsChosenAgain) {
    // "Primary Display" on one monitor rebuilds the surfaces in place.
    const struct {
        CommandId tool;
        QPoint from, to, probe;
        QRgb pageAfter; // unpremultiplied
    } cases[] = {
        // The red line tinted by the yellow marker, not wiped out.
        {ID_MARKER, {150, 100}, {250, 100}, {200, 100}, 0xFFFF8F00},
        // The desktop's empty value (white at alpha 1), not nothing at all.
        {ID_ERASER, {200, 80}, {200, 120}, {200, 100}, 0x01FFFFFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tool);
        overlay->CurrentPage()->bitmap.fill(Qt::transparent);
        PaintOnPage(QRect(100, 95, 200, 10), Qt::red);
        overlay->DoRedraw();
        overlay->OnCommand(c.tool);
        overlay->OnCommand(ID_DISPLAY_PRIMARY);
        Drag({c.from, c.to});
        const QRgb page = Page(c.probe.x(), c.probe.y());
        EXPECT_EQ(qAlpha(page), qAlpha(c.pageAfter)) << std::hex << page;
        EXPECT_NEAR(qRed(page), qRed(c.pageAfter), 2) << std::hex << page;
        EXPECT_NEAR(qGreen(page), qGreen(c.pageAfter), 2) << std::hex << page;
        ExpectRedrawReproducesTheSurface();
    }
}

TEST_F(StrokeTest, PauseTwiceBeforeTheDragStillReturnsToTheToolBeforeIt) {
    overlay->OnCommand(ID_MARKER);
    overlay->OnCommand(ID_PAUSE);
    overlay->OnCommand(ID_PAUSE);
    EXPECT_EQ(overlay->tool, 3);
    Drag({{10, 10}, {111, 61}});
    EXPECT_EQ(overlay->clipRegion, QRect(10, 10, 100, 50));
    EXPECT_EQ(overlay->tool, 1) << "not stuck in the region selection";
}

TEST_F(StrokeTest, CursorIsTheCurrentToolsAfterARegionSelectionOrABoardFromStart) {
    // At start the overlay is in pointer mode and has shown no tool yet: a board makes the pen
    // current, so the pen's cursor shows.
    overlay->OnCommand(ID_SCENE_BLACKBOARD);
    EXPECT_EQ(overlay->tool, 0);
    EXPECT_EQ(overlay->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(overlay->cursor().pixmap().toImage(), overlay->ToolCursor(0).pixmap().toImage());
    EXPECT_FALSE(overlay->cursor().pixmap().isNull());
    overlay->OnCommand(ID_SCENE_DESKTOP);

    const struct {
        CommandId tool;
        Qt::CursorShape shape;
    } cases[] = {
        {ID_TEXT, Qt::ArrowCursor},
        {ID_ERASER, Qt::BitmapCursor},
    };
    for (const auto& c : cases) {
        overlay->OnCommand(c.tool);
        overlay->OnCommand(ID_PAUSE);
        EXPECT_EQ(overlay->cursor().shape(), Qt::CrossCursor);
        Drag({{10, 10}, {51, 31}});
        EXPECT_EQ(overlay->cursor().shape(), c.shape) << c.tool;
        overlay->CancelText();
    }
}

TEST_F(StrokeTest, RegionDragShowsItsTintAndSizeWhileDragging) {
    overlay->OnCommand(ID_PAUSE);
    overlay->OnLButtonDown(QPoint(50, 50));
    overlay->OnMouseMove(QPoint(251, 151));
    overlay->OnTimer(CMainWindow::kStrokeTimerId);
    EXPECT_EQ(overlay->clipRegion, QRect(50, 50, 200, 100));
    const QRgb tint = Shown(60, 60);
    EXPECT_NEAR(qAlpha(tint), 0x7F, 2);
    EXPECT_NEAR(qRed(tint), 0xC8, 2);
    // The red "(200 × 100)" readout sits in the middle.
    int red = 0;
    for (int x = 100; x < 200; ++x)
        for (int y = 90; y < 110; ++y)
            if (qRed(Shown(x, y)) > 200 && qGreen(Shown(x, y)) < 120 && qAlpha(Shown(x, y)) > 200)
                ++red;
    EXPECT_GT(red, 20);
    overlay->OnLButtonUp(QPoint(251, 151));
}

TEST_F(StrokeTest, RightClickShowsTheCurrentToolsPopupAndItsChoiceApplies) {
    overlay->SelectDisplay(0);
    dialogs.popupChoice = ID_PEN_BLUE;
    overlay->OnCommand(ID_PEN);
    overlay->OnRButtonDown(QPoint(30, 40));
    EXPECT_EQ(dialogs.popups, QStringList{"pen"});
    EXPECT_EQ(dialogs.popupPositions.back(), QPoint(30, 40));
    // The same menu as the toolbar's drop-downs, with its item pictures.
    EXPECT_TRUE(dialogs.lastPopup.items[0].picture.endsWith("/Arts/menu/199.png"))
        << dialogs.lastPopup.items[0].picture.toStdString();
    EXPECT_EQ(overlay->Values().penColour, 0xFF0000FFu);

    dialogs.popupChoice = 0;
    for (CommandId id : {ID_MARKER, ID_ERASER, ID_TEXT})
        overlay->OnCommand(id), overlay->OnRButtonDown(QPoint(1, 1));
    overlay->OnCommand(ID_PAUSE);
    overlay->OnRButtonDown(QPoint(1, 1)); // region selection has no popup
    EXPECT_EQ(dialogs.popups, (QStringList{"pen", "marker", "eraser", "text"}));
}

TEST_F(StrokeTest, MissingPopupIsTracedAndShowsNothing) {
    struct CCapture : IFXTraceListener {
        CCapture() { AddTraceListener(this); }
        ~CCapture() override { RemoveTraceListener(this); }
        void Write(const QString& text) override { texts << text; }
        QStringList texts;
    } trace;
    overlay->SetMenu(CMenuResource::FromJson(R"({"popups": [{"caption": "Pen", "items": []}]})"));
    overlay->OnCommand(ID_PEN);
    overlay->OnRButtonDown(QPoint(5, 5));
    EXPECT_TRUE(dialogs.popups.isEmpty());
    EXPECT_EQ(trace.texts, QStringList{"Error, cannot find submenu pen\n"});
}
} // namespace

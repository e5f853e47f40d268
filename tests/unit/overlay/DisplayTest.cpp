// Choosing a display, and what follows the overlay to another one.
#include "CDisplayWatcher.h"
#include "OverlayFixture.h"
#include "StackTier.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

namespace {
TEST(DisplayContext, ChoosesTheWorkAreaOnlyOnThePrimaryDisplay) {
    _DisplayContext context;
    context.SetDisplays({{QRect(1920, 0, 1280, 1024), QRect(1920, 0, 1280, 994), false, 1, "a"},
                         {QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1040), true, 1, "b"}});
    const struct {
        int index;
        bool chosen;
        QRect overlayRect;
        int currentIndex;
    } cases[] = {
        // Index 0 is the first listed, whatever its primary flag: the whole monitor.
        {0, true, QRect(1920, 0, 1280, 1024), 0},
        // The primary one leaves the panel free.
        {1, true, QRect(0, 0, 1920, 1040), 1},
        // No such display: nothing changes.
        {2, false, QRect(0, 0, 1920, 1040), 1},
        {-1, false, QRect(0, 0, 1920, 1040), 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(context.SetCurrentDisplay(c.index), c.chosen) << c.index;
        EXPECT_EQ(context.OverlayRect(), c.overlayRect) << c.index;
        EXPECT_EQ(context.CurrentIndex(), c.currentIndex) << c.index;
    }
}

class SelectDisplayTest : public OverlayFixture {};

TEST_F(SelectDisplayTest, OverlayStartsOverThePrimaryWorkAreaWithOneEmptyPage) {
    CreateOverlay();
    EXPECT_EQ(overlay->geometry(), QRect(0, 0, 1920, 1040));
    ASSERT_EQ(overlay->pages.size(), 1u);
    EXPECT_EQ(overlay->CurrentPage()->bitmap.size(), QSize(1920, 1040));
    EXPECT_EQ(Unpremultiplied(overlay->Surface(), QPoint(5, 5)), 0x01FFFFFFu);
    EXPECT_TRUE(overlay->IsPointerMode());
}

TEST_F(SelectDisplayTest, PagesClipRegionAndTextAnchorFollowToAnotherResolution) {
    CreateOverlay();
    overlay->pages.push_back(std::make_unique<_PageContext>(QSize(1920, 1040), 1.0));
    PaintOnPage(QRect(960, 520, 192, 104), Qt::red);
    overlay->clipRegion = QRect(192, 104, 960, 520);
    overlay->textAnchorX = 960;
    overlay->textAnchorY = 520;

    overlay->SelectDisplay(1);

    EXPECT_EQ(overlay->geometry(), QRect(1920, 200, 1280, 1024));
    for (const auto& page : overlay->pages)
        EXPECT_EQ(page->Size(), QSize(1280, 1024));
    // Stretched: the block now spans 128 x 100 from (640, 504).
    EXPECT_EQ(Unpremultiplied(overlay->CurrentPage()->bitmap, QPoint(700, 550)), 0xFFFF0000u);
    EXPECT_EQ(Unpremultiplied(overlay->Surface(), QPoint(700, 550)), 0xFFFF0000u);
    // Integer scaling, truncating: new size * value / old size.
    EXPECT_EQ(overlay->clipRegion, QRect(128, 102, 640, 512));
    EXPECT_FLOAT_EQ(overlay->textAnchorX, 640.0f);
    EXPECT_NEAR(overlay->textAnchorY, 1024.0f * 520 / 1040, 1e-3);
    EXPECT_EQ(overlay->toolTexture.size(), QSize(1280, 1024));
}

TEST_F(SelectDisplayTest, MissingDisplayKeepsTheDisplayButStillPlacesTheToolbarAndRedraws) {
    CreateOverlay();
    QWidget toolbar;
    toolbar.resize(300, 40);
    overlay->SetToolbarWindow(&toolbar);
    PaintOnPage(QRect(10, 10, 20, 20), Qt::blue);

    overlay->SelectDisplay(3);

    EXPECT_EQ(overlay->Display().CurrentIndex(), 0);
    EXPECT_EQ(overlay->geometry(), QRect(0, 0, 1920, 1040));
    EXPECT_EQ(toolbar.geometry(), QRect((1920 - 300) / 2, 10, 300, 40));
    EXPECT_EQ(Unpremultiplied(overlay->Surface(), QPoint(15, 15)), 0xFF0000FFu);
}

TEST_F(SelectDisplayTest, ToolbarIsPlacedFromTheChosenDisplaysTopEdge) {
    CreateOverlay();
    QWidget toolbar;
    toolbar.resize(301, 40);
    overlay->SetToolbarWindow(&toolbar);
    overlay->SelectDisplay(1);
    EXPECT_EQ(toolbar.geometry(), QRect(1920 + (1280 - 301) / 2, 200 + 10, 301, 40));
}

TEST_F(SelectDisplayTest, AToolbarPutAwayAsATabComesUpWholeOnTheNewDisplay) {
    CreateOverlay();
    CRavlinToolbar* toolbar = overlay->Toolbar();
    const QSize full = toolbar->size();
    ASSERT_FALSE(full.isEmpty());
    toolbar->HideToolbar();
    for (quint32 step = 0; step < 20 && toolbar->Slide().sliding; ++step)
        toolbar->AnimateStep(toolbar->Slide().slideStart + 1000);
    ASSERT_FALSE(toolbar->IsShown());

    overlay->SelectDisplay(1);
    EXPECT_TRUE(toolbar->IsShown());
    EXPECT_FALSE(toolbar->Slide().sliding);
    EXPECT_EQ(toolbar->geometry(), QRect(QPoint(1920 + (1280 - full.width()) / 2, 200 + 10), full));
}

TEST_F(SelectDisplayTest, SurfaceIsAllocatedInDevicePixels) {
    CreateOverlay({{QRect(0, 0, 640, 400), QRect(0, 0, 640, 400), true, 2.0, "hidpi"}});
    EXPECT_EQ(overlay->Surface().size(), QSize(1280, 800));
    EXPECT_EQ(overlay->Surface().devicePixelRatio(), 2.0);
    EXPECT_EQ(overlay->CurrentPage()->bitmap.size(), QSize(1280, 800));
    EXPECT_EQ(overlay->geometry(), QRect(0, 0, 640, 400));
}
} // namespace

namespace {
// The monitors change while the program runs: what the overlay keeps, where it goes, and what
// is laid out again.
class FollowDisplaysTest : public OverlayFixture {
protected:
    static _DisplayEntry Primary() { return TwoDisplays()[0]; }
    static _DisplayEntry Right() { return TwoDisplays()[1]; }
    static _DisplayEntry Left() {
        return {QRect(-1024, 0, 1024, 768), QRect(-1024, 0, 1024, 768), false, 1.0, "left"};
    }
    static bool HasInk(const QImage& image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 200)
                    return true;
        return false;
    }
    // A stroke on the page, so that a history exists to be kept or emptied.
    void Stroke() {
        overlay->OnCommand(ID_PEN);
        overlay->OnLButtonDown(QPoint(20, 20));
        overlay->OnMouseMove(QPoint(200, 40));
        overlay->OnTimer(CMainWindow::kStrokeTimerId);
        overlay->OnLButtonUp(QPoint(200, 40));
    }
};

TEST_F(FollowDisplaysTest,
       TheOverlayKeepsItsMonitorByNameGoesToThePrimaryWhenItGoesAndIsLaidOutWhenItChanges) {
    _DisplayEntry rightHigher = Right();
    rightHigher.monitorRect = rightHigher.workArea = QRect(1920, 200, 1920, 1200);
    _DisplayEntry rightSharper = Right();
    rightSharper.devicePixelRatio = 2.0;
    _DisplayEntry primaryPanelGrew = Primary();
    primaryPanelGrew.workArea = QRect(0, 0, 1920, 1000);
    _DisplayEntry rightNowPrimary = Right();
    rightNowPrimary.primary = true;
    _DisplayEntry rightUnnamed = Right();
    rightUnnamed.name.clear();
    const struct {
        const char* what;
        int startOn;
        std::vector<_DisplayEntry> now;
        int index;
        QRect overlayRect;
        bool laidOut; // pages stretched, histories emptied
    } cases[] = {
        {"its monitor unplugged", 1, {Primary()}, 0, QRect(0, 0, 1920, 1040), true},
        {"a monitor added before it",
         1,
         {Left(), Primary(), Right()},
         2,
         QRect(1920, 200, 1280, 1024),
         false},
        {"an earlier monitor unplugged", 1, {Right()}, 0, QRect(1920, 200, 1280, 1024), false},
        {"the primary's panel grew",
         1,
         {primaryPanelGrew, Right()},
         1,
         QRect(1920, 200, 1280, 1024),
         false},
        {"its resolution changed",
         1,
         {Primary(), rightHigher},
         1,
         QRect(1920, 200, 1920, 1200),
         true},
        {"its pixel ratio changed",
         1,
         {Primary(), rightSharper},
         1,
         QRect(1920, 200, 1280, 1024),
         true},
        {"its panel grew", 0, {primaryPanelGrew, Right()}, 0, QRect(0, 0, 1920, 1000), true},
        {"the other monitor changed",
         0,
         {Primary(), rightHigher},
         0,
         QRect(0, 0, 1920, 1040),
         false},
        {"the primary unplugged, it becomes the primary",
         1,
         {rightNowPrimary},
         0,
         QRect(1920, 200, 1280, 1024),
         false},
        {"gone with no primary left", 0, {Left(), Right()}, 0, QRect(-1024, 0, 1024, 768), true},
        {"no name: known by its place",
         1,
         {Left(), Primary(), rightUnnamed},
         2,
         QRect(1920, 200, 1280, 1024),
         false},
        {"no monitors at all: nothing changes", 1, {}, 1, QRect(1920, 200, 1280, 1024), false},
    };
    for (const auto& c : cases) {
        CreateOverlay();
        overlay->SelectDisplay(c.startOn);
        Stroke();
        const QImage page = overlay->CurrentPage()->bitmap.copy();
        const size_t history = CUndoHistory::Bytes(overlay->pages);
        ASSERT_GT(history, 0u);

        overlay->FollowDisplays(c.now);

        EXPECT_EQ(overlay->Display().CurrentIndex(), c.index) << c.what;
        EXPECT_EQ(overlay->Display().OverlayRect(), c.overlayRect) << c.what;
        EXPECT_EQ(overlay->geometry(), c.overlayRect) << c.what;
        const qreal ratio = overlay->Display().CurrentEntry().devicePixelRatio;
        EXPECT_EQ(overlay->CurrentPage()->Size(), c.overlayRect.size() * ratio) << c.what;
        EXPECT_EQ(overlay->Surface().size(), c.overlayRect.size() * ratio) << c.what;
        EXPECT_EQ(CUndoHistory::Bytes(overlay->pages) == 0, c.laidOut) << c.what;
        if (!c.laidOut) {
            EXPECT_EQ(overlay->CurrentPage()->bitmap, page) << c.what;
        }
        EXPECT_TRUE(HasInk(overlay->CurrentPage()->bitmap)) << c.what << ": the stroke is kept";
    }
}
} // namespace

namespace {
TEST_F(FollowDisplaysTest, DisplayCommandsFollowTheNewListAtItsNewSizes) {
    CreateOverlay();
    overlay->FollowDisplays({Primary()}); // the second monitor unplugged...
    overlay->OnCommand(ID_DISPLAY_EXTENDED);
    EXPECT_EQ(overlay->Display().CurrentIndex(), 0) << "no second display to go to";
    _DisplayEntry again = Right(); // ... and plugged in again at another size
    again.monitorRect = again.workArea = QRect(1920, 0, 1024, 768);
    overlay->FollowDisplays({Primary(), again});
    overlay->OnCommand(ID_DISPLAY_EXTENDED);
    EXPECT_EQ(overlay->geometry(), QRect(1920, 0, 1024, 768));
    EXPECT_EQ(overlay->CurrentPage()->Size(), QSize(1024, 768));
}

TEST_F(FollowDisplaysTest, TheToolbarTheWebcamWindowAndNoticesComeBackWholeOnAMonitor) {
    CreateOverlay();
    CRavlinToolbar* toolbar = overlay->Toolbar();
    CWebcamWindow* webcam = overlay->WebcamWindow();
    QLabel notice("A notice");
    SetStackTier(&notice, EStackTier::Notice);
    notice.setWindowFlags(Qt::Tool);
    notice.resize(420, 80);
    notice.show();
    const QSize bar = toolbar->size();
    const auto whole = [](const QRect& window, const QRect& area) { return area.contains(window); };

    // All three on the right monitor, which then shrinks under them.
    toolbar->setGeometry(QRect(QPoint(2200, 780), bar));
    webcam->move(2600, 300);
    notice.move(2400, 850);
    _DisplayEntry smaller = Right();
    smaller.monitorRect = smaller.workArea = QRect(1920, 200, 1000, 700);
    overlay->FollowDisplays({Primary(), smaller});
    EXPECT_TRUE(whole(toolbar->geometry(), smaller.workArea));
    EXPECT_EQ(toolbar->geometry().topLeft(), QPoint(2920 - bar.width(), 780))
        << "moved in by the least distance";
    EXPECT_TRUE(whole(webcam->frameGeometry(), smaller.workArea));
    EXPECT_TRUE(whole(notice.frameGeometry(), smaller.workArea));
    EXPECT_TRUE(toolbar->IsShown());

    // The right monitor unplugged: onto the primary's work area, the overlay's display.
    overlay->FollowDisplays({Primary()});
    for (const QRect& window :
         {toolbar->frameGeometry(), webcam->frameGeometry(), notice.frameGeometry()})
        EXPECT_TRUE(whole(window, Primary().workArea))
            << window.x() << "," << window.y() << " " << window.width() << "x" << window.height();

    // A toolbar put away as a tab on a monitor that goes comes up whole on the overlay's.
    overlay->FollowDisplays({Primary(), Right()});
    toolbar->HideToolbar();
    for (quint32 step = 0; step < 20 && toolbar->Slide().sliding; ++step)
        toolbar->AnimateStep(toolbar->Slide().slideStart + 1000);
    ASSERT_FALSE(toolbar->IsShown());
    toolbar->move(3200 - toolbar->width(), 600); // at the right monitor's right edge
    overlay->FollowDisplays({Primary()});
    EXPECT_TRUE(toolbar->IsShown());
    EXPECT_EQ(toolbar->geometry(), QRect(QPoint((1920 - bar.width()) / 2, 10), bar));
}

TEST_F(FollowDisplaysTest, AToolbarTheUserPlacedStaysWhenTheOverlaysMonitorOnlyChanges) {
    CreateOverlay();
    CRavlinToolbar* toolbar = overlay->Toolbar();
    const QRect placed(QPoint(100, 500), toolbar->size());
    toolbar->setGeometry(placed);
    _DisplayEntry panelGrew = Primary();
    panelGrew.workArea = QRect(0, 0, 1920, 1000);
    overlay->FollowDisplays({panelGrew, Right()});
    ASSERT_EQ(overlay->geometry(), QRect(0, 0, 1920, 1000)) << "laid out again";
    EXPECT_EQ(toolbar->geometry(), placed);
    // Its monitor gone, it goes to its home on the overlay's new display.
    overlay->FollowDisplays({Right()});
    EXPECT_EQ(toolbar->geometry().topLeft(), QPoint(1920 + (1280 - placed.width()) / 2, 200 + 10));
}

TEST(DisplayWatcher, ReportsFromQtAreGatheredIntoOneNewList) {
    int lists = 0;
    CDisplayWatcher watcher(
        [&](CDisplayWatcher::Displays displays) {
            ++lists;
            EXPECT_EQ(displays.size(), 2u);
        },
        [] {
            return CDisplayWatcher::Displays{
                {QRect(0, 0, 800, 600), QRect(0, 0, 800, 560), true, 1.0, "a"},
                {QRect(800, 0, 800, 600), QRect(800, 0, 800, 600), false, 1.0, "b"}};
        });
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    // One change of the monitors brings several of these at once.
    emit screen->geometryChanged(QRect(0, 0, 800, 600));
    emit screen->availableGeometryChanged(QRect(0, 0, 800, 560));
    emit screen->logicalDotsPerInchChanged(192);
    emit qGuiApp->primaryScreenChanged(screen);
    EXPECT_EQ(lists, 0) << "not from inside Qt's report";
    QCoreApplication::processEvents();
    EXPECT_EQ(lists, 1);
    emit qGuiApp->screenRemoved(screen);
    QCoreApplication::processEvents();
    EXPECT_EQ(lists, 2);
    // A screen added is watched from then on, once.
    emit qGuiApp->screenAdded(screen);
    QCoreApplication::processEvents();
    emit screen->geometryChanged(QRect(0, 0, 1024, 768));
    QCoreApplication::processEvents();
    EXPECT_EQ(lists, 4);
}
} // namespace

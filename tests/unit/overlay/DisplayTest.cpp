// Choosing a display, and what follows the overlay to another one.
#include "OverlayFixture.h"

#include <QPainter>

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

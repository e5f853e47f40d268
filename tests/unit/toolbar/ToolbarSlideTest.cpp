// The slide to a tab at a screen edge and back, stepped with a clock the test holds.
#include "CToolbarSlide.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {
const QRect kPrimaryWork(0, 0, 1920, 1040);

TEST(ToolbarSlide, TheTabGoesToTheNearerEdgeOfTheToolbarsOwnMonitor) {
    const struct {
        QRect toolbar;
        bool vertical;
        QRect workArea;
        QRect tab;
        int edge;
    } cases[] = {
        {QRect(700, 10, 600, 50), false, kPrimaryWork, QRect(1896, 10, 24, 50), 1},
        {QRect(100, 300, 600, 50), false, kPrimaryWork, QRect(0, 300, 24, 50), 0},
        // The centre exactly at the middle: the left edge.
        {QRect(660, 10, 600, 50), false, kPrimaryWork, QRect(0, 10, 24, 50), 0},
        {QRect(1800, 100, 50, 600), true, kPrimaryWork, QRect(1800, 0, 50, 24), 2},
        // A monitor left of the primary one: its own left edge, not the primary's.
        {QRect(-1800, 10, 600, 50), false, QRect(-1920, 0, 1920, 1080), QRect(-1920, 10, 24, 50),
         0},
        {QRect(-600, 10, 500, 50), false, QRect(-1920, 0, 1920, 1080), QRect(-24, 10, 24, 50), 1},
        // A monitor right of it: its left half docks left, at 1920.
        {QRect(2000, 10, 600, 50), false, QRect(1920, 0, 1920, 1080), QRect(1920, 10, 24, 50), 0},
        // A monitor below: the vertical tab sits at that monitor's top.
        {QRect(300, 1200, 50, 600), true, QRect(0, 1080, 1920, 1080), QRect(300, 1080, 50, 24), 2},
    };
    for (const auto& c : cases) {
        CToolbarSlide slide;
        EXPECT_TRUE(slide.Hide(c.toolbar, c.workArea, c.vertical, 1000));
        EXPECT_EQ(slide.targetRect, c.tab) << c.toolbar.x();
        EXPECT_EQ(slide.dockEdge, c.edge) << c.toolbar.x();
        EXPECT_EQ(slide.homeRect, c.toolbar);
        EXPECT_FALSE(slide.shown);
    }
}

TEST(ToolbarSlide, HidingEndsExactlyAtTheTabAfterThreeHundredMilliseconds) {
    CToolbarSlide slide;
    const QRect home(700, 10, 600, 50);
    slide.Hide(home, kPrimaryWork, false, 5000);
    int ticks = 0;
    QRect at = home;
    for (std::uint32_t now = 5050;; now += 50) {
        ++ticks;
        const CToolbarSlide::CStep step = slide.Step(now);
        if (!step.finished) {
            // Every edge moves towards the tab on its own.
            EXPECT_GE(step.rect.left(), at.left());
            EXPECT_LE(step.rect.width(), at.width());
            at = step.rect;
            continue;
        }
        EXPECT_EQ(step.rect, QRect(1896, 10, 24, 50));
        break;
    }
    EXPECT_EQ(ticks, 6);
    EXPECT_FALSE(slide.sliding);

    // Back to exactly where it was, in 200 ms.
    EXPECT_TRUE(slide.Show(QRect(1896, 10, 24, 50), 9000));
    EXPECT_FALSE(slide.Step(9100).finished);
    EXPECT_EQ(slide.Step(9200).rect, home);
}

TEST(ToolbarSlide, ARequestDuringASlideTurnsItWithoutRestartingTheTimer) {
    CToolbarSlide slide;
    const QRect home(100, 300, 600, 50);
    slide.Hide(home, kPrimaryWork, false, 0);
    const QRect halfway = slide.Step(150).rect;
    EXPECT_FALSE(slide.Show(halfway, 150)) << "the running timer goes on";
    EXPECT_EQ(slide.startRect, halfway);
    EXPECT_EQ(slide.Step(350).rect, home);
    // Hiding while showing keeps the saved place.
    slide.Hide(home, kPrimaryWork, false, 400);
    slide.Show(slide.Step(450).rect, 450);
    EXPECT_FALSE(slide.Hide(QRect(5, 5, 10, 10), kPrimaryWork, false, 460));
    EXPECT_EQ(slide.homeRect, home);
}

TEST(ToolbarSlide, TheClockWrappingAroundDoesNotEndASlideEarly) {
    CToolbarSlide slide;
    slide.Hide(QRect(700, 10, 600, 50), kPrimaryWork, false, 0xFFFFFF00u);
    EXPECT_FALSE(slide.Step(0xFFFFFF00u + 100).finished);
    EXPECT_FALSE(slide.Step(0x00000010u).finished); // 272 ms after the start
    EXPECT_TRUE(slide.Step(0x00000040u).finished);
}
} // namespace

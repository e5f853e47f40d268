// The overlay as a user meets it: it covers the display, the desktop shows through, clicks pass
// in pointer mode, one copy runs at a time, and it keeps the desktop visible without a
// compositing manager.
#include "E2eSession.h"

#include <QFile>
#include <csignal>
#include <gtest/gtest.h>

namespace {

class OverlayE2e : public CRavlinTest {
protected:
    OverlayE2e() : CRavlinTest(QRect(200, 200, 600, 400)) {}
    void TearDown() override {
        if (!g_session->IsCompositorRunning())
            g_session->StartCompositor();
    }

    // A point in the witness window, away from any edge.
    const QPoint probe{500, 400};
};

TEST_F(OverlayE2e, CoversTheWorkAreaExactly) {
    // No panel in this session: the work area is the whole screen, in device pixels whatever
    // the scale factor.
    EXPECT_EQ(WindowGeometry(QString::number(overlay)),
              QRect(QPoint(0, 0), g_session->ScreenSize()));
}

TEST_F(OverlayE2e, WindowBeneathShowsThrough) {
    const QImage shot = g_session->Screenshot();
    ASSERT_FALSE(shot.isNull());
    // Alpha-1 white over the window changes no channel by more than one.
    EXPECT_TRUE(ColourNear(shot.pixel(probe), CWitnessWindow::kColour, 1))
        << ColourText(shot.pixel(probe)).toStdString();
}

TEST_F(OverlayE2e, ClickInPointerModeReachesTheWindowBeneath) {
    g_session->Run("xdotool", {"mousemove", QString::number(probe.x()), QString::number(probe.y()),
                               "click", "1"});
    EXPECT_TRUE(WaitFor([&] { return witness.Presses() == 1; }, 5000));
}

TEST_F(OverlayE2e, LogBeginsWithTheStartLine) {
    EXPECT_TRUE(ravlin.Log().startsWith("Ravlin Tracing Start\n")) << ravlin.Log().toStdString();
}

TEST_F(OverlayE2e, SecondStartEndsAtOnceAndLeavesTheFirstAlone) {
    // Something in the first instance's log that a truncation would lose.
    const QByteArray logBefore = ravlin.Log();
    ASSERT_FALSE(logBefore.isEmpty());

    CRavlinUnderTest second;
    ASSERT_TRUE(second.Start());
    EXPECT_TRUE(second.WaitForExit(5000));
    EXPECT_EQ(second.ExitCode(), 0);

    EXPECT_TRUE(ravlin.IsRunning());
    int overlays = 0;
    for (const QString& id : FindWindows("^ravlin$", true))
        overlays += WindowGeometry(id).size() == g_session->ScreenSize();
    EXPECT_EQ(overlays, 1);
    EXPECT_EQ(ravlin.Log(), logBefore);
}

TEST_F(OverlayE2e, StartAfterTheFirstWasKilledIsAFirstStart) {
    ravlin.Signal(SIGKILL);
    ASSERT_TRUE(ravlin.WaitForExit());
    ASSERT_TRUE(WaitFor([] { return FindWindows("^ravlin$", true).isEmpty(); }));

    CRavlinUnderTest next;
    ASSERT_TRUE(next.Start());
    EXPECT_NE(next.WaitForOverlay(), 0ul) << next.Output().toStdString();
    EXPECT_TRUE(next.IsRunning());
    EXPECT_TRUE(next.Log().startsWith("Ravlin Tracing Start\n"));
}

TEST_F(OverlayE2e, SigtermIsAnOrderlyExitWithoutQuestion) {
    ravlin.Signal(SIGTERM);
    EXPECT_TRUE(ravlin.WaitForExit(10000));
    EXPECT_EQ(ravlin.ExitCode(), 0);
    EXPECT_TRUE(FindWindows("^Ravlin$").isEmpty());
}

TEST_F(OverlayE2e, DesktopStaysVisibleWhenTheCompositorStops) {
    // "Primary Display" rebuilds the surface from the page, as every page change will.
    ASSERT_TRUE(ravlin.RunCommand("display-1"));
    g_session->StopCompositor();
    // Without a compositor an alpha-1 overlay would show as a black sheet.
    EXPECT_TRUE(WaitFor(
        [&] {
            const QImage shot = g_session->Screenshot();
            return !shot.isNull() && ColourNear(shot.pixel(probe), CWitnessWindow::kColour, 1);
        },
        8000))
        << ColourText(g_session->Screenshot().pixel(probe)).toStdString();
    // Clicks still reach the desktop, and the user was told once, without a modal box.
    g_session->Run("xdotool", {"mousemove", QString::number(probe.x()), QString::number(probe.y()),
                               "click", "1"});
    EXPECT_TRUE(WaitFor([&] { return witness.Presses() == 1; }, 5000));
    EXPECT_TRUE(ravlin.IsRunning());
}
} // namespace

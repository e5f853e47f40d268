// A Wayland desktop that exports QT_QPA_PLATFORM=wayland: the program still runs on X11
// (XWayland), covers the output, and takes its commands from the command line, which is how
// Wayland users bind shortcuts (X11 key grabs see keys only while an X11 window has the focus).
#include "E2eSession.h"

#include <gtest/gtest.h>

namespace {
constexpr QRgb kPenRed = 0xFFFF0000;

TEST(WaylandE2e, RunsOnXWaylandCoversTheOutputAndDrawsOnACommand) {
    ASSERT_EQ(g_session->Environment().value("QT_QPA_PLATFORM"), "wayland");
    ForgetSettings();
    CRavlinUnderTest ravlin;
    ASSERT_TRUE(ravlin.Start());
    const unsigned long overlay = ravlin.WaitForOverlay();
    ASSERT_NE(overlay, 0ul) << "no overlay on the X display: " << ravlin.Output().toStdString();
    EXPECT_EQ(WindowGeometry(QString::number(overlay)),
              QRect(QPoint(0, 0), g_session->ScreenSize()));

    QByteArray errors;
    ASSERT_TRUE(ravlin.RunCommand("pen", &errors)) << errors.toStdString();
    Drag({300, 400}, {900, 400});
    QRgb seen = 0;
    EXPECT_TRUE(ScreenShows(
        {600, 400}, [](QRgb p) { return ColourNear(p, kPenRed, 2); }, &seen))
        << ColourText(seen).toStdString();
    EXPECT_TRUE(ravlin.IsRunning());
}
} // namespace

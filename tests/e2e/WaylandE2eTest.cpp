// A Wayland desktop that exports QT_QPA_PLATFORM=wayland: the program still runs on X11
// (XWayland), covers the output, and takes its commands from the command line, which is how
// Wayland users bind shortcuts (X11 key grabs see keys only while an X11 window has the focus).
//
// No drag here: XWayland 22.1 under weston's headless back end has no pointer, and synthetic
// pointer input (XTEST, as xdotool sends it) crashes it. Drawing after `--command pen` is shown
// on X11 by the command-line suite; here the commands' effect is read from the overlay's own
// picture: the boards.
#include "E2eSession.h"

#include <gtest/gtest.h>

namespace {
TEST(WaylandE2e, RunsOnXWaylandCoversTheOutputAndTakesCommands) {
    ASSERT_EQ(g_session->Environment().value("QT_QPA_PLATFORM"), "wayland");
    ForgetSettings();
    CRavlinUnderTest ravlin;
    ASSERT_TRUE(ravlin.Start());
    // Found on the X display: the program is an X11 client, not a native Wayland one.
    const unsigned long overlay = ravlin.WaitForOverlay();
    ASSERT_NE(overlay, 0ul) << "no overlay on the X display: " << ravlin.Output().toStdString();
    EXPECT_EQ(WindowGeometry(QString::number(overlay)),
              QRect(QPoint(0, 0), g_session->ScreenSize()));

    // The overlay's own picture, as the X server holds it (a rootless XWayland has no root
    // picture to grab).
    auto centre = [&] {
        const QImage shot = QImage::fromData(
            g_session->Run("import", {"-window", QString::number(overlay), "png:-"}), "PNG");
        return shot.isNull() ? QRgb(0) : shot.pixel(shot.width() / 2, shot.height() / 2);
    };
    QByteArray errors;
    ASSERT_TRUE(ravlin.RunCommand("whiteboard-scene", &errors)) << errors.toStdString();
    QRgb seen = 0;
    EXPECT_TRUE(WaitFor([&] { return ColourNear(seen = centre(), 0xFFFFFFFF, 2); }, 8000))
        << "no whiteboard: " << ColourText(seen).toStdString();
    ASSERT_TRUE(ravlin.RunCommand("blackboard", &errors)) << errors.toStdString();
    EXPECT_TRUE(WaitFor([&] { return ColourNear(seen = centre(), 0xFF000000, 2); }, 8000))
        << "no blackboard: " << ColourText(seen).toStdString();
    ASSERT_TRUE(ravlin.RunCommand("pen", &errors)) << errors.toStdString();
    EXPECT_TRUE(ravlin.IsRunning()) << ravlin.Output().toStdString();

    // A bare compositor has no desktop portal: the copy says what is missing, and nothing
    // (no black picture) goes to the clipboard.
    ASSERT_TRUE(ravlin.RunCommand("copy", &errors)) << errors.toStdString();
    EXPECT_TRUE(WaitFor([&] { return ravlin.Log().contains("Copy to clipboard failed"); }, 8000));
    EXPECT_TRUE(ravlin.Log().contains("xdg-desktop-portal")) << ravlin.Log().right(400).toStdString();
    EXPECT_TRUE(ClipboardImage().isNull());
    EXPECT_TRUE(ravlin.IsRunning());
}
} // namespace

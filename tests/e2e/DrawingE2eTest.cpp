// Drawing as a presenter does it: a shortcut, then drags on whatever the screen shows.
#include "E2eSession.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {
constexpr QRgb kPenRed = 0xFFFF0000;

class DrawingE2e : public CRavlinTest {
protected:
    DrawingE2e() : CRavlinTest(QRect(100, 100, 900, 500)) {}
    void Key(const QString& keys) { Xdotool({"key", keys}); }
};

TEST_F(DrawingE2e, PenMarkerEraserAndBackToPointerMode) {
    QRgb seen = 0;
    // The drag waits until the program has taken the pen: sent at once, it would reach whatever
    // lies under the overlay while the program is still finishing its start.
    ASSERT_TRUE(ChangesPointerShape({500, 300}, [this] { Key("alt+shift+p"); }));
    Drag({200, 300}, {800, 300});
    // A visible line of the pen colour along the drag, its end included.
    for (int x : {210, 500, 790})
        EXPECT_TRUE(ScreenShows(
            {x, 300}, [](QRgb p) { return ColourNear(p, kPenRed, 2); }, &seen))
            << x << " " << ColourText(seen).toStdString();

    Key("alt+shift+h");
    Drag({500, 200}, {500, 400});
    // The marker tints the line without covering it, and tints the window beneath.
    EXPECT_TRUE(ScreenShows(
        {500, 300},
        [](QRgb p) { return qRed(p) > 200 && qGreen(p) > 60 && qGreen(p) < 200 && qBlue(p) < 60; },
        &seen))
        << ColourText(seen).toStdString();
    EXPECT_TRUE(ScreenShows(
        {500, 250},
        [](QRgb p) {
            return !ColourNear(p, CWitnessWindow::kColour, 10) &&
                   qRed(p) > qRed(CWitnessWindow::kColour) + 60;
        },
        &seen))
        << ColourText(seen).toStdString();

    Key("alt+shift+e");
    Drag({500, 200}, {500, 400});
    // Both are gone along the eraser's path and the window beneath shows again.
    for (int y : {250, 300})
        EXPECT_TRUE(ScreenShows(
            {500, y}, [](QRgb p) { return ColourNear(p, CWitnessWindow::kColour, 2); }, &seen))
            << y << " " << ColourText(seen).toStdString();

    Key("alt+shift+c");
    const int before = witness.Presses();
    EXPECT_TRUE(WaitFor(
        [&] {
            Xdotool({"mousemove", "300", "500", "click", "1"});
            return WaitFor([&] { return witness.Presses() > before; }, 300);
        },
        8000))
        << "clicks pass again";
    EXPECT_TRUE(ScreenShows({300, 300}, [](QRgb p) { return ColourNear(p, kPenRed, 2); }))
        << "the drawing stays visible in pointer mode";
}

TEST_F(DrawingE2e, RegionSelectionPutsWhatLiesUnderItOnTheClipboard) {
    // Pause while nothing is recorded: select a region. The drag waits for the region tool's
    // pointer, or under load the press could reach the pen before the key reaches the program.
    EXPECT_TRUE(ChangesPointerShape({300, 300}, [this] { Key("F9"); }));
    Drag({300, 300}, {407, 355}, 6);
    // Even sizes in the program's own pixels, which the scale factor multiplies.
    const double s = ProgramScale();
    auto even = [s](int from, int to) {
        return static_cast<int>((qRound(to / s) - qRound(from / s)) / 2 * 2 * s);
    };
    const QSize expected(even(300, 407), even(300, 355));
    QImage copied;
    EXPECT_TRUE(WaitFor(
        [&] {
            copied = ClipboardImage();
            return copied.size() == expected;
        },
        10000))
        << copied.width() << "x" << copied.height();
    // The window beneath, without the selection's tint or its size readout.
    if (!copied.isNull()) {
        const QPoint middle(copied.width() / 2, copied.height() / 2);
        EXPECT_TRUE(ColourNear(copied.pixel(middle), CWitnessWindow::kColour, 2))
            << ColourText(copied.pixel(middle)).toStdString();
        EXPECT_TRUE(ColourNear(copied.pixel(5, 5), CWitnessWindow::kColour, 2));
    }
    // The region's frame stands around it on the screen.
    EXPECT_TRUE(ScreenShows({299, 299}, [](QRgb p) { return ColourNear(p, 0xFF000000, 2); }));
}
} // namespace

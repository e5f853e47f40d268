// The keyboard on a real X server: keys 1 to 4 under a layout whose top row is not digits, and
// the real key grabs refusing a combination the program already holds.
#include "E2eSession.h"
#include "x11/CX11GlobalKeys.h"

#include <gtest/gtest.h>

namespace {
constexpr QRgb kPenRed = 0xFFFF0000;

class KeyboardE2e : public CRavlinTest {
protected:
    KeyboardE2e() : CRavlinTest(QRect(100, 100, 1000, 600)) {}
    void TearDown() override { g_session->Run("setxkbmap", {"us"}); }
    QString FocusedWindow() const {
        return QString::fromLatin1(g_session->Run("xdotool", {"getwindowfocus"})).trimmed();
    }
    bool FocusGoesTo(const QString& window) {
        return WaitFor([&] { return FocusedWindow() == window; }, 5000);
    }
    QString FindToolbar() {
        for (const QString& id : FindWindows("^ravlin$", true))
            if (WindowGeometry(id).height() == 42)
                return id;
        return {};
    }
    bool ClicksPass() {
        const int before = witness.Presses();
        return WaitFor(
            [&] {
                Xdotool({"mousemove", "300", "600", "click", "1"});
                return WaitFor([&] { return witness.Presses() > before; }, 300);
            },
            8000);
    }
};

TEST_F(KeyboardE2e, KeysOneToFourWorkOnAzertyOnTheOverlayAndTheToolbar) {
    int code = -1;
    g_session->Run("setxkbmap", {"fr"}, &code);
    ASSERT_EQ(code, 0) << "setxkbmap fr failed";
    // On AZERTY the keys of the top row type & é " ' unshifted.
    ASSERT_TRUE(ravlin.RunCommand("marker"));
    ASSERT_TRUE(FocusGoesTo(QString::number(overlay)));
    Xdotool({"key", "ampersand"}); // 1: the pen
    Drag({300, 300}, {800, 300});
    QRgb seen = 0;
    EXPECT_TRUE(ScreenShows(
        {550, 300}, [](QRgb p) { return ColourNear(p, kPenRed, 2); }, &seen))
        << "1 did not choose the pen: " << ColourText(seen).toStdString();
    Xdotool({"key", "apostrophe"}); // 4: pointer mode
    EXPECT_TRUE(ClicksPass()) << "4 did not bring pointer mode";

    // The toolbar's keys: a press on its skin gives it the keyboard.
    const QString toolbar = FindToolbar();
    ASSERT_FALSE(toolbar.isEmpty());
    const QRect bar = WindowGeometry(toolbar);
    ASSERT_TRUE(ravlin.RunCommand("pen"));
    Xdotool({"mousemove", QString::number(bar.left() + 20), QString::number(bar.top() + 21),
             "click", "1"});
    ASSERT_TRUE(FocusGoesTo(toolbar));
    Xdotool({"key", "quotedbl"}); // 3: the eraser
    Drag({300, 300}, {800, 300});
    EXPECT_TRUE(ScreenShows(
        {550, 300}, [](QRgb p) { return ColourNear(p, CWitnessWindow::kColour, 2); }, &seen))
        << "3 on the toolbar did not choose the eraser: " << ColourText(seen).toStdString();
}

TEST(KeyboardE2eGlobalKeys, TheSameCombinationTwiceIsRefusedByTheRealKeyGrabs) {
    constexpr unsigned kShiftAlt = IGlobalKeys::kModShift | IGlobalKeys::kModAlt;
    qputenv("DISPLAY", g_session->Display().toLocal8Bit());
    CX11GlobalKeys keys;
    ASSERT_TRUE(keys.IsAvailable());
    std::vector<int> pressed;
    keys.SetHotKeyHandler([&](int id) { pressed.push_back(id); });

    EXPECT_TRUE(keys.RegisterHotKey(1, kShiftAlt, 'Q'));
    EXPECT_FALSE(keys.RegisterHotKey(2, kShiftAlt, 'Q')) << "the same keys under a second name";
    EXPECT_FALSE(keys.RegisterHotKey(1, kShiftAlt, 'W')) << "an identifier already in use";
    Xdotool({"key", "alt+shift+q"});
    EXPECT_TRUE(WaitFor([&] { return !pressed.empty(); }, 5000));
    EXPECT_EQ(pressed, std::vector<int>{1}) << "the refused registration must not fire";

    // Another client is refused by the server itself.
    CX11GlobalKeys other;
    EXPECT_FALSE(other.RegisterHotKey(7, kShiftAlt, 'Q'));

    // Once given up, the combination can be had again.
    EXPECT_TRUE(keys.UnregisterHotKey(1));
    EXPECT_TRUE(keys.RegisterHotKey(2, kShiftAlt, 'Q'));
    pressed.clear();
    Xdotool({"key", "alt+shift+q"});
    EXPECT_TRUE(WaitFor([&] { return !pressed.empty(); }, 5000));
    EXPECT_EQ(pressed, std::vector<int>{2});
}
} // namespace

// The toolbar as a presenter uses it: where it appears, its buttons and drop-downs, its slide to
// a tab and back; screenshots of it are left in the build folder for a person to look at.
#include "E2eSession.h"

#include <QCoreApplication>
#include <QDir>
#include <gtest/gtest.h>

namespace {
constexpr QRgb kPenRed = 0xFFFF0000;
constexpr QRgb kGreenPen = 0xFF008000;

class ToolbarE2e : public CRavlinTest {
protected:
    ToolbarE2e() : CRavlinTest(QRect(100, 100, 1000, 600)) {}
    void SetUp() override {
        CRavlinTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(WaitFor([&] { return !(toolbar = FindToolbar()).isEmpty(); })) << "no toolbar";
    }
    // The toolbar: ours, 42 pixels thick in either orientation.
    QString FindToolbar(int thickness = 42) {
        for (const QString& id : FindWindows("^ravlin$", true)) {
            const QRect r = WindowGeometry(id);
            if (r.height() == thickness * ProgramScale() || r.width() == thickness * ProgramScale())
                return id;
        }
        return {};
    }
    QRect Geometry() { return WindowGeometry(toolbar); }
    // A point of the toolbar, in its own (unscaled) coordinates.
    void ClickAt(QPoint local) {
        const QRect r = Geometry();
        const QPoint at = r.topLeft() + local * ProgramScale();
        Xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
    }
    // Picks the n-th item of the drop-down that a click on the button's arrow strip opens.
    void ChooseFromDropDown(QPoint arrow, int item) {
        ClickAt(arrow);
        WaitFor([] { return false; }, 400);
        for (int i = 0; i <= item; ++i)
            Xdotool({"key", "Down"});
        Xdotool({"key", "Return"});
    }
    void SaveScreenshot(const QString& name) {
        const QString folder = QCoreApplication::applicationDirPath() + "/../toolbar-screenshots";
        QDir().mkpath(folder);
        const QRect r = Geometry().adjusted(-10, -10, 10, 10);
        g_session->Screenshot().copy(r).save(folder + "/" + name + ".png");
    }

    QString toolbar;
};

TEST_F(ToolbarE2e, AppearsAtTheTopCentreWithItsSkinAndSeeThroughCorners) {
    const QRect r = Geometry();
    EXPECT_EQ(r.top(), 10 * ProgramScale());
    EXPECT_NEAR(r.center().x(), g_session->ScreenSize().width() / 2, 2);
    const QImage shot = g_session->Screenshot();
    // The rounded end leaves the corner see-through; the middle is the graphite bar.
    EXPECT_FALSE(ColourNear(shot.pixel(r.topLeft()), 0xFFFF00FF, 30)) << "no magenta shows";
    const QRgb bar = shot.pixel(r.left() + r.width() / 2 + 3, r.bottom() - 2);
    EXPECT_LT(qRed(bar), 90);
    EXPECT_LT(qBlue(bar), 100);
    SaveScreenshot("horizontal-active");
}

TEST_F(ToolbarE2e, PenBodyThenADrawAndAGreenChoiceInItsDropDown) {
    ClickAt(QPoint(48 + 18, 21)); // the pen button's body
    Drag({300, 400}, {700, 400});
    EXPECT_TRUE(ScreenShows({500, 400}, [](QRgb p) { return ColourNear(p, kPenRed, 2); }));
    ChooseFromDropDown(QPoint(48 + 36 + 8, 21), 2); // Black, Blue, Green
    Drag({300, 500}, {700, 500});
    EXPECT_TRUE(ScreenShows({500, 500}, [](QRgb p) { return ColourNear(p, kGreenPen, 2); }));
}

TEST_F(ToolbarE2e, BlackboardFromTheSceneDropDownKeepsTheInk) {
    ClickAt(QPoint(48 + 18, 21));
    Drag({300, 400}, {700, 400});
    ChooseFromDropDown(QPoint(316 + 36 + 8, 21), 2); // Desktop, Whiteboard, Blackboard
    EXPECT_TRUE(ScreenShows({500, 600}, [](QRgb p) { return ColourNear(p, 0xFF000000, 2); }));
    EXPECT_TRUE(ScreenShows({500, 400}, [](QRgb p) { return ColourNear(p, kPenRed, 2); }));
}

TEST_F(ToolbarE2e, HidesToATabAtTheNearerEdgeAndComesBackToTheSamePlace) {
    const QRect home = Geometry();
    ClickAt(QPoint(716 + 18, 21)); // hide
    ASSERT_TRUE(WaitFor([&] { return Geometry().width() == 24 * ProgramScale(); }));
    const QRect tab = Geometry();
    EXPECT_EQ(tab.top(), home.top());
    EXPECT_EQ(tab.left(), 0) << "the centre is not right of the middle: the left edge";
    SaveScreenshot("tab-left");
    ClickAt(QPoint(12, 21));
    EXPECT_TRUE(WaitFor([&] { return Geometry() == home; }));

    Xdotool({"key", "F6"});
    EXPECT_TRUE(WaitFor([&] { return Geometry().width() == 24 * ProgramScale(); }));
    Xdotool({"key", "F6"});
    EXPECT_TRUE(WaitFor([&] { return Geometry() == home; }));
}

TEST_F(ToolbarE2e, PageCounterFollowsThePages) {
    const QRect r = Geometry();
    const QRect counter(r.left() + 404 * ProgramScale(), r.top() + 8 * ProgramScale(),
                        48 * ProgramScale(), 26 * ProgramScale());
    auto counterPicture = [&] { return g_session->Screenshot().copy(counter); };
    const QImage onePage = counterPicture();
    ClickAt(QPoint(488 + 18, 21)); // new page: 2 / 2
    EXPECT_TRUE(WaitFor([&] { return counterPicture() != onePage; }));
    const QImage twoPages = counterPicture();
    ClickAt(QPoint(368 + 18, 21)); // previous: 1 / 2
    EXPECT_TRUE(WaitFor([&] {
        const QImage now = counterPicture();
        return now != twoPages && now != onePage;
    }));
    ClickAt(QPoint(452 + 18, 21)); // next: 2 / 2
    EXPECT_TRUE(WaitFor([&] { return counterPicture() == twoPages; }));
}

TEST_F(ToolbarE2e, VerticalAndInactiveLooksAreLeftForAPerson) {
    // The orientation commands come from the tray menu; here through the command line.
    ASSERT_TRUE(ravlin.RunCommand("vertical"));
    ASSERT_TRUE(WaitFor([&] { return Geometry().width() == 42 * ProgramScale(); }));
    SaveScreenshot("vertical-active");
    // A press on the skin gives the toolbar the keyboard; then another program takes it and
    // the skin turns inactive.
    ClickAt(QPoint(21, 30));
    WaitFor([] { return false; }, 300);
    Xdotool({"windowfocus", FindWindows("^RavlinWitness$").value(0)});
    WaitFor([] { return false; }, 600);
    SaveScreenshot("vertical-inactive");
    ASSERT_TRUE(ravlin.RunCommand("horizontal"));
    ASSERT_TRUE(WaitFor([&] { return Geometry().height() == 42 * ProgramScale(); }));
    WaitFor([] { return false; }, 300);
    SaveScreenshot("horizontal-inactive");
}
} // namespace

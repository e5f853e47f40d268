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
        // The keys go to the drop-down only once it is up: wait for its window, however slow
        // a loaded machine makes that.
        const QStringList before = ViewableTopLevelsTopFirst();
        ClickAt(arrow);
        WaitFor([&] {
            for (const QString& id : ViewableTopLevelsTopFirst())
                if (!before.contains(id))
                    return true;
            return false;
        });
        WaitFor([] { return false; }, 200); // and for it to take the keyboard
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
    // Not a speck of the see-through key anywhere, the rounded ends included, at any scale.
    int magenta = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = shot.pixel(x, y);
            magenta += qRed(p) > 150 && qBlue(p) > 150 && qGreen(p) < 100;
        }
    EXPECT_EQ(magenta, 0);
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

TEST_F(ToolbarE2e, ADraggedToolbarComesBackFromItsTabToWhereItWasDragged) {
    const QRect home = Geometry();
    // By the skin of its rounded head, left of the first button.
    const QPoint grip = home.topLeft() + QPoint(6, 21) * ProgramScale();
    Drag(grip, grip + QPoint(100, 200));
    const QRect dragged = home.translated(100, 200);
    ASSERT_TRUE(WaitFor([&] { return Geometry() == dragged; }))
        << Geometry().x() << "," << Geometry().y();
    Xdotool({"key", "F6"});
    ASSERT_TRUE(WaitFor([&] { return Geometry().width() == 24 * ProgramScale(); }));
    ClickAt(QPoint(12, 21));
    EXPECT_TRUE(WaitFor([&] { return Geometry() == dragged; }));
}

TEST_F(ToolbarE2e, ItsOwnKeysWorkOnceAClickGaveItTheKeyboardAndShiftEscEndsAtOnce) {
    const QRect r = Geometry();
    const QRect counter(r.left() + 404 * ProgramScale(), r.top() + 8 * ProgramScale(),
                        48 * ProgramScale(), 26 * ProgramScale());
    auto counterPicture = [&] { return g_session->Screenshot().copy(counter); };
    const QImage onePage = counterPicture();
    ClickAt(QPoint(6, 21)); // the skin of its head
    WaitFor([] { return false; }, 300);
    Xdotool({"key", "n"});
    EXPECT_TRUE(WaitFor([&] { return counterPicture() != onePage; })) << "N: a new page";
    Xdotool({"key", "1"});
    Drag({300, 400}, {700, 400});
    EXPECT_TRUE(ScreenShows({500, 400}, [](QRgb p) { return ColourNear(p, kPenRed, 2); }))
        << "1: the pen";
    ClickAt(QPoint(6, 21));
    WaitFor([] { return false; }, 300);
    Xdotool({"key", "shift+Escape"});
    EXPECT_TRUE(ravlin.WaitForExit(10000)) << "ended without the exit question";
    EXPECT_EQ(ravlin.ExitCode(), 0);
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

TEST_F(ToolbarE2e, VerticalAndInactiveLooksShowTheirSkins) {
    // A point of the bar's body away from the buttons: below them when horizontal, left of them
    // when vertical (the pieces are turned clockwise).
    auto body = [&] {
        const QRect r = Geometry();
        const QPoint at = r.width() > r.height()
                              ? QPoint(r.left() + r.width() / 2 + 3, r.bottom() - 2)
                              : QPoint(r.left() + 2 * ProgramScale(), r.top() + r.height() / 2 + 3);
        return g_session->Screenshot().pixel(at);
    };
    auto graphite = [](QRgb p) {
        return qRed(p) < 90 && qGreen(p) < 95 && qBlue(p) < 100 && qBlue(p) >= qRed(p);
    };
    // The orientation commands come from the tray menu; here through the command line.
    ASSERT_TRUE(ravlin.RunCommand("vertical"));
    ASSERT_TRUE(WaitFor([&] { return Geometry().width() == 42 * ProgramScale(); }));
    QRgb active = 0;
    EXPECT_TRUE(WaitFor([&] { return graphite(active = body()); }))
        << ColourText(active).toStdString();
    const QRect r = Geometry();
    EXPECT_FALSE(ColourNear(g_session->Screenshot().pixel(r.topLeft()), 0xFFFF00FF, 30))
        << "the rounded top end leaves its corner see-through";
    SaveScreenshot("vertical-active");
    // A press on the skin gives the toolbar the keyboard; then another program takes it and
    // the skin turns inactive: lighter and flatter, still graphite.
    ClickAt(QPoint(21, 30));
    WaitFor([] { return false; }, 300);
    Xdotool({"windowfocus", FindWindows("^RavlinWitness$").value(0)});
    QRgb inactive = 0;
    EXPECT_TRUE(WaitFor([&] {
        inactive = body();
        return graphite(inactive) && qRed(inactive) >= qRed(active) + 6;
    })) << ColourText(active).toStdString()
        << " then " << ColourText(inactive).toStdString();
    SaveScreenshot("vertical-inactive");
    ASSERT_TRUE(ravlin.RunCommand("horizontal"));
    ASSERT_TRUE(WaitFor([&] { return Geometry().height() == 42 * ProgramScale(); }));
    QRgb horizontal = 0;
    EXPECT_TRUE(WaitFor([&] {
        horizontal = body();
        return graphite(horizontal) && qRed(horizontal) >= qRed(active) + 6;
    })) << "turned, it stays inactive: "
        << ColourText(horizontal).toStdString();
    SaveScreenshot("horizontal-inactive");
}

TEST_F(ToolbarE2e, PopupAndTextBubbleStayAboveTheOverlayOnABoardAfterARestack) {
    ClickAt(QPoint(48 + 18, 21));                    // the pen
    ChooseFromDropDown(QPoint(316 + 36 + 8, 21), 2); // the blackboard
    ASSERT_TRUE(ScreenShows({500, 600}, [](QRgb p) { return ColourNear(p, 0xFF000000, 2); }));
    const QString witnessId = FindWindows("^RavlinWitness$").value(0);
    const QString overlayId = QString::number(overlay);
    // Above the overlay and the toolbar, after the witness has been raised over everything.
    auto staysOnTop = [&](const QString& id) {
        Xdotool({"windowraise", witnessId});
        return WaitFor(
            [&] {
                const QStringList order = ViewableTopLevelsTopFirst();
                const qsizetype at = order.indexOf(id);
                // Under a window manager the witness is inside a frame, not a top level.
                const qsizetype witnessAt = order.indexOf(witnessId);
                return at >= 0 && at < order.indexOf(overlayId) && at < order.indexOf(toolbar) &&
                       (witnessAt < 0 || order.indexOf(overlayId) < witnessAt);
            },
            8000);
    };

    // A right-click on the board opens the pen's popup.
    const QStringList before = ViewableTopLevelsTopFirst();
    Xdotool({"mousemove", "500", "300", "click", "3"});
    QString popup;
    ASSERT_TRUE(WaitFor([&] {
        for (const QString& id : ViewableTopLevelsTopFirst())
            if (!before.contains(id))
                popup = id;
        return !popup.isEmpty();
    })) << "no popup";
    EXPECT_TRUE(staysOnTop(popup)) << ViewableTopLevelsTopFirst().join(' ').toStdString();
    const QRect menu = WindowGeometry(popup);
    EXPECT_TRUE(ScreenShows(menu.topLeft() + QPoint(4, 4) * ProgramScale(), [](QRgb p) {
        return qRed(p) + qGreen(p) + qBlue(p) > 150;
    })) << "the popup shows over the board";
    Xdotool({"key", "Escape"});
    ASSERT_TRUE(WaitFor([&] { return !ViewableTopLevelsTopFirst().contains(popup); }));

    // The text tool's bubble.
    ASSERT_TRUE(ravlin.RunCommand("text"));
    Xdotool({"mousemove", "400", "300", "click", "1"});
    QString bubble;
    ASSERT_TRUE(WaitFor([&] {
        for (const QString& id : FindWindows("^ravlin$", true))
            if (WindowGeometry(id).width() == 475 * ProgramScale())
                bubble = id;
        return !bubble.isEmpty();
    })) << "no bubble";
    EXPECT_TRUE(staysOnTop(bubble)) << ViewableTopLevelsTopFirst().join(' ').toStdString();
}
} // namespace

// Two monitors side by side, the right one primary and taller, as many desks have: where the
// overlay and the toolbar start, the display choice moving both, the toolbar's tab staying on
// its own monitor, a stroke dragged off the overlay onto the other monitor, and a monitor
// unplugged and plugged in again at another size while the program runs.
#include "CSoundServer.h"
#include "E2eSession.h"
#include "RecordingSteps.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {
constexpr QRgb kPenRed = 0xFFFF0000;

class MonitorsE2e : public CRavlinTest {
protected:
    MonitorsE2e() : CRavlinTest(QRect(1400, 100, 1600, 800)) {}
    static QRect Left() { return CVirtualSession::LeftMonitor(); }
    static QRect Right() { return CVirtualSession::RightMonitor(); }
    // The toolbar: 42 pixels thick, or the 24-pixel tab.
    QString FindToolbar() {
        for (const QString& id : FindWindows("^ravlin$", true)) {
            const QRect r = WindowGeometry(id);
            if (r.height() == 42 || r.width() == 42 || r.width() == 24 || r.height() == 24)
                return id;
        }
        return {};
    }
    QRect Toolbar() { return WindowGeometry(FindToolbar()); }
    QRect Overlay() { return WindowGeometry(QString::number(overlay)); }
    // Centred in the monitor's work area, 10 pixels below its top.
    static bool AtHomeOn(const QRect& toolbar, const QRect& monitor) {
        return toolbar.top() == monitor.top() + 10 &&
               std::abs(toolbar.center().x() - monitor.center().x()) <= 1;
    }
};

TEST_F(MonitorsE2e, OverlayAndToolbarStartOnThePrimaryMonitor) {
    EXPECT_EQ(Overlay(), Right());
    QRect toolbar;
    EXPECT_TRUE(WaitFor([&] { return AtHomeOn(toolbar = Toolbar(), Right()); }, 5000))
        << "toolbar at " << toolbar.x() << "," << toolbar.y() << " " << toolbar.width() << "x"
        << toolbar.height();
}

TEST_F(MonitorsE2e, DisplayChoiceMovesOverlayAndToolbar) {
    // The primary monitor comes first in the display list.
    ASSERT_TRUE(ravlin.RunCommand("display-2"));
    EXPECT_TRUE(WaitFor([&] { return Overlay() == Left(); }))
        << "overlay at " << Overlay().x() << "," << Overlay().y();
    QRect toolbar;
    EXPECT_TRUE(WaitFor([&] { return AtHomeOn(toolbar = Toolbar(), Left()); }, 5000))
        << "toolbar at " << toolbar.x() << "," << toolbar.y();

    ASSERT_TRUE(ravlin.RunCommand("display-1"));
    EXPECT_TRUE(WaitFor([&] { return Overlay() == Right(); }));
    EXPECT_TRUE(WaitFor([&] { return AtHomeOn(toolbar = Toolbar(), Right()); }, 5000))
        << "toolbar at " << toolbar.x() << "," << toolbar.y();
    // A display that does not exist changes nothing.
    ASSERT_TRUE(ravlin.RunCommand("display-4"));
    WaitFor([] { return false; }, 500);
    EXPECT_EQ(Overlay(), Right());
}

TEST_F(MonitorsE2e, TheTabStaysOnTheToolbarsOwnMonitor) {
    for (const char* display : {"display-1", "display-2"}) {
        SCOPED_TRACE(display);
        ASSERT_TRUE(ravlin.RunCommand(display));
        WaitFor([] { return false; }, 500);
        const QRect home = Toolbar();
        ASSERT_EQ(home.height(), 42);
        const QRect monitor = Right().contains(home) ? Right() : Left();
        ASSERT_TRUE(monitor.contains(home)) << "toolbar at " << home.x() << "," << home.y();

        ASSERT_TRUE(ravlin.RunCommand("toolbar"));
        QRect tab;
        EXPECT_TRUE(WaitFor([&] { return (tab = Toolbar()).width() == 24; }, 5000));
        EXPECT_TRUE(monitor.contains(tab)) << "tab at " << tab.x() << "," << tab.y();
        EXPECT_TRUE(tab.left() == monitor.left() || tab.right() == monitor.right())
            << "tab at " << tab.x() << "," << tab.y() << ": not at an edge of its monitor";
        ASSERT_TRUE(ravlin.RunCommand("toolbar"));
        QRect back;
        EXPECT_TRUE(WaitFor([&] { return (back = Toolbar()) == home; }, 5000))
            << "toolbar back at " << back.x() << "," << back.y();
    }
}

TEST_F(MonitorsE2e, AStrokeDraggedOntoTheOtherMonitorKeepsDrawingOnItsReturn) {
    ASSERT_TRUE(ravlin.RunCommand("pen"));
    QRgb seen = 0;
    Drag({1500, 300}, {1900, 300});
    EXPECT_TRUE(ScreenShows(
        {1700, 300}, [](QRgb p) { return ColourNear(p, kPenRed, 2); }, &seen))
        << "a drag on the overlay's monitor: " << ColourText(seen).toStdString();
    // Out across the left monitor and back, in one drag.
    const QString y = "600";
    QStringList steps{"mousemove", "1800", y, "mousedown", "1"};
    for (int x : {1600, 1400, 1200, 900, 600, 900, 1200, 1400, 1700, 2000})
        steps << "sleep"
              << "0.05"
              << "mousemove" << QString::number(x) << y;
    steps << "sleep"
          << "0.1"
          << "mouseup"
          << "1";
    Xdotool(steps);
    for (int x : {1700, 1900})
        EXPECT_TRUE(ScreenShows(
            {x, 600}, [](QRgb p) { return ColourNear(p, kPenRed, 2); }, &seen))
            << x << " " << ColourText(seen).toStdString();
    // Nothing lands on the other monitor, which has no overlay.
    const QImage shot = g_session->Screenshot();
    EXPECT_FALSE(ColourNear(shot.pixel(900, 600), kPenRed, 30));
    EXPECT_TRUE(ravlin.IsRunning());
}

void Xrandr(const QStringList& arguments) {
    int code = -1;
    g_session->Run("xrandr", arguments, &code);
    EXPECT_EQ(code, 0) << arguments.join(' ').toStdString();
}

TEST_F(MonitorsE2e, TheOverlayFollowsAnUnpluggedMonitorAndRecordsOneBackAtAnotherSize) {
    // The next tests find the monitors as the session made them, whatever happens here.
    struct CRestore {
        ~CRestore() {
            Xrandr({"--delmonitor", "LEFT"});
            Xrandr({"--setmonitor", "LEFT", "1280/338x1024/270+0+0", "none"});
        }
    } restore;
    ASSERT_TRUE(ravlin.RunCommand("display-2"));
    ASSERT_TRUE(WaitFor([&] { return Overlay() == Left(); }));

    // Unplugged: the overlay and the toolbar come back to the monitor that stays.
    Xrandr({"--delmonitor", "LEFT"});
    QRect overlayNow;
    EXPECT_TRUE(WaitFor([&] { return (overlayNow = Overlay()) == Right(); }))
        << "overlay at " << overlayNow.x() << "," << overlayNow.y() << " " << overlayNow.width()
        << "x" << overlayNow.height();
    QRect toolbar;
    EXPECT_TRUE(WaitFor([&] { return AtHomeOn(toolbar = Toolbar(), Right()); }, 5000))
        << "toolbar at " << toolbar.x() << "," << toolbar.y();
    ASSERT_TRUE(ravlin.RunCommand("display-2")); // no second display any more
    WaitFor([] { return false; }, 500);
    EXPECT_EQ(Overlay(), Right());

    // Plugged in again at another size: offered at that size, and recorded at that size.
    const QRect smaller(0, 0, 1024, 768);
    Xrandr({"--setmonitor", "LEFT", "1024/270x768/203+0+0", "none"});
    EXPECT_TRUE(WaitFor([&] {
        return ravlin.RunCommand("display-2") &&
               WaitFor([&] { return Overlay() == smaller; }, 1000);
    })) << "overlay at "
        << Overlay().x() << "," << Overlay().y() << " " << Overlay().width() << "x"
        << Overlay().height();
    CSoundServer sound;
    ASSERT_TRUE(sound.IsReady()) << "the test sound server did not start";
    const QString movie = g_session->Home() + "/plugged-in.wmv";
    ASSERT_TRUE(ravlin.RunCommand("record"));
    ASSERT_TRUE(SaveAs(movie));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(movie); }, 5000));
    RecordFor(1500);
    ASSERT_TRUE(ravlin.RunCommand("record"));
    ASSERT_TRUE(WaitFor([&] { return IsFinished(movie); }, 15000)) << "the file is incomplete";
    EXPECT_EQ(Probe(movie, "stream=width").toInt(), smaller.width());
    EXPECT_EQ(Probe(movie, "stream=height").toInt(), smaller.height());
    EXPECT_TRUE(ravlin.IsRunning());
}
} // namespace

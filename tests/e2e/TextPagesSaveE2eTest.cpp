// Typed text, pages and screenshots with the real program.
#include "E2eSession.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <gtest/gtest.h>

namespace {
constexpr QRgb kPenRed = 0xFFFF0000;

class DocumentE2e : public CRavlinTest {
protected:
    DocumentE2e() : CRavlinTest(QRect(100, 100, 1000, 600)) {}
    static bool IsRed(QRgb p) { return ColourNear(p, kPenRed, 2); }
    static bool IsWitness(QRgb p) { return ColourNear(p, CWitnessWindow::kColour, 2); }
    // Blue text pixels in a box of the screen.
    int BlueIn(const QRect& box) {
        const QImage shot = g_session->Screenshot();
        int count = 0;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) {
                const QRgb p = shot.pixel(x, y);
                count += qBlue(p) > 200 && qRed(p) < 60 && qGreen(p) < 60;
            }
        return count;
    }
    // The text bubble: the window of ours that is 475 wide.
    QRect Bubble(int timeoutMs = 5000) {
        QRect found;
        WaitFor(
            [&] {
                for (const QString& id : FindWindows("^ravlin$", true)) {
                    const QRect r = WindowGeometry(id);
                    if (r.width() == 475 * ProgramScale()) {
                        found = r;
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
        return found;
    }
    // The Save As dialog: types the path into its name field and accepts.
    bool SaveAs(const QString& path) {
        QString dialog;
        if (!WaitFor([&] {
                const QStringList ids = FindWindows("^Save As$");
                dialog = ids.value(0);
                return !dialog.isEmpty();
            }))
            return false;
        Xdotool({"windowfocus", "--sync", dialog});
        Xdotool({"key", "ctrl+a"});
        Xdotool({"type", "--delay", "5", path});
        Xdotool({"key", "Return"});
        return WaitFor([&] { return FindWindows("^Save As$").isEmpty(); });
    }
};

TEST_F(DocumentE2e, TypedTextIsCommittedWithReturnAndThrownAwayWithEscape) {
    const int lower = g_session->ScreenSize().height() * 3 / 4;
    const int upper = g_session->ScreenSize().height() / 4;
    // The click waits until the program has taken the tool: sent at once, it would reach
    // whatever lies under the overlay while the program is still finishing its start.
    ASSERT_TRUE(ChangesPointerShape({300, lower}, [] { Xdotool({"key", "alt+shift+t"}); }));
    Xdotool({"mousemove", "300", QString::number(lower), "click", "1"});
    const QRect bubble = Bubble();
    ASSERT_FALSE(bubble.isEmpty()) << "no bubble";
    EXPECT_LT(bubble.bottom(), lower) << "in the lower half it opens above the line";
    Xdotool({"type", "--delay", "20", "Hello"});
    Xdotool({"key", "Return"});
    const QRect committed(295, lower - 25 * ProgramScale(), 200 * ProgramScale(),
                          50 * ProgramScale());
    EXPECT_TRUE(WaitFor([&] { return BlueIn(committed) > 50; }, 8000));
    EXPECT_TRUE(WaitFor([&] { return Bubble(0).isEmpty(); }, 5000));

    Xdotool({"mousemove", "300", QString::number(upper), "click", "1"});
    const QRect below = Bubble();
    ASSERT_FALSE(below.isEmpty());
    EXPECT_GT(below.top(), upper) << "in the upper half it opens below the line";
    Xdotool({"type", "--delay", "20", "Gone"});
    Xdotool({"key", "Escape"});
    WaitFor([&] { return Bubble(0).isEmpty(); }, 5000);
    const QRect thrownAway(295, upper - 25 * ProgramScale(), 200 * ProgramScale(),
                           50 * ProgramScale());
    EXPECT_TRUE(WaitFor([&] { return BlueIn(thrownAway) == 0; }, 5000));
    EXPECT_GT(BlueIn(committed), 50) << "the committed text stays";
}

TEST_F(DocumentE2e, EachPageKeepsItsOwnInk) {
    ASSERT_TRUE(ChangesPointerShape({450, 200}, [] { Xdotool({"key", "alt+shift+p"}); }));
    Drag({200, 200}, {700, 200}, 9);
    ASSERT_TRUE(ScreenShows({450, 200}, IsRed));
    Xdotool({"key", "n"});
    EXPECT_TRUE(ScreenShows({450, 200}, IsWitness)) << "a new, empty page";
    Drag({200, 400}, {700, 400}, 9);
    ASSERT_TRUE(ScreenShows({450, 400}, IsRed));
    Xdotool({"key", "Left"});
    EXPECT_TRUE(ScreenShows({450, 200}, IsRed));
    EXPECT_TRUE(ScreenShows({450, 400}, IsWitness));
    Xdotool({"key", "Right"});
    EXPECT_TRUE(ScreenShows({450, 400}, IsRed));
    EXPECT_TRUE(ScreenShows({450, 200}, IsWitness));
    Xdotool({"key", "Delete"}); // clears the page shown
    EXPECT_TRUE(ScreenShows({450, 400}, IsWitness));
    Xdotool({"key", "Left"});
    EXPECT_TRUE(ScreenShows({450, 200}, IsRed));
}

TEST_F(DocumentE2e, CtrlZTakesTheLastStrokeAwayOnItsOwnPageAndCtrlYBringsItBack) {
    // Pixels only: the window manager and the scale add nothing here, so it runs once.
    if (g_session->Mode() != CVirtualSession::EMode::Compositor || ProgramScale() != 1)
        GTEST_SKIP() << "runs in the compositor session at scale 1";
    ASSERT_TRUE(ChangesPointerShape({450, 200}, [] { Xdotool({"key", "alt+shift+p"}); }));
    Drag({200, 200}, {700, 200}, 9);
    Drag({200, 300}, {700, 300}, 9);
    ASSERT_TRUE(ScreenShows({450, 300}, IsRed));
    Xdotool({"key", "ctrl+z"});
    EXPECT_TRUE(ScreenShows({450, 300}, IsWitness)) << "the last stroke is gone";
    EXPECT_TRUE(ScreenShows({450, 200}, IsRed)) << "the one before stays";
    Xdotool({"key", "ctrl+y"});
    EXPECT_TRUE(ScreenShows({450, 300}, IsRed)) << "redone";

    // Another page has its own steps; coming back, page 1's are still there.
    Xdotool({"key", "n"});
    Drag({200, 400}, {700, 400}, 9);
    ASSERT_TRUE(ScreenShows({450, 400}, IsRed));
    Xdotool({"key", "Left"});
    Xdotool({"key", "ctrl+z"});
    Xdotool({"key", "ctrl+z"});
    EXPECT_TRUE(ScreenShows({450, 200}, IsWitness));
    Xdotool({"key", "ctrl+shift+z"});
    EXPECT_TRUE(ScreenShows({450, 200}, IsRed));
    Xdotool({"key", "Right"});
    EXPECT_TRUE(ScreenShows({450, 400}, IsRed)) << "page 2 untouched";
}

TEST_F(DocumentE2e, ScreenshotsInEveryFormatAndOfARegion) {
    ASSERT_TRUE(ChangesPointerShape({450, 300}, [] { Xdotool({"key", "alt+shift+p"}); }));
    Drag({200, 300}, {700, 300}, 9);
    ASSERT_TRUE(ScreenShows({450, 300}, IsRed));
    const QString folder = g_session->Home() + "/shots";
    QDir().mkpath(folder);
    const struct {
        const char* typed;
        const char* file;
        const char* format; // as identify names it
    } cases[] = {
        {"a.bmp", "a.bmp", "BMP"}, {"b.jpg", "b.jpg", "JPEG"}, {"c.png", "c.png", "PNG"},
        {"d.gif", "d.gif", "GIF"}, {"e", "e.png", "PNG"},
    };
    for (const auto& c : cases) {
        Xdotool({"key", "alt+shift+s"});
        ASSERT_TRUE(SaveAs(folder + "/" + c.typed)) << c.typed;
        const QString path = folder + "/" + c.file;
        ASSERT_TRUE(WaitFor([&] { return QFile::exists(path); }, 5000)) << c.file;
        const QString identified =
            QString::fromLatin1(g_session->Run("identify", {"-format", "%m %w %h", path}));
        // identify names Qt's bitmaps "BMP3".
        const QStringList words = identified.split(' ');
        ASSERT_EQ(words.size(), 3) << identified.toStdString();
        EXPECT_TRUE(words[0].startsWith(c.format)) << c.file << " " << identified.toStdString();
        EXPECT_EQ(QSize(words[1].toInt(), words[2].toInt()), g_session->ScreenSize()) << c.file;
        const QImage saved(path);
        EXPECT_TRUE(ColourNear(saved.pixel(450, 300), kPenRed, 24))
            << c.file << " " << ColourText(saved.pixel(450, 300)).toStdString();
        EXPECT_TRUE(ColourNear(saved.pixel(450, 500), CWitnessWindow::kColour, 24)) << c.file;
    }

    // A region: exactly its size, without its frame.
    EXPECT_TRUE(ChangesPointerShape({400, 250}, [] { Xdotool({"key", "F9"}); }));
    Xdotool({"mousemove", "400", "250", "mousedown", "1", "sleep", "0.05", "mousemove", "520",
             "330", "sleep", "0.05", "mouseup", "1"});
    Xdotool({"key", "alt+shift+s"});
    ASSERT_TRUE(SaveAs(folder + "/region.png"));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(folder + "/region.png"); }, 5000));
    const QImage region(folder + "/region.png");
    EXPECT_EQ(region.size(), QSize(120, 80));
    EXPECT_TRUE(ColourNear(region.pixel(50, 50), kPenRed, 2)) << "the line at y 300";
    EXPECT_TRUE(ColourNear(region.pixel(0, 0), CWitnessWindow::kColour, 2)) << "no frame";
}
} // namespace

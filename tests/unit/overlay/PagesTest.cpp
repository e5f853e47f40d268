// Pages and scenes, with the counter the toolbar shows.
#include "OverlayFixture.h"

namespace {
struct CCounter : IToolbarState {
    void SetPageInfo(int index, int count) override {
        shown = QString("%1 / %2").arg(index + 1).arg(count);
        ++calls;
    }
    QString shown;
    int calls = 0;
};

class PagesTest : public OverlayFixture {
protected:
    void SetUp() override {
        CreateOverlay({{QRect(0, 0, 200, 100), QRect(0, 0, 200, 100), true, 1.0, "small"}});
        overlay->SetToolbarState(&counter);
    }
    // Marks the current page with a colour at a place of its own.
    void Mark(QColor colour) { PaintOnPage(QRect(10, 10, 4, 4), colour); }
    QRgb Shown() const { return Unpremultiplied(overlay->Surface(), QPoint(11, 11)); }
    CCounter counter;
};

TEST_F(PagesTest, CommandsAndTheCounter) {
    Mark(Qt::red);
    overlay->OnCommand(ID_NEW_PAGE);
    Mark(Qt::green);
    overlay->OnCommand(ID_NEW_PAGE);
    Mark(Qt::blue);
    EXPECT_EQ(counter.shown, "3 / 3");

    const struct {
        CommandId command;
        const char* counterAfter;
        int callsAdded;
        QRgb shown;
    } steps[] = {
        {ID_PREVIOUS_PAGE, "2 / 3", 1, 0xFF00FF00},
        {ID_PREVIOUS_PAGE, "1 / 3", 1, 0xFFFF0000},
        {ID_PREVIOUS_PAGE, "1 / 3", 0, 0xFFFF0000}, // on the first page: nothing
        {ID_NEW_PAGE, "2 / 4", 1, 0},               // inserted after page 1 and shown
        {ID_NEXT_PAGE, "3 / 4", 1, 0xFF00FF00},
        {ID_NEXT_PAGE, "4 / 4", 1, 0xFF0000FF},
        {ID_NEXT_PAGE, "4 / 4", 0, 0xFF0000FF},   // on the last page: nothing
        {ID_DELETE_PAGE, "3 / 3", 1, 0xFF00FF00}, // the last of four: the new last one shows
    };
    for (const auto& step : steps) {
        const int before = counter.calls;
        overlay->OnCommand(step.command);
        EXPECT_EQ(counter.shown, step.counterAfter) << step.command;
        EXPECT_EQ(counter.calls - before, step.callsAdded) << step.command;
        if (step.shown)
            EXPECT_EQ(Shown(), step.shown) << step.command;
        else
            EXPECT_LE(qAlpha(Shown()), 2) << step.command;
    }
}

TEST_F(PagesTest, DeleteInTheMiddleShowsTheFollowingPageAndTheOnlyPageIsCleared) {
    Mark(Qt::red);
    overlay->OnCommand(ID_NEW_PAGE);
    Mark(Qt::green);
    overlay->OnCommand(ID_NEW_PAGE);
    Mark(Qt::blue);
    overlay->OnCommand(ID_PREVIOUS_PAGE);
    overlay->OnCommand(ID_DELETE_PAGE);
    EXPECT_EQ(counter.shown, "2 / 2");
    EXPECT_EQ(Shown(), 0xFF0000FFu);
    overlay->OnCommand(ID_DELETE_PAGE);
    overlay->OnCommand(ID_DELETE_PAGE); // the only page left: cleared, the counter untold
    EXPECT_EQ(counter.shown, "1 / 1");
    const int calls = counter.calls;
    Mark(Qt::red);
    overlay->OnCommand(ID_DELETE_PAGE);
    EXPECT_EQ(counter.calls, calls);
    EXPECT_EQ(overlay->pages.size(), 1u);
    EXPECT_EQ(qAlpha(Unpremultiplied(overlay->CurrentPage()->bitmap, QPoint(11, 11))), 0);
}

TEST_F(PagesTest, ClearTouchesOnlyTheCurrentPage) {
    Mark(Qt::red);
    overlay->OnCommand(ID_NEW_PAGE);
    Mark(Qt::green);
    overlay->OnCommand(ID_CLEAR);
    EXPECT_LE(qAlpha(Shown()), 2);
    overlay->OnCommand(ID_PREVIOUS_PAGE);
    EXPECT_EQ(Shown(), 0xFFFF0000u);
}

TEST_F(PagesTest, ScenesAndTheToggleThatRemembersTheLastBoard) {
    const struct {
        CommandId command;
        int desktopScene;
        QRgb background;
    } steps[] = {
        {ID_WHITEBOARD, 0, 0xFFFFFFFF}, // the toggle starts with the whiteboard
        {ID_WHITEBOARD, 1, 0x01FFFFFF}, // and goes back to the desktop
        {ID_SCENE_BLACKBOARD, 0, 0xFF000000}, {ID_SCENE_DESKTOP, 1, 0x01FFFFFF},
        {ID_WHITEBOARD, 0, 0xFF000000}, // the last board: black
        {ID_SCENE_WHITEBOARD, 0, 0xFFFFFFFF}, {ID_SCENE_DESKTOP, 1, 0x01FFFFFF},
        {ID_SCENE_DESKTOP, 1, 0x01FFFFFF},
    };
    Mark(Qt::red);
    for (const auto& step : steps) {
        overlay->OnCommand(step.command);
        EXPECT_EQ(overlay->desktopScene, step.desktopScene) << step.command;
        EXPECT_EQ(overlay->backgroundColour, step.background) << step.command;
        EXPECT_EQ(Shown(), 0xFFFF0000u) << "the ink stays";
        if (!step.desktopScene) {
            EXPECT_FALSE(overlay->IsPointerMode()) << "a board takes the mouse";
            // The first page's alpha-1 white lies over the board: at most one level lighter.
            const QRgb board = Unpremultiplied(overlay->Surface(), QPoint(100, 60));
            EXPECT_EQ(qAlpha(board), 255);
            EXPECT_NEAR(qRed(board), qRed(step.background), 1);
            EXPECT_NEAR(qBlue(board), qBlue(step.background), 1);
        }
    }
    EXPECT_EQ(overlay->pages.size(), 1u);
}

TEST_F(PagesTest, MarkerOnTheWhiteboardLeavesOpaqueTintedWhiteThatStaysOnTheDesktop) {
    overlay->OnCommand(ID_SCENE_WHITEBOARD);
    overlay->OnCommand(ID_MARKER);
    overlay->OnLButtonDown(QPoint(50, 50));
    overlay->OnMouseMove(QPoint(150, 50));
    overlay->OnLButtonUp(QPoint(150, 50));
    const QRgb patch = Unpremultiplied(overlay->CurrentPage()->bitmap, QPoint(100, 50));
    EXPECT_EQ(qAlpha(patch), 255);
    EXPECT_GT(qRed(patch), 240);
    EXPECT_LT(qBlue(patch), 200);
    overlay->OnCommand(ID_SCENE_DESKTOP);
    EXPECT_EQ(Unpremultiplied(overlay->Surface(), QPoint(100, 50)), patch);
}
} // namespace

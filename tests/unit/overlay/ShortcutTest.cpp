// Global shortcuts and the overlay's own keys reaching their commands, and the clipboard copy.
#include "OverlayFixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

namespace {
constexpr unsigned kShiftAlt = IGlobalKeys::kModShift | IGlobalKeys::kModAlt;

class ShortcutTest : public OverlayFixture {
protected:
    void SetUp() override {
        CreateOverlay();
        overlay->DoUpdateHotKeys();
        // Every command, whether its feature is built yet or not, shows in the dispatch.
        overlay->Commands().SetObserver([this](CommandId id) { dispatched.push_back(id); });
    }
    std::vector<CommandId> dispatched;
};

TEST_F(ShortcutTest, EachDefaultShortcutReachesItsCommand) {
    const struct {
        unsigned modifiers, key;
        CommandId command;
    } cases[] = {
        {kShiftAlt, 'S', ID_SAVE},    {kShiftAlt, 'H', ID_MARKER}, {kShiftAlt, 'T', ID_TEXT},
        {kShiftAlt, 'E', ID_ERASER},  {kShiftAlt, 'X', ID_CLEAR},  {kShiftAlt, 'R', ID_RECORD},
        {0, 0x78 /* F9 */, ID_PAUSE},
    };
    for (const auto& c : cases) {
        dispatched.clear();
        keys.Press(c.modifiers, c.key);
        EXPECT_EQ(dispatched, std::vector<CommandId>{c.command}) << c.key;
    }
}

TEST_F(ShortcutTest, PenTakesTheMouseAndCursorGivesItBack) {
    overlay->show();
    ASSERT_TRUE(overlay->IsPointerMode());
    overlay->tool = 2;
    keys.Press(kShiftAlt, 'P');
    EXPECT_FALSE(overlay->IsPointerMode());
    EXPECT_FALSE(overlay->windowHandle()->flags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_EQ(overlay->tool, 0);
    EXPECT_EQ(server.focusedWindow, overlay->winId()) << "the overlay takes the keyboard too";
    keys.Press(kShiftAlt, 'C');
    EXPECT_TRUE(overlay->IsPointerMode());
    EXPECT_EQ(overlay->tool, 0) << "pointer mode keeps the tool";
}

TEST_F(ShortcutTest, ToolbarShortcutTogglesTheToolbar) {
    QWidget toolbar;
    overlay->SetToolbarWindow(&toolbar);
    keys.Press(0, 0x75);
    EXPECT_TRUE(toolbar.isVisible());
    keys.Press(0, 0x75);
    EXPECT_FALSE(toolbar.isVisible());
}

TEST_F(ShortcutTest, NothingHappensWhileDisabledOrForAStaleIdentifier) {
    overlay->hotKeysEnabled = 0;
    keys.Press(kShiftAlt, 'S');
    EXPECT_TRUE(dispatched.empty());

    overlay->hotKeysEnabled = 1;
    const quint16 old = overlay->hotKeys["save"].atom;
    overlay->hotKeys["save"].code = 0; // cleared on the Preferences page, then confirmed
    overlay->DoUpdateHotKeys();
    overlay->OnHotKey(old);
    keys.Press(kShiftAlt, 'S');
    for (int id : {0, -1, 0x10000, 0xFFFF})
        overlay->OnHotKey(id);
    EXPECT_TRUE(dispatched.empty());
}

TEST_F(ShortcutTest, OverlayKeys) {
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        std::vector<CommandId> commands;
        bool defaultProcessing;
    } cases[] = {
        {Qt::Key_Backspace, {}, {ID_CLEAR}, true},
        {Qt::Key_Delete, {}, {ID_CLEAR}, true},
        {Qt::Key_Escape, {}, {}, true},
        {Qt::Key_Space, {}, {}, false},
        {Qt::Key_Left, {}, {ID_PREVIOUS_PAGE}, true},
        {Qt::Key_Right, {}, {ID_NEXT_PAGE}, true},
        {Qt::Key_N, {}, {ID_NEW_PAGE}, true},
        {Qt::Key_2, {}, {ID_MARKER}, true},
        {Qt::Key_3, {}, {ID_ERASER}, true},
        {Qt::Key_2, Qt::KeypadModifier, {}, true},
        {Qt::Key_C, {}, {}, true},
        {Qt::Key_Q, {}, {}, true},
        {Qt::Key_Z, Qt::ControlModifier, {ID_UNDO}, false},
        {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, {ID_REDO}, false},
        {Qt::Key_Y, Qt::ControlModifier, {ID_REDO}, false},
        {Qt::Key_Z, {}, {}, true},
        {Qt::Key_Y, {}, {}, true},
    };
    for (const auto& c : cases) {
        dispatched.clear();
        const bool passedOn = overlay->OnKeyDown(c.key, c.modifiers);
        EXPECT_EQ(dispatched, c.commands) << c.key;
        EXPECT_EQ(passedOn, c.defaultProcessing) << c.key;
    }

    // 1 and 4 choose the pen and pointer mode.
    overlay->show();
    overlay->OnKeyDown(Qt::Key_1, {});
    EXPECT_FALSE(overlay->IsPointerMode());
    overlay->OnKeyDown(Qt::Key_4, {});
    EXPECT_TRUE(overlay->IsPointerMode());
}

TEST_F(ShortcutTest, ShiftEscapeAsksToExitAndGoesNoFurther) {
    dialogs.answers = {false};
    EXPECT_FALSE(overlay->OnKeyDown(Qt::Key_Escape, Qt::ShiftModifier));
    EXPECT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(quits, 0);
}

TEST_F(ShortcutTest, CtrlCCopiesTheWholePrimaryScreenAfterTheOverlayIsOnIt) {
    EXPECT_FALSE(overlay->OnKeyDown(Qt::Key_C, Qt::ControlModifier));
    EXPECT_EQ(server.syncCalls, 1) << "what just changed must reach the screen first";
    const QRect primary = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(server.lastGrab, primary);
    const QImage copied = QGuiApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), primary.size());
    EXPECT_EQ(copied.pixel(3, 3) & 0xFFFFFF, server.screenColour.rgb() & 0xFFFFFF);
}

TEST_F(ShortcutTest, RegionIsCopiedInScreenCoordinatesOfADisplayAwayFromTheOrigin) {
    overlay->SelectDisplay(1); // at (1920, 200)
    overlay->clipRegion = QRect(10, 20, 300, 100);
    overlay->CopyRegionToClipboard();
    EXPECT_EQ(server.lastGrab, QRect(1930, 220, 300, 100));
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(300, 100));
}
} // namespace

namespace {
// Keys 1 to 4 are the main row's keys by their X key code, whatever the layout types with them;
// the keypad's digits and the next key of the row are nothing.
TEST_F(ShortcutTest, KeysOneToFourFollowTheKeyboardRowNotTheCharacter) {
    const struct {
        int key;
        quint32 keyCode;
        Qt::KeyboardModifiers modifiers;
        std::vector<CommandId> commands;
    } cases[] = {
        {Qt::Key_Ampersand, 10, {}, {ID_PEN}},        // AZERTY: "&" on the 1 key
        {Qt::Key_Eacute, 11, {}, {ID_MARKER}},        // "é"
        {Qt::Key_QuoteDbl, 12, {}, {ID_ERASER}},      // "\""
        {Qt::Key_Apostrophe, 13, {}, {ID_MOUSE}},     // "'"
        {Qt::Key_1, 10, Qt::ShiftModifier, {ID_PEN}}, // AZERTY's shifted digit
        {Qt::Key_2, 11, {}, {ID_MARKER}},             // QWERTY
        {Qt::Key_ParenLeft, 14, {}, {}},              // the 5 key
        {Qt::Key_1, 87, Qt::KeypadModifier, {}},      // keypad 1
        {Qt::Key_1, 38, {}, {}},                      // a layout with 1 elsewhere
    };
    for (const auto& c : cases) {
        dispatched.clear();
        overlay->OnKeyDown(c.key, c.modifiers, c.keyCode);
        EXPECT_EQ(dispatched, c.commands) << "key code " << c.keyCode;
    }
}
} // namespace

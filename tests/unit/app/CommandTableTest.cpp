// The command set: every identifier known with its menu text, and dispatch by one table with
// ranges, where an identifier without a row does nothing.
#include "CCommandMap.h"
#include "CommandIds.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {
TEST(CommandIds, MenuTextsAreThoseOfTheMenus) {
    const struct {
        CommandId id;
        const char* text;
    } cases[] = {
        {ID_SHOW_TOOLBAR, "Show Toolbar\t%s"},
        {ID_RECORD_MOUSE, "Record Mouse "},
        {ID_WEBCAM_LARGE, "Large Window (360 x 270)"},
        {ID_DISPLAY_EXTENDED_3, "Extended Display #3"},
        {ID_WHITEBOARD, "Whiteboard"},
        {ID_SCENE_WHITEBOARD, "Whiteboard"},
        {ID_TEXT_YELLOW, "Yellow"},
        {ID_PREFERENCES, "Preferences..."},
        {ID_UNDO, "Undo"},
        {ID_REDO, "Redo"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CommandMenuText(c.id), QString::fromLatin1(c.text)) << c.id;
    EXPECT_EQ(CommandMenuText(32772), QString());
    EXPECT_EQ(AllCommands().size(), 65u);
    for (size_t i = 1; i < AllCommands().size(); ++i)
        EXPECT_LT(AllCommands()[i - 1].id, AllCommands()[i].id);
}

TEST(CommandMap, DispatchesSinglesAndRangesAndIgnoresTheRest) {
    CCommandMap map;
    std::vector<int> calls;
    map.On(ID_EXIT, [&] { calls.push_back(ID_EXIT); });
    map.OnRange(ID_DISPLAY_PRIMARY, ID_DISPLAY_EXTENDED_3,
                [&](CommandId id) { calls.push_back(id - ID_DISPLAY_PRIMARY); });

    const struct {
        CommandId id;
        bool handled;
    } cases[] = {
        {ID_EXIT, true},
        {ID_DISPLAY_PRIMARY, true},
        {ID_DISPLAY_EXTENDED_3, true},
        {ID_DISPLAY_PRIMARY - 1, false},
        {ID_DISPLAY_EXTENDED_3 + 1, false},
        {0, false},
        {0xFFFF, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(map.Dispatch(c.id), c.handled) << c.id;
    EXPECT_EQ(calls, (std::vector<int>{ID_EXIT, 0, 3}));
}
} // namespace

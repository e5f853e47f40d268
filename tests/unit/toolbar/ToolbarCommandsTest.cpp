// What each toolbar button does, and which of the record group show.
#include "CToolbarCommands.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {
TEST(ToolbarCommands, ControlIdentifiersAndTheirCommands) {
    const struct {
        int id;
        bool finishesText;
        const char* dropDown;
        CommandId command;
        bool hides;
    } rows[] = {
        {1000, true, "pen", ID_PEN, false},
        {1001, true, "marker", ID_MARKER, false},
        {1002, true, "eraser", ID_ERASER, false},
        {1003, true, nullptr, ID_MOUSE, false},
        {1004, true, "clear", ID_CLEAR, false},
        {1005, true, nullptr, ID_RECORD, false},
        {1018, true, nullptr, ID_RECORD, false},
        {1006, true, nullptr, ID_PAUSE, false},
        {1017, true, nullptr, ID_PAUSE, false},
        {1019, true, nullptr, ID_PAUSE, false},
        {1007, true, nullptr, ID_EXIT, false},
        {1008, true, "scene", ID_WHITEBOARD, false},
        {1009, true, nullptr, ID_NEW_PAGE, false},
        {1010, true, nullptr, ID_NEXT_PAGE, false},
        {1011, true, nullptr, ID_PREVIOUS_PAGE, false},
        {1012, true, nullptr, ID_SAVE, false},
        {1013, false, nullptr, 0, true},
        {1015, true, "webcam", ID_WEBCAM, false},
        {1016, false, "text", ID_TEXT, false},
    };
    for (const auto& row : rows) {
        const auto action = CToolbarCommands::ForControl(row.id);
        ASSERT_TRUE(action.has_value()) << row.id;
        EXPECT_EQ(action->finishTextFirst, row.finishesText) << row.id;
        EXPECT_EQ(QString(action->dropDown), QString(row.dropDown)) << row.id;
        EXPECT_EQ(action->command, row.command) << row.id;
        EXPECT_EQ(action->hideToolbar, row.hides) << row.id;
    }
    for (int id : {0, 999, 1014, 1020, -1})
        EXPECT_FALSE(CToolbarCommands::ForControl(id).has_value()) << id;
}

TEST(ToolbarCommands, RecordGroupVisibility) {
    const QStringList names{"record", "stop", "clip", "pause", "resume", "pen", "pageInfo"};
    const struct {
        bool recording, paused;
        QStringList visible;
    } states[] = {
        {false, false, {"record", "clip", "pen", "pageInfo"}},
        {true, false, {"stop", "pause", "pen", "pageInfo"}},
        {true, true, {"stop", "resume", "pen", "pageInfo"}},
    };
    for (const auto& state : states) {
        QStringList visible;
        for (const QString& name : names)
            if (CToolbarCommands::IsVisible(name, true, state.recording, state.paused))
                visible << name;
        EXPECT_EQ(visible, state.visible) << state.recording << state.paused;
        for (const QString& name : names)
            EXPECT_FALSE(CToolbarCommands::IsVisible(name, false, state.recording, state.paused))
                << "a tab shows no button";
    }
}

TEST(ToolbarCommands, PageCounterText) {
    EXPECT_EQ(CToolbarCommands::PageInfo(2, 3), "3 / 3");
    EXPECT_EQ(CToolbarCommands::PageInfo(0, 1), "1 / 1");
}
} // namespace

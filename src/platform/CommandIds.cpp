#include "CommandIds.h"

#include <algorithm>

const std::vector<CommandInfo>& AllCommands() {
    static const std::vector<CommandInfo> commands = {
        {ID_SHOW_TOOLBAR, "Show Toolbar\t%s"},
        {ID_RECORD, "Record\t%s"},
        {ID_PAUSE, "Pause\t%s"},
        {ID_EXIT, "Exit"},
        {ID_MARKER_YELLOW, "Yellow"},
        {ID_MARKER_TURQUOISE, "Turquoise"},
        {ID_MARKER_GREEN, "Green"},
        {ID_MARKER_PINK, "Pink"},
        {ID_ERASER_SMALL, "Small"},
        {ID_ERASER_MEDIUM, "Medium"},
        {ID_ERASER_LARGE, "Large"},
        {ID_PEN, "Pen"},
        {ID_MARKER, "Marker"},
        {ID_ERASER, "Eraser"},
        {ID_MOUSE, "Mouse"},
        {ID_CLEAR, "Clear"},
        {ID_WHITEBOARD, "Whiteboard"},
        {ID_NEW_PAGE, "New"},
        {ID_NEXT_PAGE, "Next"},
        {ID_PREVIOUS_PAGE, "Previous"},
        {ID_SAVE, "Save"},
        {ID_DELETE_PAGE, "Delete Current Page"},
        // The trailing space is how the menu has always shown it.
        {ID_RECORD_MOUSE, "Record Mouse "},
        {ID_ABOUT, "About Ravlin"},
        {ID_HELP, "Help"},
        {ID_PREFERENCES, "Preferences..."},
        {ID_WEBCAM, "Webcam"},
        {ID_QUALITY_HIGH, "High Quality"},
        {ID_QUALITY_MEDIUM, "Medium Quality"},
        {ID_QUALITY_LOW, "Low Quality"},
        {ID_WEBCAM_SMALL, "Small Window (160 x 120)"},
        {ID_WEBCAM_MEDIUM, "Medium Window (240 x 180)"},
        {ID_WEBCAM_LARGE, "Large Window (360 x 270)"},
        {ID_DISPLAY_PRIMARY, "Primary Display"},
        {ID_DISPLAY_EXTENDED, "Extended Display"},
        {ID_DISPLAY_EXTENDED_2, "Extended Display #2"},
        {ID_DISPLAY_EXTENDED_3, "Extended Display #3"},
        {ID_TEXT, "Text"},
        {ID_TEXT_BLACK, "Black"},
        {ID_TEXT_BLUE, "Blue"},
        {ID_TEXT_GREEN, "Green"},
        {ID_TEXT_RED, "Red"},
        {ID_TEXT_12PT, "12 pt"},
        {ID_TEXT_24PT, "24 pt"},
        {ID_TEXT_36PT, "36 pt"},
        {ID_TEXT_48PT, "48 pt"},
        {ID_PEN_BLACK, "Black"},
        {ID_PEN_BLUE, "Blue"},
        {ID_PEN_GREEN, "Green"},
        {ID_PEN_RED, "Red"},
        {ID_PEN_WHITE, "White"},
        {ID_PEN_YELLOW, "Yellow"},
        {ID_PEN_THINNER, "Thinner"},
        {ID_PEN_THIN, "Thin"},
        {ID_PEN_MEDIUM, "Medium"},
        {ID_PEN_THICK, "Thick"},
        {ID_HORIZONTAL, "Horizontal"},
        {ID_VERTICAL, "Vertical"},
        {ID_SCENE_WHITEBOARD, "Whiteboard"},
        {ID_SCENE_BLACKBOARD, "Blackboard"},
        {ID_SCENE_DESKTOP, "Desktop"},
        {ID_TEXT_WHITE, "White"},
        {ID_TEXT_YELLOW, "Yellow"},
        {ID_UNDO, "Undo"},
        {ID_REDO, "Redo"},
    };
    return commands;
}

QString CommandMenuText(CommandId id) {
    const auto& all = AllCommands();
    auto it = std::lower_bound(all.begin(), all.end(), id,
                               [](const CommandInfo& c, CommandId v) { return c.id < v; });
    if (it == all.end() || it->id != id)
        return {};
    return QString::fromLatin1(it->menuText);
}

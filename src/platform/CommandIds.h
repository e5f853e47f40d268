#pragma once
// Command identifiers. Every user action ends in one of these 16-bit values, whether it comes
// from the toolbar, the tray menu, a right-click popup, a global shortcut or an overlay key.
// The values are the menu item identifiers of the menu tables in resources/, so they are part of
// the program's data and must not change.
#include <QString>
#include <cstdint>
#include <vector>

using CommandId = std::uint16_t;

enum : CommandId {
    ID_SHOW_TOOLBAR = 32771,
    ID_RECORD = 32773,
    ID_PAUSE = 32774,
    ID_EXIT = 32775,
    ID_MARKER_YELLOW = 32784,
    ID_MARKER_TURQUOISE = 32785,
    ID_MARKER_GREEN = 32786,
    ID_MARKER_PINK = 32787,
    ID_ERASER_SMALL = 32788,
    ID_ERASER_MEDIUM = 32789,
    ID_ERASER_LARGE = 32790,
    ID_PEN = 32791,
    ID_MARKER = 32792,
    ID_ERASER = 32793,
    ID_MOUSE = 32794,
    ID_CLEAR = 32795,
    ID_WHITEBOARD = 32796,
    ID_NEW_PAGE = 32797,
    ID_NEXT_PAGE = 32798,
    ID_PREVIOUS_PAGE = 32799,
    ID_SAVE = 32800,
    ID_DELETE_PAGE = 32802,
    ID_RECORD_MOUSE = 32804,
    ID_ABOUT = 32807,
    ID_HELP = 32808,
    ID_PREFERENCES = 32809,
    ID_WEBCAM = 32810,
    ID_QUALITY_HIGH = 32815,
    ID_QUALITY_MEDIUM = 32816,
    ID_QUALITY_LOW = 32817,
    ID_WEBCAM_SMALL = 32819,
    ID_WEBCAM_MEDIUM = 32820,
    ID_WEBCAM_LARGE = 32821,
    ID_DISPLAY_PRIMARY = 32830,
    ID_DISPLAY_EXTENDED = 32831,
    ID_DISPLAY_EXTENDED_2 = 32832,
    ID_DISPLAY_EXTENDED_3 = 32833,
    ID_TEXT = 32834,
    ID_TEXT_BLACK = 32835,
    ID_TEXT_BLUE = 32836,
    ID_TEXT_GREEN = 32837,
    ID_TEXT_RED = 32838,
    ID_TEXT_12PT = 32839,
    ID_TEXT_24PT = 32840,
    ID_TEXT_36PT = 32841,
    ID_TEXT_48PT = 32842,
    ID_PEN_BLACK = 32843,
    ID_PEN_BLUE = 32844,
    ID_PEN_GREEN = 32845,
    ID_PEN_RED = 32846,
    ID_PEN_WHITE = 32847,
    ID_PEN_YELLOW = 32848,
    ID_PEN_THINNER = 32849,
    ID_PEN_THIN = 32850,
    ID_PEN_MEDIUM = 32851,
    ID_PEN_THICK = 32852,
    ID_HORIZONTAL = 32854,
    ID_VERTICAL = 32855,
    ID_SCENE_WHITEBOARD = 32856,
    ID_SCENE_BLACKBOARD = 32857,
    ID_SCENE_DESKTOP = 32858,
    ID_TEXT_WHITE = 32860,
    ID_TEXT_YELLOW = 32861,
    // Not in the menu tables: reached by keys, the toolbar's keys and the command line.
    ID_UNDO = 32870,
    ID_REDO = 32871,
};

struct CommandInfo {
    CommandId id;
    const char* menuText; // exactly as menus show it; "%s" takes the shortcut's key text
};

// Every identifier the program knows, in ascending order, with its menu text.
const std::vector<CommandInfo>& AllCommands();

// The menu text of a command, or an empty string for an identifier the program does not know.
QString CommandMenuText(CommandId id);

#include "CommandTable.h"

#include "CMainWindow.h"
#include "CommandIds.h"

void BuildCommandTable(CMainWindow& overlay) {
    CCommandMap& map = overlay.Commands();
    map.On(ID_EXIT, [&overlay] { overlay.OnCmdExit(); });
    map.On(ID_SHOW_TOOLBAR, [&overlay] { overlay.ToggleToolbar(); });
    map.On(ID_HORIZONTAL, [&overlay] { overlay.OnCmdHorizontal(); });
    map.On(ID_VERTICAL, [&overlay] { overlay.OnCmdVertical(); });
    map.On(ID_PAUSE, [&overlay] { overlay.OnCmdPause(); });
    map.On(ID_PREFERENCES, [&overlay] { overlay.OnPreferences(); });
    map.On(ID_RECORD, [&overlay] { overlay.OnCmdRecord(); });
    map.On(ID_RECORD_MOUSE, [&overlay] { overlay.OnCmdRecordMouse(); });
    map.OnRange(ID_QUALITY_HIGH, ID_QUALITY_LOW,
                [&overlay](CommandId id) { overlay.OnCmdQuality(id); });
    map.On(ID_WEBCAM, [&overlay] { overlay.OnCmdWebcam(); });
    map.OnRange(ID_WEBCAM_SMALL, ID_WEBCAM_LARGE,
                [&overlay](CommandId id) { overlay.OnCmdWebcamSize(id); });
    map.On(ID_PEN, [&overlay] { overlay.OnCmdPen(); });
    map.On(ID_MARKER, [&overlay] { overlay.OnCmdMarker(); });
    map.On(ID_ERASER, [&overlay] { overlay.OnCmdEraser(); });
    map.On(ID_TEXT, [&overlay] { overlay.OnCmdText(); });
    map.On(ID_MOUSE, [&overlay] { overlay.OnCmdMouse(); });
    map.On(ID_CLEAR, [&overlay] { overlay.OnCmdClear(); });
    map.On(ID_UNDO, [&overlay] { overlay.OnCmdUndo(); });
    map.On(ID_REDO, [&overlay] { overlay.OnCmdRedo(); });
    map.On(ID_WHITEBOARD, [&overlay] { overlay.OnCmdWhiteboard(); });
    map.On(ID_NEW_PAGE, [&overlay] { overlay.OnCmdNewPage(); });
    map.On(ID_NEXT_PAGE, [&overlay] { overlay.OnCmdNextPage(); });
    map.On(ID_PREVIOUS_PAGE, [&overlay] { overlay.OnCmdPrevPage(); });
    map.On(ID_SAVE, [&overlay] { overlay.OnCmdSave(); });
    map.On(ID_DELETE_PAGE, [&overlay] { overlay.OnCmdDeletePage(); });
    map.On(ID_SCENE_WHITEBOARD, [&overlay] { overlay.OnCmdWhiteboardScene(); });
    map.On(ID_SCENE_BLACKBOARD, [&overlay] { overlay.OnCmdBlackboardScene(); });
    map.On(ID_SCENE_DESKTOP, [&overlay] { overlay.OnCmdDesktopScene(); });
    map.OnRange(ID_PEN_BLACK, ID_PEN_YELLOW,
                [&overlay](CommandId id) { overlay.OnCmdPenColour(id); });
    map.OnRange(ID_PEN_THINNER, ID_PEN_THICK,
                [&overlay](CommandId id) { overlay.OnCmdPenWidth(id); });
    map.OnRange(ID_MARKER_YELLOW, ID_MARKER_PINK,
                [&overlay](CommandId id) { overlay.OnCmdMarkerColour(id); });
    map.OnRange(ID_ERASER_SMALL, ID_ERASER_LARGE,
                [&overlay](CommandId id) { overlay.OnCmdEraserSize(id); });
    map.OnRange(ID_TEXT_BLACK, ID_TEXT_RED,
                [&overlay](CommandId id) { overlay.OnCmdTextColour(id); });
    map.OnRange(ID_TEXT_WHITE, ID_TEXT_YELLOW,
                [&overlay](CommandId id) { overlay.OnCmdTextColour(id); });
    map.OnRange(ID_TEXT_12PT, ID_TEXT_48PT,
                [&overlay](CommandId id) { overlay.OnCmdTextSize(id); });
    map.OnRange(ID_DISPLAY_PRIMARY, ID_DISPLAY_EXTENDED_3,
                [&overlay](CommandId id) { overlay.SelectDisplay(id - ID_DISPLAY_PRIMARY); });
}

#include "CToolbarCommands.h"

std::optional<CToolbarAction> CToolbarCommands::ForControl(int id) {
    switch (id) {
    case 1000:
        return CToolbarAction{true, "pen", ID_PEN, false};
    case 1001:
        return CToolbarAction{true, "marker", ID_MARKER, false};
    case 1002:
        return CToolbarAction{true, "eraser", ID_ERASER, false};
    case 1003:
        return CToolbarAction{true, nullptr, ID_MOUSE, false};
    case 1004:
        return CToolbarAction{true, "clear", ID_CLEAR, false};
    case 1005:
    case 1018:
        return CToolbarAction{true, nullptr, ID_RECORD, false};
    case 1006:
    case 1017:
    case 1019:
        return CToolbarAction{true, nullptr, ID_PAUSE, false};
    case 1007:
        return CToolbarAction{true, nullptr, ID_EXIT, false};
    case 1008:
        return CToolbarAction{true, "scene", ID_WHITEBOARD, false};
    case 1009:
        return CToolbarAction{true, nullptr, ID_NEW_PAGE, false};
    case 1010:
        return CToolbarAction{true, nullptr, ID_NEXT_PAGE, false};
    case 1011:
        return CToolbarAction{true, nullptr, ID_PREVIOUS_PAGE, false};
    case 1012:
        return CToolbarAction{true, nullptr, ID_SAVE, false};
    case 1013:
        return CToolbarAction{false, nullptr, 0, true};
    case 1015:
        // A choice in its drop-down is a window size, which the overlay applies (showing the
        // window); the body toggles the window.
        return CToolbarAction{true, "webcam", ID_WEBCAM, false};
    case 1016:
        return CToolbarAction{false, "text", ID_TEXT, false};
    default:
        return std::nullopt;
    }
}

bool CToolbarCommands::IsVisible(const QString& name, bool show, bool recording, bool paused) {
    if (!show)
        return false;
    if (recording)
        return !(name == "record" || name == "clip" || (name == "pause" && paused) ||
                 (name == "resume" && !paused));
    return !(name == "pause" || name == "resume" || name == "stop");
}

CommandId CToolbarCommands::ForUndoKey(int key, Qt::KeyboardModifiers modifiers) {
    if (!modifiers.testFlag(Qt::ControlModifier))
        return 0;
    if (key == Qt::Key_Z)
        return modifiers.testFlag(Qt::ShiftModifier) ? ID_REDO : ID_UNDO;
    if (key == Qt::Key_Y)
        return ID_REDO;
    return 0;
}

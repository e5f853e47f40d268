#include "COverlayKeys.h"

#include "CMainRowDigits.h"

COverlayKeyAction COverlayKeys::Lookup(int key, Qt::KeyboardModifiers modifiers,
                                       quint32 nativeScanCode) {
    // Keys 1 to 4 by their place on the keyboard, whatever the layout prints on them.
    static constexpr CommandId kDigitCommands[] = {ID_PEN, ID_MARKER, ID_ERASER, ID_MOUSE};
    if (const int digit = CMainRowDigits::Digit(key, nativeScanCode, modifiers))
        return {kDigitCommands[digit - 1], false, true};
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        return {ID_CLEAR, false, true};
    case Qt::Key_Escape:
        if (modifiers.testFlag(Qt::ShiftModifier))
            return {ID_EXIT, false, false};
        return {};
    case Qt::Key_Space:
        return {0, false, false};
    case Qt::Key_Left:
        return {ID_PREVIOUS_PAGE, false, true};
    case Qt::Key_Right:
        return {ID_NEXT_PAGE, false, true};
    case Qt::Key_C:
        if (modifiers.testFlag(Qt::ControlModifier))
            return {0, true, false};
        return {};
    case Qt::Key_N:
        return {ID_NEW_PAGE, false, true};
    // Ctrl+Z undoes; Ctrl+Shift+Z and Ctrl+Y redo.
    case Qt::Key_Z:
        if (!modifiers.testFlag(Qt::ControlModifier))
            return {};
        return {modifiers.testFlag(Qt::ShiftModifier) ? ID_REDO : ID_UNDO, false, false};
    case Qt::Key_Y:
        if (!modifiers.testFlag(Qt::ControlModifier))
            return {};
        return {ID_REDO, false, false};
    default:
        return {};
    }
}

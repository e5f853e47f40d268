#include "CMainRowDigits.h"

int CMainRowDigits::Digit(int key, quint32 nativeScanCode, Qt::KeyboardModifiers modifiers) {
    if (modifiers.testFlag(Qt::KeypadModifier))
        return 0;
    if (nativeScanCode != 0) {
        if (nativeScanCode < kFirstKeyCode || nativeScanCode > kLastKeyCode)
            return 0;
        return static_cast<int>(nativeScanCode - kFirstKeyCode) + 1;
    }
    if (key >= Qt::Key_1 && key <= Qt::Key_4)
        return key - Qt::Key_1 + 1;
    return 0;
}

#pragma once
// The keys the overlay handles itself while it has the keyboard. The toolbar takes the same
// ones (CRavlinToolbar::keyPressEvent) but for Ctrl+C and Backspace; keep the two in step.
// Undo and redo are Ctrl+Z, and Ctrl+Shift+Z or Ctrl+Y, as in most programs.
#include "CommandIds.h"

#include <Qt>

struct COverlayKeyAction {
    CommandId command = 0;         // 0: no command
    bool copyToClipboard = false;  // Ctrl+C
    bool defaultProcessing = true; // false: the key goes no further
};

class COverlayKeys {
public:
    // `nativeScanCode`: the X key code, 0 when the event came from no keyboard.
    static COverlayKeyAction Lookup(int key, Qt::KeyboardModifiers modifiers,
                                    quint32 nativeScanCode = 0);
};

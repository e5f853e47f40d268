#pragma once
// What a recording needs of the overlay: where it records (the display and the clip region,
// in the device pixels recordings are made of), the windows its dialogs belong to, and the
// toolbar's recording controls.
#include "CRecordingControl.h"

class CMainWindow;

class COverlayRecordingHost {
public:
    static CRecordingControl::Host Make(CMainWindow& overlay);
};

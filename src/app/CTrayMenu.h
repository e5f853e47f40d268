#pragma once
// The tray icon's menu as it must read right now: menu 133 with the texts, checks and display
// items that follow the program's state.
#include "CMenuResource.h"

#include <QString>

struct CTrayMenuState {
    bool toolbarShown = false;
    bool toolbarVertical = false;
    bool recording = false;
    bool paused = false;
    bool recordPointer = false;
    bool webcamShown = false;
    int displayCount = 1;
    int currentDisplay = 0;
    // The key texts of the "toolbar", "record" and "pause" shortcuts; empty when not registered.
    QString toolbarKey;
    QString recordKey;
    QString pauseKey;
};

class CTrayMenu {
public:
    static constexpr int kResource = 133;
    static constexpr int kMostDisplays = 4; // the menu offers no more

    static CMenuPopup Build(const CMenuResource& resource, const CTrayMenuState& state);
};

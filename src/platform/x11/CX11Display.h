#pragma once
// Whether an X display can be reached, asked before Qt is started: global keys, stacking and
// click-through need X11, so the program runs on X11 (or XWayland) or not at all.
#include <QString>

class CX11Display {
public:
    // True when the display in DISPLAY accepts a connection. Otherwise `why` (when given) says
    // what went wrong, in a form the user can act on.
    static bool IsReachable(QString* why = nullptr);
};

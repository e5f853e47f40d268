#pragma once
// Which kind of desktop session the program runs in. In a Wayland session the program still
// runs through XWayland, but the screen can only be read, and global keys can only be had,
// through the desktop portals.
#include <QProcessEnvironment>

class CSessionType {
public:
    // WAYLAND_DISPLAY set, or XDG_SESSION_TYPE=wayland.
    static bool IsWayland(const QProcessEnvironment& environment);
    static bool IsWayland() { return IsWayland(QProcessEnvironment::systemEnvironment()); }
};

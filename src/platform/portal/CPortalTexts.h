#pragma once
// What the user is told when the desktop portal cannot give what was asked.
#include <QString>

namespace PortalTexts {
// Screenshots and recordings in a Wayland session without a portal (a bare compositor).
inline QString NoPortal(const QString& what) {
    return QStringLiteral(
               "%1 on a Wayland desktop go through the desktop portal, and this session has "
               "none: install xdg-desktop-portal with your desktop's portal back end "
               "(xdg-desktop-portal-gnome, xdg-desktop-portal-kde or xdg-desktop-portal-wlr), "
               "then log in again.")
        .arg(what);
}
inline QString NoScreenshotPortal() {
    return NoPortal(QStringLiteral("Screenshots"));
}
inline QString NoRecordingPortal() {
    return NoPortal(QStringLiteral("Recordings"));
}
// The permission the desktop keeps for programs that run outside a sandbox (app id "").
inline QString ScreenshotDenied() {
    return QStringLiteral(
        "The desktop did not let Ravlin take the screenshot: the screenshot permission is "
        "denied. Allow screenshots for Ravlin in your desktop's privacy settings, or grant it "
        "from a terminal:\n"
        "gdbus call --session --dest org.freedesktop.impl.portal.PermissionStore "
        "--object-path /org/freedesktop/impl/portal/PermissionStore --method "
        "org.freedesktop.impl.portal.PermissionStore.SetPermission screenshot true screenshot "
        "'' \"['yes']\"");
}
inline QString ScreenCastDenied() {
    return QStringLiteral(
        "The desktop did not let Ravlin record the screen: the screen sharing was refused or "
        "cancelled. Start the recording again and choose the screen to share.");
}
// A second request while the desktop has not answered the first.
inline QString ScreenshotPending() {
    return QStringLiteral("The desktop has not answered the last screenshot request yet; try "
                          "again once it has.");
}
inline QString ScreenCastPending() {
    return QStringLiteral("The desktop has not answered the last screen-sharing request yet.");
}
} // namespace PortalTexts

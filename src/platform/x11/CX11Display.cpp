#include "CX11Display.h"

#include <xcb/xcb.h>

bool CX11Display::IsReachable(QString* why) {
    const QByteArray name = qgetenv("DISPLAY");
    if (name.isEmpty()) {
        if (why)
            *why = qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                       ? QStringLiteral("no X display: DISPLAY is not set")
                       : QStringLiteral("no X display: DISPLAY is not set (a Wayland session "
                                        "needs XWayland running)");
        return false;
    }
    xcb_connection_t* connection = xcb_connect(name.constData(), nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    // xcb_connect returns a connection object even on failure; it must be freed either way.
    xcb_disconnect(connection);
    if (!reachable && why)
        *why = QString("cannot open the X display '%1'").arg(QString::fromLocal8Bit(name));
    return reachable;
}

#pragma once
// A screenshot through org.freedesktop.portal.Screenshot: the whole desktop, as the desktop
// itself composes it (XWayland cannot read the screen in a Wayland session).
//
// User-interface thread only.
#include <QDBusConnection>
#include <QImage>
#include <QSet>
#include <QString>

class CPortalScreenshot {
public:
    explicit CPortalScreenshot(QDBusConnection bus = QDBusConnection::sessionBus(),
                               int timeoutMs = kTimeoutMs);

    // The desktop's picture, without asking the user (interactive false), with the dialog the
    // desktop may show owned by the X window `parent` (0: none). The portal's file is read
    // and removed, unless it was there before the call (some back ends always write the same
    // file). A null image on failure, with the reason for the user in `reason`. The program
    // stays live while the desktop answers; a call made meanwhile asks nothing and fails.
    QImage Take(unsigned long parent, QString* reason);
    bool IsTaking() const { return m_taking; }

    // The first call may wait for the user to answer the desktop's permission dialog.
    static constexpr int kTimeoutMs = 60000;

private:
    QDBusConnection m_bus;
    int m_timeoutMs;
    // Files the portal answered with before, which existed as the next call began.
    QSet<QString> m_seenFiles;
    bool m_taking = false;
};

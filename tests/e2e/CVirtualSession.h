#pragma once
// A private X session for end-to-end tests: Xvfb with the Composite extension, a compositing
// manager, optionally a real window manager, and a private home and runtime folder. Everything
// started here is stopped again by the destructor.
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <vector>

class CVirtualSession {
public:
    // Monitors: Xorg's dummy driver with two monitors side by side, the right one primary
    // (Xvfb has one screen only), under a compositing manager. Wayland: a headless Wayland
    // compositor whose XWayland is the display, with QT_QPA_PLATFORM=wayland exported as
    // Wayland desktops do.
    // Gnome, Kde: a headless GNOME Shell or KWin with XWayland, the desktop portals, PipeWire
    // and a session bus, as a Wayland desktop runs (the program then takes the portal paths).
    enum class EMode { Compositor, WindowManager, Monitors, Wayland, Gnome, Kde };

    CVirtualSession(EMode mode, QSize screenSize);
    ~CVirtualSession();

    bool IsReady() const { return m_ready; }
    // Why a desktop session did not start (Gnome and Kde).
    QString NotReadyReason() const { return m_notReady; }
    QString Display() const { return m_display; }
    QString Home() const { return m_home.path(); }
    QString RuntimeFolder() const { return m_home.path() + "/runtime"; }
    // In the Monitors mode: the size given at construction, which the tests make the smaller
    // monitor's (the screen is 3200 x 1080 pixels).
    QSize ScreenSize() const { return m_screenSize; }
    EMode Mode() const { return m_mode; }

    // The environment every program of the session runs with.
    QProcessEnvironment Environment() const;

    // Ends the X server at once, as a crash or a lost connection would.
    void KillServer();
    // Starts and stops the compositing manager (it is running after construction).
    bool StartCompositor();
    void StopCompositor();
    bool IsCompositorRunning() const;

    // Runs a command of the session to its end; returns its standard output.
    QByteArray Run(const QString& program, const QStringList& arguments, int* exitCode = nullptr,
                   int timeoutMs = 20000) const;
    // The whole root window after compositing.
    QImage Screenshot() const;

    // Monitors: the two monitors in X coordinates, left and right (primary).
    static QRect LeftMonitor() { return {0, 0, 1280, 1024}; }
    static QRect RightMonitor() { return {1280, 0, 1920, 1080}; }

private:
    std::unique_ptr<QProcess> Start(const QString& program, const QStringList& arguments);
    bool StartDummyXorg();
    bool StartWayland();
    bool StartDesktop(const QString& kind);
    bool WaitForDisplay();

    EMode m_mode;
    QSize m_screenSize;
    QTemporaryDir m_home;
    QString m_display;
    bool m_ready = false;
    QString m_notReady;
    QProcessEnvironment m_desktopEnvironment;
    std::unique_ptr<QProcess> m_xvfb;
    std::unique_ptr<QProcess> m_windowManager;
    std::unique_ptr<QProcess> m_compositor;
};

// Polls `condition` until it holds or `timeoutMs` runs out, processing events meanwhile.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 15000);

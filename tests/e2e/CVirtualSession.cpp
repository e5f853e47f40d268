#include "CVirtualSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <unistd.h>
#include <xcb/xcb.h>

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(30);
    }
    return true;
}

CVirtualSession::CVirtualSession(EMode mode, QSize screenSize)
    : m_mode(mode), m_screenSize(screenSize) {
    QDir().mkpath(RuntimeFolder());
    QFile::setPermissions(RuntimeFolder(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // A display number nobody uses: no lock file and no socket.
    for (int n = 70 + getpid() % 200; n < 1000; ++n) {
        if (QFile::exists(QString("/tmp/.X%1-lock").arg(n)) ||
            QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n)))
            continue;
        m_display = QString(":%1").arg(n);
        break;
    }
    if (mode == EMode::Monitors) {
        if (!StartDummyXorg())
            return;
    } else if (mode == EMode::Wayland) {
        m_ready = StartWayland();
        return;
    } else if (mode == EMode::Gnome || mode == EMode::Kde) {
        m_ready = StartDesktop(mode == EMode::Gnome ? "gnome" : "kde");
        return;
    } else {
        m_xvfb =
            Start("Xvfb", {m_display, "-nolisten", "tcp", "-noreset", "+extension", "Composite",
                           "+extension", "RENDER", "-screen", "0",
                           QString("%1x%2x24").arg(screenSize.width()).arg(screenSize.height())});
        if (!WaitForDisplay())
            return;
    }
    if (mode == EMode::WindowManager) {
        m_windowManager = Start("openbox", {"--sm-disable"});
        WaitFor([&] {
            int code = -1;
            const QByteArray out = Run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}, &code);
            return code == 0 && out.contains("window id");
        });
    }
    m_ready = StartCompositor();
}

bool CVirtualSession::WaitForDisplay() {
    const QString socket = "/tmp/.X11-unix/X" + m_display.mid(1);
    return WaitFor([&] {
        int code = -1;
        return QFile::exists(socket) && (Run("xdpyinfo", {}, &code, 5000), code == 0);
    });
}

bool CVirtualSession::StartDummyXorg() {
    // Xorg runs here as root only; its dummy driver gives one output (DUMMY0) that RandR
    // monitors then split into two screens for Qt, which reads RandR monitors.
    const QString config = m_home.path() + "/xorg.conf";
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(R"(Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 3200 1080
    EndSubSection
EndSection
)");
    file.close();
    QDir().mkpath(m_home.path() + "/xorg.conf.d");
    m_xvfb =
        Start("Xorg", {m_display, "-config", config, "-configdir", m_home.path() + "/xorg.conf.d",
                       "-noreset", "-nolisten", "tcp", "-logfile", m_home.path() + "/xorg.log"});
    if (!WaitForDisplay())
        return false;
    // One output mode over the whole frame buffer: X keeps the pointer inside the outputs'
    // areas, so with the dummy output's own 1400 x 1050 mode no drag could reach the right half.
    const QList<QStringList> steps = {
        {"--fb", "3200x1080"},
        {"--newmode", "3200x1080", "292.50", "3200", "3424", "3768", "4336", "1080", "1083", "1093",
         "1125", "-hsync", "+vsync"},
        {"--addmode", "DUMMY0", "3200x1080"},
        {"--output", "DUMMY0", "--mode", "3200x1080", "--pos", "0x0"},
        {"--setmonitor", "LEFT", "1280/338x1024/270+0+0", "none"},
        {"--setmonitor", "*RIGHT", "1920/508x1080/286+1280+0", "DUMMY0"},
    };
    for (const QStringList& step : steps) {
        int code = -1;
        Run("xrandr", step, &code);
        if (code != 0)
            return false;
    }
    return true;
}

bool CVirtualSession::StartWayland() {
    // Weston's XWayland takes the first free display number and says which in its log.
    const QString log = m_home.path() + "/weston.log";
    m_xvfb =
        Start("weston",
              {"--backend=headless-backend.so", "--xwayland", "--socket=wayland-ravlin",
               QString("--width=%1").arg(m_screenSize.width()),
               QString("--height=%1").arg(m_screenSize.height()), "--idle-time=0", "--log=" + log});
    const QRegularExpression listening(R"(xserver listening on display (:\d+))");
    if (!WaitFor([&] {
            QFile file(log);
            if (!file.open(QIODevice::ReadOnly))
                return false;
            const QRegularExpressionMatch match =
                listening.match(QString::fromUtf8(file.readAll()));
            if (match.hasMatch())
                m_display = match.captured(1);
            return match.hasMatch();
        }))
        return false;
    // XWayland itself starts on the first connection.
    return WaitForDisplay();
}

bool CVirtualSession::StartDesktop(const QString& kind) {
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(QString(RAVLIN_E2E_DESKTOP_DIR) + "/desktop-session.sh",
                 {"start", kind, m_home.path(),
                  QString("%1x%2").arg(m_screenSize.width()).arg(m_screenSize.height())});
    if (!script.waitForFinished(120000)) {
        script.kill();
        script.waitForFinished(2000);
        m_notReady = kind + " did not start within 2 minutes";
        return false;
    }
    const QString said = QString::fromUtf8(script.readAll()).trimmed();
    if (!said.endsWith("ready") || said.endsWith("not ready")) {
        m_notReady = said.section('\n', -1);
        return false;
    }
    QFile env(m_home.path() + "/env");
    if (!env.open(QIODevice::ReadOnly)) {
        m_notReady = "the desktop session wrote no environment";
        return false;
    }
    for (const QByteArray& line : env.readAll().split('\n')) {
        const int eq = line.indexOf('=');
        if (eq > 0)
            m_desktopEnvironment.insert(QString::fromUtf8(line.left(eq)),
                                        QString::fromUtf8(line.mid(eq + 1)));
    }
    m_display = m_desktopEnvironment.value("DISPLAY");
    return true;
}

CVirtualSession::~CVirtualSession() {
    if (m_mode == EMode::Gnome || m_mode == EMode::Kde) {
        QProcess::execute(QString(RAVLIN_E2E_DESKTOP_DIR) + "/desktop-session.sh",
                          {"stop", m_home.path()});
    }
    for (auto* process : {&m_compositor, &m_windowManager, &m_xvfb}) {
        if (*process) {
            (*process)->terminate();
            if (!(*process)->waitForFinished(3000))
                (*process)->kill();
            (*process)->waitForFinished(2000);
        }
    }
}

QProcessEnvironment CVirtualSession::Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", m_display);
    env.insert("HOME", m_home.path());
    env.insert("XDG_RUNTIME_DIR", RuntimeFolder());
    env.insert("XDG_CONFIG_HOME", m_home.path() + "/config");
    env.insert("XDG_DATA_HOME", m_home.path() + "/data");
    env.insert("QT_QPA_PLATFORM", "xcb");
    // The X11 suites test the X11 paths even when started from a Wayland desktop.
    env.remove("WAYLAND_DISPLAY");
    env.remove("XDG_SESSION_TYPE");
    env.remove("XDG_CURRENT_DESKTOP");
    if (m_mode == EMode::Gnome || m_mode == EMode::Kde) {
        for (const QString& key : m_desktopEnvironment.keys())
            env.insert(key, m_desktopEnvironment.value(key));
    }
    if (m_mode == EMode::Wayland) {
        env.insert("WAYLAND_DISPLAY", "wayland-ravlin");
        env.insert("QT_QPA_PLATFORM", "wayland");
        // A bare compositor: no session bus, so no desktop portal either. Without this, D-Bus
        // would launch a bus of its own for the X display, where an installed portal starts
        // with no back end for this desktop and never answers.
        env.insert("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    }
    env.remove("QT_SCALE_FACTOR");
    env.remove("SESSION_MANAGER");
    return env;
}

std::unique_ptr<QProcess> CVirtualSession::Start(const QString& program,
                                                 const QStringList& arguments) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(Environment());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start(program, arguments);
    process->waitForStarted(5000);
    return process;
}

void CVirtualSession::KillServer() {
    if (m_xvfb) {
        m_xvfb->kill();
        m_xvfb->waitForFinished(3000);
    }
}

bool CVirtualSession::StartCompositor() {
    if (m_mode == EMode::WindowManager)
        m_compositor = Start(
            "picom", {"--backend", "xrender", "--no-fading-openclose", "--config", "/dev/null"});
    else
        m_compositor = Start("xcompmgr", {});
    // Compositing has begun once the manager owns the _NET_WM_CM_S0 selection.
    return WaitFor([&] { return IsCompositorRunning(); });
}

void CVirtualSession::StopCompositor() {
    if (!m_compositor)
        return;
    m_compositor->terminate();
    if (!m_compositor->waitForFinished(3000))
        m_compositor->kill();
    m_compositor.reset();
    WaitFor([&] { return !IsCompositorRunning(); });
}

bool CVirtualSession::IsCompositorRunning() const {
    // A compositing manager announces itself by owning the _NET_WM_CM_S0 selection.
    xcb_connection_t* c = xcb_connect(m_display.toLatin1().constData(), nullptr);
    bool owned = false;
    if (!xcb_connection_has_error(c)) {
        const char name[] = "_NET_WM_CM_S0";
        xcb_intern_atom_reply_t* atom =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof(name) - 1, name), nullptr);
        if (atom) {
            xcb_get_selection_owner_reply_t* owner =
                xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr);
            owned = owner && owner->owner != XCB_WINDOW_NONE;
            free(owner);
            free(atom);
        }
    }
    xcb_disconnect(c);
    return owned;
}

QByteArray CVirtualSession::Run(const QString& program, const QStringList& arguments, int* exitCode,
                                int timeoutMs) const {
    QProcess process;
    process.setProcessEnvironment(Environment());
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        if (exitCode)
            *exitCode = -1;
        return {};
    }
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return process.readAllStandardOutput();
}

QImage CVirtualSession::Screenshot() const {
    const QByteArray png = Run("import", {"-window", "root", "png:-"});
    QImage image = QImage::fromData(png, "PNG");
    return image.convertToFormat(QImage::Format_RGB32);
}

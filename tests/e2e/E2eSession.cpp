#include "E2eSession.h"

#include "CommandNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <csignal>
#include <xcb/xfixes.h>

namespace {
QString ProgramPath(const QString& name) {
    // Another copy of the program under test, such as one unpacked from the package.
    const QString other = qEnvironmentVariable("RAVLIN_E2E_PROGRAM");
    if (name == QLatin1String("ravlin") && !other.isEmpty())
        return other;
    return QCoreApplication::applicationDirPath() + "/" + name;
}
} // namespace

CRavlinUnderTest::CRavlinUnderTest() = default;

CRavlinUnderTest::~CRavlinUnderTest() {
    if (IsRunning()) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

QProcessEnvironment ProgramEnvironment() {
    QProcessEnvironment env = g_session->Environment();
    const QString scale = qEnvironmentVariable("RAVLIN_E2E_SCALE");
    if (!scale.isEmpty())
        env.insert("QT_SCALE_FACTOR", scale);
    return env;
}

bool CRavlinUnderTest::Start(const QStringList& arguments) {
    m_process = std::make_unique<QProcess>();
    m_process->setProcessEnvironment(ProgramEnvironment());
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->start(ProgramPath("ravlin"), arguments);
    return m_process->waitForStarted(5000);
}

unsigned long CRavlinUnderTest::WaitForOverlay() {
    QString found;
    WaitFor([&] {
        const QStringList ids = FindWindows("^ravlin$", true);
        for (const QString& id : ids) {
            // The overlay is the window that covers the work area; the toolbar, the notice and
            // the dialogs are smaller.
            const QRect r = WindowGeometry(id);
            if (r.width() >= g_session->ScreenSize().width() * 9 / 10 &&
                r.height() >= g_session->ScreenSize().height() / 2) {
                found = id;
                return true;
            }
        }
        return !IsRunning();
    });
    return found.toULong();
}

bool CRavlinUnderTest::WaitForExit(int timeoutMs) {
    if (!m_process)
        return true;
    return m_process->state() == QProcess::NotRunning || m_process->waitForFinished(timeoutMs);
}

void CRavlinUnderTest::Signal(int signal) {
    if (IsRunning())
        ::kill(static_cast<pid_t>(m_process->processId()), signal);
}

bool CRavlinUnderTest::RunCommand(const QString& name, QByteArray* errors) const {
    QProcess process;
    process.setProcessEnvironment(ProgramEnvironment());
    process.start(ProgramPath("ravlin"), {"--command", name});
    const bool finished = process.waitForFinished(20000);
    if (!finished)
        process.kill();
    if (errors)
        *errors = process.readAllStandardError();
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool CRavlinUnderTest::SendCommand(quint16 id) const {
    const QString name = CommandNames::NameOf(id);
    return !name.isEmpty() && RunCommand(name);
}

QByteArray CRavlinUnderTest::Log() const {
    QFile log(LogPath());
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

QByteArray CRavlinUnderTest::Output() {
    if (m_process)
        m_output += m_process->readAll();
    return m_output;
}

CWitnessWindow::CWitnessWindow(const QRect& geometry) {
    m_logPath =
        g_session->Home() + QString("/witness-%1.log").arg(reinterpret_cast<quintptr>(this));
    QFile::remove(m_logPath);
    m_process = std::make_unique<QProcess>();
    m_process->setProcessEnvironment(g_session->Environment());
    m_process->start(ProgramPath("e2e_witness"),
                     {m_logPath, QString::number(geometry.x()), QString::number(geometry.y()),
                      QString::number(geometry.width()), QString::number(geometry.height())});
    m_shown = m_process->waitForStarted(5000) &&
              WaitFor([] { return !FindWindows("^RavlinWitness$").isEmpty(); });
    // Let the window manager place it and the compositor paint it.
    WaitFor(
        [&] {
            const QImage shot = g_session->Screenshot();
            const QPoint centre = geometry.center();
            return !shot.isNull() && ColourNear(shot.pixel(centre), kColour, 2);
        },
        5000);
}

CWitnessWindow::~CWitnessWindow() {
    m_process->kill();
    m_process->waitForFinished(3000);
}

int CWitnessWindow::Presses() const {
    QFile log(m_logPath);
    if (!log.open(QIODevice::ReadOnly))
        return 0;
    return static_cast<int>(log.readAll().count("press "));
}

QStringList FindWindows(const QString& pattern, bool byClass) {
    const QByteArray out = g_session->Run(
        "xdotool", {"search", "--onlyvisible", byClass ? "--classname" : "--name", pattern});
    return QString::fromLatin1(out).split('\n', Qt::SkipEmptyParts);
}

QRect WindowGeometry(const QString& windowId) {
    // xwininfo reports the geometry the X server holds, in device pixels.
    const QString out = QString::fromLatin1(g_session->Run("xwininfo", {"-id", windowId}));
    auto value = [&](const char* key) {
        const QRegularExpression re(QString(key) + R"(:\s+(-?\d+))");
        return re.match(out).captured(1).toInt();
    };
    return QRect(value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
                 value("Height"));
}

bool ColourNear(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

QString ColourText(QRgb c) {
    return QString("(%1, %2, %3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

QRect WaitForExitQuestion(int timeoutMs) {
    QRect found;
    WaitFor(
        [&] {
            for (const QString& id : FindWindows("^Ravlin$")) {
                const QRect r = WindowGeometry(id);
                // Not the overlay, not the small notices in the top-right corner: the question
                // box, centred on the screen.
                const int offCentre =
                    std::abs(r.center().x() - g_session->ScreenSize().width() / 2);
                if (r.width() < g_session->ScreenSize().width() / 2 && r.height() > 40 &&
                    r.width() > 200 * ProgramScale() && offCentre < 100 * ProgramScale()) {
                    found = r;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

void ClickExitQuestion(const QRect& question, bool yes) {
    // The buttons, measured from the box's bottom-right corner: Yes, then No.
    const int s = ProgramScale();
    const QPoint at = question.bottomRight() + QPoint(1, 1) - QPoint((yes ? 137 : 51) * s, 24 * s);
    Xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
}

QString SettingsPath() {
    return g_session->Home() + "/config/Norvane/Ravlin.conf";
}

void ForgetSettings() {
    QFile::remove(SettingsPath());
}

void Xdotool(const QStringList& arguments) {
    g_session->Run("xdotool", arguments);
}

namespace {
// The serial number of the pointer's current shape; the X server counts every change.
quint32 PointerShapeSerial() {
    xcb_connection_t* c = xcb_connect(g_session->Display().toLatin1().constData(), nullptr);
    quint32 serial = 0;
    if (!xcb_connection_has_error(c)) {
        xcb_discard_reply(c, xcb_xfixes_query_version(c, 4, 0).sequence);
        if (xcb_xfixes_get_cursor_image_reply_t* image =
                xcb_xfixes_get_cursor_image_reply(c, xcb_xfixes_get_cursor_image(c), nullptr)) {
            serial = image->cursor_serial;
            free(image);
        }
    }
    xcb_disconnect(c);
    return serial;
}
} // namespace

bool ChangesPointerShape(QPoint at, const std::function<void()>& action, int timeoutMs) {
    Xdotool({"mousemove", QString::number(at.x()), QString::number(at.y())});
    // The shape the pointer has settled on over `at`.
    quint32 before = PointerShapeSerial();
    WaitFor(
        [&] {
            const quint32 now = PointerShapeSerial();
            const bool settled = now == before;
            before = now;
            return settled;
        },
        2000);
    action();
    return WaitFor([&] { return PointerShapeSerial() != before; }, timeoutMs);
}

void Drag(QPoint from, QPoint to, int steps) {
    QStringList args{"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown",
                     "1"};
    for (int i = 1; i <= steps; ++i) {
        const QPoint p = from + (to - from) * i / steps;
        args << "sleep"
             << "0.03"
             << "mousemove" << QString::number(p.x()) << QString::number(p.y());
    }
    args << "sleep"
         << "0.05"
         << "mouseup"
         << "1";
    Xdotool(args);
}

bool ScreenShows(QPoint at, const std::function<bool(QRgb)>& check, QRgb* seen) {
    return WaitFor(
        [&] {
            const QImage shot = g_session->Screenshot();
            if (shot.isNull())
                return false;
            const QRgb pixel = shot.pixel(at);
            if (seen)
                *seen = pixel;
            return check(pixel);
        },
        8000);
}

QImage ClipboardImage() {
    return QImage::fromData(g_session->Run("xclip",
                                           {"-selection", "clipboard", "-t", "image/png", "-o"},
                                           nullptr, 3000),
                            "PNG");
}

QStringList ViewableTopLevelsTopFirst() {
    // xwininfo lists the root's children topmost first.
    const QString out = QString::fromLatin1(g_session->Run("xwininfo", {"-root", "-children"}));
    QStringList result;
    static const QRegularExpression idPattern(R"(^\s+(0x[0-9a-f]+)\s)");
    for (const QString& line : out.split('\n')) {
        const QString id = idPattern.match(line).captured(1);
        if (id.isEmpty())
            continue;
        const QString info = QString::fromLatin1(g_session->Run("xwininfo", {"-id", id}));
        if (info.contains("Map State: IsViewable"))
            result << QString::number(id.toULong(nullptr, 16));
    }
    return result;
}

int ProgramScale() {
    const int scale = qEnvironmentVariableIntValue("RAVLIN_E2E_SCALE");
    return scale > 0 ? scale : 1;
}

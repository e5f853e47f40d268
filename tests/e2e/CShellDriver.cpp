#include "CShellDriver.h"

#include "E2eSession.h"

#include <QFile>
#include <QRegularExpression>
#include <QThread>

namespace {
const char* const kPointer =
    "const {Clutter, GLib} = imports.gi;"
    "if (!global._ravlinPointer) global._ravlinPointer = Clutter.get_default_backend()"
    ".get_default_seat().create_virtual_device(Clutter.InputDeviceType.POINTER_DEVICE);"
    "const p = global._ravlinPointer; let t = GLib.get_monotonic_time();";

QString Button(bool press) {
    return QString("t += 20000; p.notify_button(t, Clutter.BUTTON_PRIMARY, "
                   "Clutter.ButtonState.%1);")
        .arg(press ? "PRESSED" : "RELEASED");
}
QString Move(QPoint at) {
    return QString("t += 20000; p.notify_absolute_motion(t, %1, %2);").arg(at.x()).arg(at.y());
}
} // namespace

bool CShellDriver::Eval(const QString& script, QString* result) {
    int code = -1;
    const QString out = QString::fromUtf8(
        g_session->Run("gdbus", {"call", "--session", "--dest", "org.gnome.Shell",
                                 "--object-path", "/org/gnome/Shell", "--method",
                                 "org.gnome.Shell.Eval", script},
                       &code, 10000));
    // (true, 'result')
    if (result)
        *result = out.section('\'', 1, -2);
    return code == 0 && out.startsWith("(true");
}

namespace {
bool s_spent = false;
}

bool CShellDriver::SpendFirstClick(QPoint at) {
    if (s_spent)
        return true;
    s_spent = Eval(QString(kPointer) + Move(at) + Button(true) + Button(false) + "'ok';");
    return s_spent;
}

bool CShellDriver::Click(QPoint at, QPoint spendAt) {
    bool& spent = s_spent;
    QString script = kPointer;
    if (!spent)
        script += Move(spendAt) + Button(true) + Button(false);
    script += Move(at) + Button(true) + Button(false) + "'ok';";
    spent = true;
    return Eval(script);
}

bool CShellDriver::Drag(QPoint from, QPoint to, int steps) {
    // The timer of the program's drawing ticks must see the moves come one after another:
    // one call per move.
    if (!Eval(QString(kPointer) + Move(from) + Button(true) + "'ok';"))
        return false;
    for (int i = 1; i <= steps; ++i) {
        QThread::msleep(30);
        Eval(QString(kPointer) + Move(from + (to - from) * i / steps) + "'ok';");
    }
    QThread::msleep(50);
    return Eval(QString(kPointer) + Button(false) + "'ok';");
}

QImage CShellDriver::Screenshot() {
    // The shell's own screenshot call (allowed in the helper's unsafe mode): the test reads the
    // screen without the program's code.
    const QString path = g_session->Home() + "/shell-shot.png";
    QFile::remove(path);
    int code = -1;
    g_session->Run("gdbus",
                   {"call", "--session", "--dest", "org.gnome.Shell", "--object-path",
                    "/org/gnome/Shell/Screenshot", "--method",
                    "org.gnome.Shell.Screenshot.Screenshot", "false", "false", path},
                   &code, 10000);
    QImage image(path);
    return image.isNull() ? image : image.convertToFormat(QImage::Format_RGB32);
}

bool CShellDriver::HasWindow(const QString& title) {
    QString result;
    Eval(QString("global.get_window_actors().some(a => a.meta_window.get_title() === '%1')")
             .arg(title),
         &result);
    return result == "true";
}

QString CShellDriver::PointerTarget(QPoint at) {
    QString result;
    Eval(QString("const {Clutter} = imports.gi;"
                 "const owner = a => { while (a && !a.meta_window) a = a.get_parent();"
                 "  return a ? a.meta_window.get_title() + ' ' + a.meta_window.get_description()"
                 "           : 'the shell'; };"
                 "const seat = Clutter.get_default_backend().get_default_seat();"
                 "'events to ' + owner(global.stage.get_device_actor(seat.get_pointer(), null)) +"
                 "', picked ' + owner(global.stage.get_actor_at_pos(Clutter.PickMode.REACTIVE, "
                 "%1, %2));")
             .arg(at.x())
             .arg(at.y()),
         &result);
    return result;
}

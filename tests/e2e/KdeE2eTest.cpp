// Ravlin in a Wayland session of headless KWin 5.27, whose portal offers GlobalShortcuts: the
// program binds its shortcuts there, and a shortcut the desktop reports pressed (through
// KWin's own shortcut service, as a key press would) runs its command.
#include "E2eSession.h"

#include <QRegularExpression>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// KWin's shortcut service: the components and their shortcuts.
QString Kglobalaccel(const QString& path, const QString& method, const QStringList& args = {}) {
    QStringList call{"call", "--session", "--dest", "org.kde.kglobalaccel", "--object-path", path,
                     "--method", method};
    call << args;
    return QString::fromUtf8(g_session->Run("gdbus", call, nullptr, 10000));
}

// The toolbar's window: 42 pixels thick, or folded into its 24-pixel tab (empty: none shown).
QSize ToolbarSize() {
    for (const QString& id : FindWindows("^ravlin$", true)) {
        const QRect r = WindowGeometry(id);
        if (r.height() == 42 || r.width() == 42 || r.width() == 24 || r.height() == 24)
            return r.size();
    }
    return {};
}

TEST(KdeE2e, AShortcutThePortalReportsRunsItsCommand) {
    ForgetSettings();
    CRavlinUnderTest ravlin;
    ASSERT_TRUE(ravlin.Start());
    ASSERT_NE(ravlin.WaitForOverlay(), 0ul) << ravlin.Output().toStdString();

    // The program's shortcuts reach KWin through the portal as one component.
    QString component;
    ASSERT_TRUE(WaitFor([&] {
        const QString all =
            Kglobalaccel("/kglobalaccel", "org.kde.KGlobalAccel.allComponents");
        component = QRegularExpression("/component/ravlinkeys[A-Za-z0-9_]*")
                        .match(all)
                        .captured(0);
        return !component.isEmpty();
    }, 20000)) << "no shortcut component of the program in KWin";
    // KWin takes them in one by one.
    const QStringList wanted{"toolbar", "pen", "record", "pause", "save"};
    QString names;
    EXPECT_TRUE(WaitFor([&] {
        names = Kglobalaccel(component, "org.kde.kglobalaccel.Component.shortcutNames");
        return std::all_of(wanted.begin(), wanted.end(), [&](const QString& name) {
            return names.contains(QString("'%1'").arg(name));
        });
    }, 10000)) << "not all the shortcuts in " << names.toStdString();

    // The toolbar shortcut, invoked as KWin does on its key: the portal reports it in the
    // session the program bound, and the program runs the command: the toolbar folds into
    // its tab.
    ASSERT_TRUE(WaitFor([] { return ToolbarSize().width() > 42; }, 10000))
        << "no toolbar on the screen";
    Kglobalaccel(component, "org.kde.kglobalaccel.Component.invokeShortcut", {"toolbar"});
    QSize folded;
    EXPECT_TRUE(WaitFor([&] { return (folded = ToolbarSize()).width() == 24; }, 10000))
        << "the toolbar did not fold: " << folded.width() << "x" << folded.height();
    const QRegularExpression bound("Portal shortcuts bound in (\\S+)");
    EXPECT_TRUE(WaitFor([&] {
        const QString log = QString::fromUtf8(ravlin.Log());
        const QString session = bound.match(log).captured(1);
        return !session.isEmpty() &&
               log.contains("Portal shortcut toolbar activated in " + session);
    }, 10000)) << "the portal reported no activation in the program's session";
    EXPECT_TRUE(ravlin.IsRunning());
}

} // namespace

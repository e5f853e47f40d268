// The tray icon in a session with a tray (trayer): it appears, its menu turns the toolbar, a
// double click hides and shows the toolbar, and it comes back when the tray restarts. Without a
// tray: the warning about unavailable shortcuts reaches the user as a desktop notification or
// as our own balloon window, and a click on either opens the Preferences.
#include "E2eSession.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
constexpr quint16 kPreferences = 32809;
const char* const kBalloonTitle = "Keyboard shortcut(s) Unavailable";

QString ToolPath(const QString& name) {
    return QCoreApplication::applicationDirPath() + "/" + name;
}

class TrayE2e : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetSettings();
        ASSERT_TRUE(witness.IsShown());
    }
    void TearDown() override {
        for (QProcess* process : {&trayer, &grabber, &notifications, &bus}) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(3000);
            }
        }
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    }

    void StartTrayer() {
        trayer.setProcessEnvironment(g_session->Environment());
        trayer.start("trayer", {"--edge", "bottom", "--align", "right", "--widthtype", "request",
                                "--height", "32", "--SetDockType", "false", "--SetPartialStrut",
                                "false", "--transparent", "false"});
        ASSERT_TRUE(trayer.waitForStarted(5000));
        ASSERT_TRUE(WaitFor([&] { return !TrayWindow().isEmpty(); })) << "no tray";
    }
    // trayer's panel, which holds the icons.
    static QString TrayWindow() { return FindWindows("^panel$").value(0); }
    // Our icon: one of our windows, inside the tray.
    static QString TrayIcon() {
        const QString tray = TrayWindow();
        if (tray.isEmpty())
            return {};
        const QRect area = WindowGeometry(tray);
        for (const QString& id : FindWindows("^ravlin$", true)) {
            const QRect r = WindowGeometry(id);
            if (!r.isEmpty() && area.contains(r.center()) && r.width() <= area.height() * 2)
                return id;
        }
        return {};
    }
    static QString FindToolbar() {
        for (const QString& id : FindWindows("^ravlin$", true)) {
            const QRect r = WindowGeometry(id);
            if (r.height() == 42 * ProgramScale() || r.width() == 42 * ProgramScale())
                return id;
        }
        return {};
    }
    static void ClickWindow(const QString& id, const QString& clicks = "1",
                            const QString& button = "1") {
        const QRect r = WindowGeometry(id);
        Xdotool({"mousemove", QString::number(r.center().x()), QString::number(r.center().y()),
                 "click", "--repeat", clicks, "--delay", "80", button});
    }
    void StartRavlin() {
        ASSERT_TRUE(ravlin.Start());
        ASSERT_NE(ravlin.WaitForOverlay(), 0ul) << ravlin.Output().toStdString();
    }
    // Another program holds Shift+Alt+S before Ravlin starts.
    void HoldSaveCombination() {
        grabber.setProcessEnvironment(g_session->Environment());
        grabber.start(ToolPath("e2e_keygrabber"), {"73", "9"});
        ASSERT_TRUE(grabber.waitForReadyRead(5000));
        ASSERT_EQ(grabber.readAll().trimmed(), "grabbed");
    }
    // A private session bus, for this test's programs.
    void StartSessionBus() {
        bus.setProcessEnvironment(g_session->Environment());
        bus.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
        ASSERT_TRUE(bus.waitForReadyRead(5000));
        const QByteArray address = bus.readLine().trimmed();
        ASSERT_FALSE(address.isEmpty());
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    }
    void StartNotificationService() {
        notifications.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        notifications.start(ToolPath("e2e_notifications"), {NotificationLog(), ClickRequest()});
        ASSERT_TRUE(notifications.waitForReadyRead(5000));
        ASSERT_EQ(notifications.readAll().trimmed(), "ready");
    }
    QString NotificationLog() const { return g_session->Home() + "/notifications.log"; }
    QString ClickRequest() const { return g_session->Home() + "/notification-click"; }
    QByteArray Notified() const {
        QFile file(NotificationLog());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Our balloon window, named after its title.
    static QString FindBalloon() {
        return FindWindows(R"(^Keyboard shortcut\(s\) Unavailable)").value(0);
    }
    static QString Preferences() { return FindWindows("^Ravlin Preferences$").value(0); }
    // Closes the sheet with Esc (Cancel).
    static bool CancelPreferences(const QString& sheet) {
        Xdotool({"windowfocus", "--sync", sheet});
        Xdotool({"key", "Escape"});
        return WaitFor([] { return Preferences().isEmpty(); });
    }
    QString FocusedWindow() const {
        return QString::fromLatin1(g_session->Run("xdotool", {"getwindowfocus"})).trimmed();
    }

    CWitnessWindow witness{QRect(200, 200, 600, 400)};
    CRavlinUnderTest ravlin;
    QProcess trayer;
    QProcess grabber;
    QProcess bus;
    QProcess notifications;
};

TEST_F(TrayE2e, IconAppearsAndItsMenuAndDoubleClickDriveTheToolbar) {
    StartTrayer();
    StartRavlin();
    QString icon;
    ASSERT_TRUE(WaitFor([&] { return !(icon = TrayIcon()).isEmpty(); })) << "no tray icon";
    QString toolbar;
    ASSERT_TRUE(WaitFor([&] { return !(toolbar = FindToolbar()).isEmpty(); }));
    const QRect home = WindowGeometry(toolbar);
    ASSERT_GT(home.width(), home.height());

    // Toolbar Orientation > Vertical, from the menu of a right click.
    ClickWindow(icon, "1", "3");
    WaitFor([] { return false; }, 600);
    for (const char* key : {"Down", "Down", "Down", "Right", "Down", "Return"})
        Xdotool({"key", key});
    EXPECT_TRUE(WaitFor([&] {
        const QRect r = WindowGeometry(toolbar);
        return r.width() == 42 * ProgramScale() && r.height() > r.width();
    })) << "the toolbar did not turn";

    // A double click hides it to a tab, another brings it back.
    const QRect vertical = WindowGeometry(toolbar);
    ClickWindow(icon, "2");
    EXPECT_TRUE(WaitFor([&] { return WindowGeometry(toolbar).height() == 24 * ProgramScale(); }))
        << "not hidden";
    ClickWindow(icon, "2");
    EXPECT_TRUE(WaitFor([&] { return WindowGeometry(toolbar) == vertical; })) << "not back";
}

TEST_F(TrayE2e, IconComesBackWhenTheTrayRestarts) {
    StartTrayer();
    StartRavlin();
    ASSERT_TRUE(WaitFor([&] { return !TrayIcon().isEmpty(); })) << "no tray icon";
    trayer.kill();
    trayer.waitForFinished(3000);
    ASSERT_TRUE(WaitFor([&] { return TrayWindow().isEmpty(); }));
    StartTrayer();
    EXPECT_TRUE(WaitFor([&] { return !TrayIcon().isEmpty(); })) << "the icon did not come back";
    EXPECT_TRUE(ravlin.IsRunning());
}

TEST_F(TrayE2e, WithoutTrayTheWarningBecomesADesktopNotificationThatOpensPreferences) {
    StartSessionBus();
    StartNotificationService();
    HoldSaveCombination();
    StartRavlin();
    ASSERT_TRUE(ravlin.SendCommand(kPreferences));
    QString sheet;
    ASSERT_TRUE(WaitFor([&] { return !(sheet = Preferences()).isEmpty(); })) << "no sheet";

    // While the sheet is open, Shift+Alt+P does not select the pen (which would take the
    // keyboard for the overlay).
    Xdotool({"windowfocus", "--sync", sheet});
    Xdotool({"key", "alt+shift+p"});
    WaitFor([] { return false; }, 800);
    EXPECT_EQ(FocusedWindow(), sheet);

    // Even Cancel reports the shortcut that did not register at the start.
    ASSERT_TRUE(CancelPreferences(sheet));
    ASSERT_TRUE(WaitFor([&] { return Notified().contains("--end--"); })) << "no notification";
    EXPECT_TRUE(Notified().startsWith(QByteArray(kBalloonTitle) + "|"));
    EXPECT_TRUE(Notified().contains("\nSave Screenshot:")) << Notified().toStdString();

    QFile(ClickRequest()).open(QIODevice::WriteOnly);
    EXPECT_TRUE(WaitFor([&] { return !Preferences().isEmpty(); })) << "the click opened nothing";
    CancelPreferences(Preferences());
}

TEST_F(TrayE2e, WithoutTrayOrNotificationServiceTheWarningIsOurOwnBalloon) {
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    HoldSaveCombination();
    StartRavlin();
    ASSERT_TRUE(ravlin.SendCommand(kPreferences));
    QString sheet;
    ASSERT_TRUE(WaitFor([&] { return !(sheet = Preferences()).isEmpty(); })) << "no sheet";
    ASSERT_TRUE(CancelPreferences(sheet));

    QString balloon;
    ASSERT_TRUE(WaitFor([&] { return !(balloon = FindBalloon()).isEmpty(); })) << "no balloon";
    const QRect r = WindowGeometry(balloon);
    EXPECT_GT(r.left(), g_session->ScreenSize().width() / 2) << "not near the top-right corner";
    EXPECT_LT(r.top(), 100);
    ClickWindow(balloon);
    EXPECT_TRUE(WaitFor([&] { return !Preferences().isEmpty(); })) << "the click opened nothing";
    CancelPreferences(Preferences());
}
TEST_F(TrayE2e, PenAndSaveOnOneNewCombinationLeaveItToThePenAndNameSave) {
    StartSessionBus();
    StartNotificationService();
    StartRavlin();
    ASSERT_TRUE(ravlin.SendCommand(kPreferences));
    QString sheet;
    ASSERT_TRUE(WaitFor([&] { return !(sheet = Preferences()).isEmpty(); })) << "no sheet";
    Xdotool({"windowfocus", "--sync", sheet});
    // The page list has the focus first; the boxes follow in their rows' order: "Show/Hide
    // Toolbar", "Save Screenshot", "Select Pen".
    for (const char* key : {"Tab", "Tab", "ctrl+shift+q", "Tab", "ctrl+shift+q", "Return"})
        Xdotool({"key", key});
    ASSERT_TRUE(WaitFor([] { return Preferences().isEmpty(); })) << "the sheet did not close";
    ASSERT_TRUE(WaitFor([&] { return Notified().contains("--end--"); })) << "no notification";
    EXPECT_TRUE(Notified().contains("\nSave Screenshot:Ctrl + Shift + Q\n"))
        << Notified().toStdString();
    EXPECT_FALSE(Notified().contains("Select Pen")) << Notified().toStdString();

    // The new combination selects the pen, whichever window has the keyboard: the overlay
    // takes it.
    Xdotool({"windowfocus", "--sync", FindWindows("^RavlinWitness$").value(0)});
    Xdotool({"key", "ctrl+shift+q"});
    EXPECT_TRUE(WaitFor([&] {
        const QString focus =
            QString::fromLatin1(g_session->Run("xdotool", {"getwindowfocus"})).trimmed();
        return !FindWindows("^ravlin$", true)
                    .filter(QRegularExpression("^" + focus + "$"))
                    .isEmpty() &&
               WindowGeometry(focus).size() == g_session->ScreenSize();
    })) << "the pen did not take the keyboard";
}
TEST_F(TrayE2e, WithATrayTheWarningIsTheIconsBalloonAndAClickOpensPreferences) {
    StartTrayer();
    HoldSaveCombination();
    StartRavlin();
    ASSERT_TRUE(WaitFor([&] { return !TrayIcon().isEmpty(); })) << "no tray icon";
    const QStringList before = FindWindows("^ravlin$", true);
    ASSERT_TRUE(ravlin.SendCommand(kPreferences));
    QString sheet;
    ASSERT_TRUE(WaitFor([&] { return !(sheet = Preferences()).isEmpty(); })) << "no sheet";
    ASSERT_TRUE(CancelPreferences(sheet));
    // The balloon: a window of ours that was not there before the sheet.
    QString balloon;
    ASSERT_TRUE(WaitFor([&] {
        for (const QString& id : FindWindows("^ravlin$", true))
            if (!before.contains(id))
                balloon = id;
        return !balloon.isEmpty();
    })) << "no balloon";
    ClickWindow(balloon);
    EXPECT_TRUE(WaitFor([&] { return !Preferences().isEmpty(); })) << "the click opened nothing";
    CancelPreferences(Preferences());
}
} // namespace

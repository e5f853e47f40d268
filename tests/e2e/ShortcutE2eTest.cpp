// Global shortcuts pressed while another window has the focus, the overlay's own keys once it
// has the keyboard, the clipboard copy, and the shortcuts kept in the settings file.
#include "E2eSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <csignal>
#include <gtest/gtest.h>

namespace {
class ShortcutE2e : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetSettings();
        ASSERT_TRUE(witness.IsShown());
    }
    void StartRavlin() {
        ASSERT_TRUE(ravlin.Start());
        overlay = ravlin.WaitForOverlay();
        ASSERT_NE(overlay, 0ul) << ravlin.Output().toStdString();
        // The witness has the focus: the shortcuts must work all the same.
        Click();
        ASSERT_TRUE(WaitFor([&] { return witness.Presses() == 1; }, 5000));
    }
    void Click() {
        Xdotool(
            {"mousemove", QString::number(probe.x()), QString::number(probe.y()), "click", "1"});
    }
    QString FocusedWindow() const {
        return QString::fromLatin1(g_session->Run("xdotool", {"getwindowfocus"})).trimmed();
    }
    // Shift+Alt+P: the pen; the overlay takes the keyboard as it takes the mouse. Alt goes
    // down first: with Shift held, xdotool types Alt on Xvfb's keycode 204, which carries no
    // modifier, where a real keyboard's Alt key carries Mod1 at every level.
    bool PressPen(const QString& keys = "alt+shift+p") {
        Xdotool({"key", keys});
        return WaitFor([&] { return FocusedWindow() == QString::number(overlay); }, 5000);
    }
    // A click that must not reach the witness, then a click that must, once pointer mode is
    // back: the witness sees exactly one more press.
    void ExpectOverlayTakesTheClickUntil(const QStringList& keysForPointerMode) {
        const int before = witness.Presses();
        Click();
        // A click that is going to arrive arrives well within this.
        WaitFor([] { return false; }, 700);
        EXPECT_EQ(witness.Presses(), before) << "a click passed through in drawing mode";
        for (const QString& keys : keysForPointerMode)
            Xdotool({"key", keys});
        // Pointer mode comes through the event loop: click until a click passes.
        EXPECT_TRUE(WaitFor(
            [&] {
                Click();
                return WaitFor([&] { return witness.Presses() > before; }, 300);
            },
            8000))
            << "clicks do not pass after pointer mode";
        EXPECT_TRUE(ravlin.IsRunning());
    }
    bool LockIsOn(const QString& name) const {
        const QString state = QString::fromLatin1(g_session->Run("xset", {"q"}));
        return state.contains(QRegularExpression(name + R"(:\s+on)"));
    }

    const QPoint probe{500, 400};
    CWitnessWindow witness{QRect(200, 200, 600, 400)};
    CRavlinUnderTest ravlin;
    unsigned long overlay = 0;
};

TEST_F(ShortcutE2e, PenTakesTheMouseAndCursorLetsClicksThroughWhateverTheLocks) {
    StartRavlin();
    for (const QString lock : {"", "Num_Lock", "Caps_Lock"}) {
        SCOPED_TRACE(lock.toStdString());
        if (!lock.isEmpty()) {
            Xdotool({"key", lock});
            ASSERT_TRUE(LockIsOn(lock == "Num_Lock" ? "Num Lock" : "Caps Lock"));
        }
        ASSERT_TRUE(PressPen()) << "Shift+Alt+P did not reach the overlay; focus: "
                                << FocusedWindow().toStdString() << " overlay " << overlay;
        ExpectOverlayTakesTheClickUntil({"alt+shift+c"});
        if (!lock.isEmpty())
            Xdotool({"key", lock});
    }
}

TEST_F(ShortcutE2e, CombinationHeldByAnotherProgramIsSkippedAndTheRestWork) {
    // Another program holds Shift+Alt+C (keysym c, Shift|Mod1) before Ravlin starts.
    QProcess grabber;
    grabber.setProcessEnvironment(g_session->Environment());
    grabber.start(QCoreApplication::applicationDirPath() + "/e2e_keygrabber", {"63", "9"});
    ASSERT_TRUE(grabber.waitForReadyRead(5000));
    ASSERT_EQ(grabber.readAll().trimmed(), "grabbed");
    StartRavlin();

    ASSERT_TRUE(PressPen()) << "focus: " << FocusedWindow().toStdString() << " overlay " << overlay;
    // Shift+Alt+C goes to the other program; the overlay's own 4 brings pointer mode instead.
    ExpectOverlayTakesTheClickUntil({"alt+shift+c", "4"});
    grabber.kill();
    grabber.waitForFinished();
}

TEST_F(ShortcutE2e, CtrlCPutsTheWholeScreenOnTheClipboard) {
    StartRavlin();
    ASSERT_TRUE(PressPen());
    Click();
    Xdotool({"key", "ctrl+c"});
    QImage copied;
    EXPECT_TRUE(WaitFor(
        [&] {
            copied = ClipboardImage();
            return !copied.isNull();
        },
        10000));
    EXPECT_EQ(copied.size(), g_session->ScreenSize());
    // What lies under the overlay, as the screen shows it.
    EXPECT_TRUE(ColourNear(copied.pixel(probe), CWitnessWindow::kColour, 2))
        << ColourText(copied.pixel(probe)).toStdString();
}

TEST_F(ShortcutE2e, ShiftEscapeOnTheOverlayAsksTheExitQuestion) {
    StartRavlin();
    ASSERT_TRUE(PressPen());
    Xdotool({"key", "Escape"});
    EXPECT_TRUE(WaitForExitQuestion(1000).isEmpty()) << "Escape alone does nothing";
    Xdotool({"key", "shift+Escape"});
    const QRect question = WaitForExitQuestion();
    ASSERT_FALSE(question.isEmpty());
    ClickExitQuestion(question, true);
    EXPECT_TRUE(ravlin.WaitForExit());
}

TEST(SessionEndE2e, ALostDisplayStillLeavesTheSettingsWritten) {
    // A session of its own, whose display goes away under the running program.
    CVirtualSession own(CVirtualSession::EMode::Compositor, QSize(640, 480));
    ASSERT_TRUE(own.IsReady());
    QProcess ravlin;
    ravlin.setProcessEnvironment(own.Environment());
    ravlin.setProcessChannelMode(QProcess::MergedChannels);
    ravlin.start(QCoreApplication::applicationDirPath() + "/ravlin", {});
    ASSERT_TRUE(ravlin.waitForStarted(5000));
    const QString log = own.RuntimeFolder() + "/Ravlin/Ravlin.log";
    ASSERT_TRUE(WaitFor([&] {
        QFile file(log);
        return file.open(QIODevice::ReadOnly) && file.readAll().contains("DoUpdateHotKeys");
    }));
    own.KillServer();
    ASSERT_TRUE(ravlin.waitForFinished(10000));
    QSettings settings(own.Home() + "/config/Norvane/Ravlin.conf", QSettings::IniFormat);
    EXPECT_EQ(settings.allKeys().size(), 30);
    EXPECT_EQ(settings.value("Names/Name_toolbar").toString(), "F6");
}

TEST_F(ShortcutE2e, ShortcutsAreKeptInTheSettingsFile) {
    StartRavlin();
    ravlin.Signal(SIGTERM); // a session ending is an orderly exit: the settings are written
    ASSERT_TRUE(ravlin.WaitForExit());
    {
        QSettings settings(SettingsPath(), QSettings::IniFormat);
        EXPECT_EQ(settings.allKeys().size(), 30) << settings.allKeys().join(' ').toStdString();
        EXPECT_EQ(settings.value("Names/Name_toolbar").toString(), "F6");
        EXPECT_EQ(settings.value("Names/Name_pause").toString(), "None");
        EXPECT_EQ(settings.value("Codes/Code_record").toInt(), 0x52);
        // No shortcut for "record"; Ctrl+Shift+P for "pen".
        settings.setValue("Codes/Code_record", 0);
        settings.setValue("Modifiers/Modifier_pen", 3);
    }
    CRavlinUnderTest next;
    ASSERT_TRUE(next.Start());
    overlay = next.WaitForOverlay();
    ASSERT_NE(overlay, 0ul);

    // Shift+Alt+R is free: another program can take it now.
    QProcess grabber;
    grabber.setProcessEnvironment(g_session->Environment());
    grabber.start(QCoreApplication::applicationDirPath() + "/e2e_keygrabber", {"72", "9"});
    EXPECT_TRUE(grabber.waitForReadyRead(5000)) << "Shift+Alt+R is still held";
    grabber.kill();
    grabber.waitForFinished();

    EXPECT_FALSE(PressPen("alt+shift+p")) << "the old combination is gone";
    EXPECT_TRUE(PressPen("ctrl+shift+p"));
}
} // namespace

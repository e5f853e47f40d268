#pragma once
// Shared pieces of the end-to-end tests: the session, the program under test and a witness
// window beneath it.
#include "CVirtualSession.h"

#include <QColor>
#include <QProcess>
#include <gtest/gtest.h>
#include <memory>

extern CVirtualSession* g_session;

// The environment the program under test runs with in the session.
QProcessEnvironment ProgramEnvironment();

// The real program, started in the session.
class CRavlinUnderTest {
public:
    CRavlinUnderTest();
    ~CRavlinUnderTest();

    // `arguments`: the program's command line (`--command NAME` starts it with a command).
    bool Start(const QStringList& arguments = {});
    // Waits until the overlay window is mapped; returns its X window id (0 on time-out).
    unsigned long WaitForOverlay();
    bool IsRunning() const { return m_process && m_process->state() == QProcess::Running; }
    bool WaitForExit(int timeoutMs = 10000);
    int ExitCode() const { return m_process ? m_process->exitCode() : -1; }
    qint64 Pid() const { return m_process ? m_process->processId() : 0; }
    void Signal(int signal);
    // `ravlin --command NAME`, as a desktop shortcut runs it: true when it ended with status 0.
    // Its standard error goes to `errors` when given.
    bool RunCommand(const QString& name, QByteArray* errors = nullptr) const;
    // The same by command identifier, through the identifier's published name.
    bool SendCommand(quint16 id) const;
    QString LogPath() const { return g_session->RuntimeFolder() + "/Ravlin/Ravlin.log"; }
    QByteArray Log() const;
    QByteArray Output();

private:
    std::unique_ptr<QProcess> m_process;
    QByteArray m_output;
};

// A window of one known colour that logs the presses it gets.
class CWitnessWindow {
public:
    static constexpr QRgb kColour = 0xFF2878C8; // QColor(40, 120, 200)
    explicit CWitnessWindow(const QRect& geometry);
    ~CWitnessWindow();
    bool IsShown() const { return m_shown; }
    int Presses() const;

private:
    std::unique_ptr<QProcess> m_process;
    QString m_logPath;
    bool m_shown = false;
};

// The exit question, once it shows (empty on time-out), and a click on one of its buttons.
QRect WaitForExitQuestion(int timeoutMs = 15000);
void ClickExitQuestion(const QRect& question, bool yes);
// The program's settings file in the session, and a fresh start without it.
QString SettingsPath();
void ForgetSettings();
// xdotool with the given arguments.
void Xdotool(const QStringList& arguments);

// Does `action` (a key press, say) with the pointer at `at` and waits until the pointer's shape
// changes: the sign that the program has taken a tool change before the test goes on. False
// when the shape stayed the same.
bool ChangesPointerShape(QPoint at, const std::function<void()>& action, int timeoutMs = 10000);
// A left-button drag in small steps with pauses, so that drawing ticks fall between the moves.
void Drag(QPoint from, QPoint to, int steps = 12);
// Waits until the screen's pixel at `at` passes the check; the last pixel seen goes to `seen`.
bool ScreenShows(QPoint at, const std::function<bool(QRgb)>& check, QRgb* seen = nullptr);

// The clipboard's picture as another program pastes it (null while there is none).
QImage ClipboardImage();

// A test with the witness window beneath and the program started over it.
class CRavlinTest : public ::testing::Test {
protected:
    explicit CRavlinTest(const QRect& witnessGeometry) : witness(witnessGeometry) {}
    void SetUp() override {
        ForgetSettings();
        ASSERT_TRUE(witness.IsShown()) << "the witness window did not appear";
        ASSERT_TRUE(ravlin.Start());
        overlay = ravlin.WaitForOverlay();
        ASSERT_NE(overlay, 0ul) << ravlin.Output().toStdString();
    }

    CWitnessWindow witness;
    CRavlinUnderTest ravlin;
    unsigned long overlay = 0;
};

// The ids of visible windows whose name matches the pattern (xdotool search).
QStringList FindWindows(const QString& namePattern, bool byClass = false);
QRect WindowGeometry(const QString& windowId);
bool ColourNear(QRgb actual, QRgb expected, int tolerance = 1);
QString ColourText(QRgb colour);
// The mapped top-level windows, topmost first.
QStringList ViewableTopLevelsTopFirst();
// The scale factor the program under test runs with.
int ProgramScale();

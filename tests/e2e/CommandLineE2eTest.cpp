// The command line as users and desktop shortcuts use it: `ravlin --command NAME` starts the
// program when none runs and otherwise reaches the running copy without a window of its own;
// the printing options and the errors need no display and start nothing.
#include "E2eSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
constexpr QRgb kPenRed = 0xFFFF0000;

struct CRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray errors;
};

// The program run to its end with the given arguments and environment.
CRun RunRavlin(const QStringList& arguments, const QProcessEnvironment& env) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QCoreApplication::applicationDirPath() + "/ravlin", arguments);
    CRun run;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished(2000);
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.errors = process.readAllStandardError();
    return run;
}

int RavlinWindows() {
    return static_cast<int>(FindWindows("^ravlin$", true).size());
}

class CommandLineE2e : public ::testing::Test {
protected:
    void SetUp() override { ForgetSettings(); }
};

TEST_F(CommandLineE2e, PrintingOptionsAndErrorsNeedNoDisplayAndStartNothing) {
    QProcessEnvironment noDisplay = g_session->Environment();
    noDisplay.remove("DISPLAY");
    const struct {
        QStringList arguments;
        int exitCode;
        const char* out;
        const char* errors;
    } cases[] = {
        {{"--help"}, 0, "--command NAME", ""},
        {{"--version"}, 0, "ravlin ", ""},
        {{"--list-commands"}, 0, "pen-red ", ""},
        {{"--command", "nonsense"}, 2, "", "unknown command 'nonsense'"},
        {{"--command"}, 2, "", "needs a command name"},
        {{"--bogus"}, 2, "", "unknown option '--bogus'"},
    };
    for (const auto& c : cases) {
        const std::string what = c.arguments.join(' ').toStdString();
        const CRun run = RunRavlin(c.arguments, noDisplay);
        EXPECT_EQ(run.exitCode, c.exitCode) << what << ": " << run.errors.toStdString();
        EXPECT_TRUE(run.out.contains(c.out)) << what << ": " << run.out.toStdString();
        EXPECT_TRUE(run.errors.contains(c.errors)) << what << ": " << run.errors.toStdString();
        if (c.exitCode != 0) {
            EXPECT_TRUE(run.out.isEmpty()) << what;
        }
    }
    // Nothing was started: no lock, no socket, no log.
    EXPECT_TRUE(QDir(g_session->RuntimeFolder() + "/Ravlin")
                    .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
    const CRun list = RunRavlin({"--list-commands"}, noDisplay);
    for (const char* name : {"copy", "pause", "display-4", "whiteboard-scene", "exit"})
        EXPECT_TRUE(list.out.contains(QByteArray("\n") + name + " ")) << name;
}

TEST_F(CommandLineE2e, WithoutAnXDisplayItSaysSoAndFails) {
    // A Wayland desktop without XWayland: no X11, so no global keys, stacking or click-through.
    QProcessEnvironment env = g_session->Environment();
    env.remove("DISPLAY");
    env.insert("QT_QPA_PLATFORM", "wayland");
    env.insert("WAYLAND_DISPLAY", "wayland-nowhere");
    CRun run = RunRavlin({}, env);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("no X display")) << run.errors.toStdString();

    env.insert("DISPLAY", ":999");
    run = RunRavlin({"--command", "pen"}, env);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("cannot open the X display ':999'"))
        << run.errors.toStdString();
}

TEST_F(CommandLineE2e, WithoutARuntimeFolderAndALinkPlantedInTmpTheNextStartStillReachesTheFirst) {
    // No login manager's runtime folder, and another user's link where the fallback would go.
    QProcessEnvironment env = ProgramEnvironment();
    env.remove("XDG_RUNTIME_DIR");
    const QString tmp = g_session->Home() + "/tmp", theirs = g_session->Home() + "/theirs";
    ASSERT_TRUE(QDir().mkpath(tmp) && QDir().mkpath(theirs));
    ASSERT_TRUE(QFile::link(theirs, tmp + QStringLiteral("/Ravlin-%1").arg(getuid())));
    env.insert("TMPDIR", tmp);
    ASSERT_EQ(RavlinWindows(), 0);

    QProcess first;
    first.setProcessEnvironment(env);
    first.setProcessChannelMode(QProcess::ForwardedChannels);
    first.start(QCoreApplication::applicationDirPath() + "/ravlin", {});
    ASSERT_TRUE(WaitFor([] { return RavlinWindows() >= 2; }));

    // A second copy would run on until killed; a start that reached the first ends with 0.
    const CRun second = RunRavlin({"--command", "toolbar"}, env);
    EXPECT_EQ(second.exitCode, 0) << second.errors.toStdString();
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_TRUE(QDir(theirs).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot))
        << "something was written through the planted link";
    EXPECT_TRUE(QFile::exists(g_session->Home() + "/.cache/Ravlin-runtime/Ravlin.log"));

    first.terminate();
    EXPECT_TRUE(first.waitForFinished(15000));
}

TEST_F(CommandLineE2e, ACommandStartsRavlinWhenNoneRunsThenReachesTheRunningCopy) {
    CWitnessWindow witness(QRect(100, 100, 900, 500));
    ASSERT_TRUE(witness.IsShown());
    ASSERT_EQ(RavlinWindows(), 0);

    // None runs: this start becomes the program and runs the command once it is up.
    CRavlinUnderTest ravlin;
    ASSERT_TRUE(ravlin.Start({"--command", "pen"}));
    ASSERT_NE(ravlin.WaitForOverlay(), 0ul) << ravlin.Output().toStdString();
    QRgb seen = 0;
    Drag({200, 300}, {800, 300});
    EXPECT_TRUE(ScreenShows(
        {500, 300}, [](QRgb p) { return ColourNear(p, kPenRed, 2); }, &seen))
        << "the pen did not draw: " << ColourText(seen).toStdString();
    const int windows = RavlinWindows();

    // It runs: later starts hand their command over, end at once and show no window.
    QByteArray errors;
    EXPECT_TRUE(ravlin.RunCommand("pen-blue", &errors)) << errors.toStdString();
    Drag({200, 400}, {800, 400});
    EXPECT_TRUE(ScreenShows(
        {500, 400}, [](QRgb p) { return ColourNear(p, 0xFF0000FF, 2); }, &seen))
        << ColourText(seen).toStdString();
    EXPECT_EQ(RavlinWindows(), windows);

    // The clipboard copy, which has no command identifier, goes the same way.
    EXPECT_TRUE(ravlin.RunCommand("copy"));
    QImage copied;
    EXPECT_TRUE(WaitFor(
        [&] {
            copied = ClipboardImage();
            return !copied.isNull();
        },
        10000));
    if (!copied.isNull()) {
        EXPECT_TRUE(ColourNear(copied.pixel(500, 400), 0xFF0000FF, 2))
            << ColourText(copied.pixel(500, 400)).toStdString();
    }

    EXPECT_TRUE(ravlin.RunCommand("pointer"));
    const int before = witness.Presses();
    EXPECT_TRUE(WaitFor(
        [&] {
            Xdotool({"mousemove", "300", "550", "click", "1"});
            return WaitFor([&] { return witness.Presses() > before; }, 300);
        },
        8000))
        << "clicks pass in pointer mode";
    EXPECT_TRUE(ravlin.IsRunning());
}
} // namespace

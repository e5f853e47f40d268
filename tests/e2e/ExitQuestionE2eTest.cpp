// The exit question: it stands above the overlay and takes a click, with or without a window
// manager; the overlay keeps itself above other programs' windows otherwise.
#include "E2eSession.h"

#include <QSettings>
#include <gtest/gtest.h>

namespace {

class ExitQuestionE2e : public CRavlinTest {
protected:
    ExitQuestionE2e() : CRavlinTest(QRect(200, 200, 600, 400)) {}
};

TEST_F(ExitQuestionE2e, NoKeepsTheProgramAndYesEndsIt) {
    ASSERT_TRUE(ravlin.RunCommand("exit"));
    QRect question = WaitForExitQuestion(5000);
    ASSERT_FALSE(question.isEmpty()) << "the exit question did not appear";
    ClickExitQuestion(question, false);
    EXPECT_TRUE(WaitFor([&] { return WaitForExitQuestion(0).isEmpty(); }, 5000));
    EXPECT_TRUE(ravlin.IsRunning());
    EXPECT_EQ(witness.Presses(), 0) << "the click went through the question";

    ASSERT_TRUE(ravlin.RunCommand("exit"));
    question = WaitForExitQuestion(5000);
    ASSERT_FALSE(question.isEmpty());
    ClickExitQuestion(question, true);
    EXPECT_TRUE(ravlin.WaitForExit(10000));
    EXPECT_EQ(ravlin.ExitCode(), 0);
    // The normal way out writes the settings (SetUp removed any earlier file).
    QSettings settings(SettingsPath(), QSettings::IniFormat);
    EXPECT_EQ(settings.value("Codes/Code_pen").toInt(), 'P') << SettingsPath().toStdString();
    EXPECT_EQ(settings.value("Names/Name_toolbar").toString(), "F6");
}

TEST_F(ExitQuestionE2e, OverlayAndToolbarStayAboveAWindowThatIsRaised) {
    // A click passes through to the witness; a window manager raises the window it clicked.
    g_session->Run("xdotool", {"mousemove", "500", "400", "click", "1"});
    ASSERT_TRUE(WaitFor([&] { return witness.Presses() == 1; }, 5000));
    const QString witnessId = FindWindows("^RavlinWitness$").value(0);
    g_session->Run("xdotool", {"windowraise", witnessId});
    // The overlay directly below the toolbar, only our own windows (a notice) above them, then
    // the rest.
    EXPECT_TRUE(WaitFor(
        [&] {
            const QStringList order = ViewableTopLevelsTopFirst();
            const qsizetype at = order.indexOf(QString::number(overlay));
            if (at < 1 || WindowGeometry(order[at - 1]).height() != 42 * ProgramScale())
                return false;
            const QStringList ours = FindWindows("^ravlin$", true);
            for (qsizetype i = 0; i < at - 1; ++i)
                if (!ours.contains(order[i]))
                    return false;
            return true;
        },
        5000))
        << ViewableTopLevelsTopFirst().join(' ').toStdString();
}
} // namespace

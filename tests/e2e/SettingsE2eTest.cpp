// Settings that cannot be written at exit: the user hears of it, on the next start at the
// latest, and only once.
#include "E2eSession.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>

namespace {
class SettingsE2e : public ::testing::Test {
protected:
    // A regular file where the settings folder should be: no write below it can succeed, even
    // for root.
    QString Blocker() const { return QFileInfo(SettingsPath()).path(); }
    void SetUp() override { Unblock(); }
    void TearDown() override { Unblock(); }
    void Unblock() {
        if (QFileInfo(Blocker()).isFile())
            QFile::remove(Blocker());
        QDir(Blocker()).removeRecursively();
    }
};

TEST_F(SettingsE2e, AFailedWriteAtExitIsToldOnceAtTheNextStart) {
    QDir().mkpath(QFileInfo(Blocker()).path());
    QFile blocker(Blocker());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    {
        CRavlinUnderTest ravlin;
        ASSERT_TRUE(ravlin.Start());
        ASSERT_NE(ravlin.WaitForOverlay(), 0ul) << ravlin.Output().toStdString();
        ravlin.Signal(SIGTERM);
        ASSERT_TRUE(ravlin.WaitForExit(10000));
        EXPECT_TRUE(ravlin.Output().contains("the settings could not be saved"))
            << ravlin.Output().toStdString();
        EXPECT_TRUE(WaitForExitQuestion(0).isEmpty());
    }
    Unblock();
    {
        CRavlinUnderTest ravlin;
        ASSERT_TRUE(ravlin.Start());
        ASSERT_NE(ravlin.WaitForOverlay(), 0ul);
        // The message box, the size of the exit question.
        const QRect message = WaitForExitQuestion(10000);
        EXPECT_FALSE(message.isEmpty()) << "the next start did not tell";
        ravlin.Signal(SIGTERM);
        ASSERT_TRUE(ravlin.WaitForExit(10000));
    }
    {
        CRavlinUnderTest ravlin;
        ASSERT_TRUE(ravlin.Start());
        ASSERT_NE(ravlin.WaitForOverlay(), 0ul);
        EXPECT_TRUE(WaitForExitQuestion(3000).isEmpty()) << "told twice";
        ravlin.Signal(SIGTERM);
        ASSERT_TRUE(ravlin.WaitForExit(10000));
    }
    EXPECT_TRUE(QFile::exists(SettingsPath())) << "the settings were written once they could be";
}
} // namespace

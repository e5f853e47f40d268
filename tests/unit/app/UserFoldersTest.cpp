// The per-user runtime folder: made private, and refused when it could be someone else's.
#include "CUserFolders.h"

#include "QtPrinters.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
class RuntimeFolderTest : public ::testing::Test {
protected:
    void SetUp() override { saved = qgetenv("XDG_RUNTIME_DIR"); }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", saved); }
    QByteArray saved;
    QTemporaryDir dir;
};

TEST_F(RuntimeFolderTest, IsMadePrivateUnderTheRuntimeDirectory) {
    qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
    const QString folder = CUserFolders::RuntimeFolder();
    EXPECT_EQ(folder, dir.path() + "/Ravlin");
    struct stat info {};
    ASSERT_EQ(stat(QFile::encodeName(folder).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(RuntimeFolderTest, ALoosenedFolderIsTightenedAgain) {
    qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/Ravlin"));
    chmod(QFile::encodeName(dir.path() + "/Ravlin").constData(), 0777);
    EXPECT_EQ(CUserFolders::RuntimeFolder(), dir.path() + "/Ravlin");
    struct stat info {};
    stat(QFile::encodeName(dir.path() + "/Ravlin").constData(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(RuntimeFolderTest, RefusesALinkOrAFileInItsPlace) {
    qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
    QDir().mkpath(dir.path() + "/elsewhere");
    ASSERT_TRUE(QFile::link(dir.path() + "/elsewhere", dir.path() + "/Ravlin"));
    EXPECT_TRUE(CUserFolders::RuntimeFolder().isEmpty());

    QFile::remove(dir.path() + "/Ravlin");
    QFile plain(dir.path() + "/Ravlin");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_TRUE(CUserFolders::RuntimeFolder().isEmpty());
}

TEST_F(RuntimeFolderTest, RefusesAFolderOwnedBySomeoneElse) {
    if (getuid() != 0)
        GTEST_SKIP() << "needs root to give the folder away";
    qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/Ravlin"));
    ASSERT_EQ(chown(QFile::encodeName(dir.path() + "/Ravlin").constData(), 65534, 65534), 0);
    EXPECT_TRUE(CUserFolders::RuntimeFolder().isEmpty());
}
} // namespace

// The per-user runtime folder: made private, and refused when it could be someone else's.
#include "CUserFolders.h"

#include "QtPrinters.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
class RuntimeFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kVariables)
            saved.push_back(qgetenv(name));
        // The fallbacks in folders of this test's own.
        ASSERT_TRUE(QDir().mkpath(dir.path() + "/tmp"));
        qputenv("TMPDIR", (dir.path() + "/tmp").toUtf8());
        qputenv("XDG_CACHE_HOME", (dir.path() + "/cache").toUtf8());
    }
    void TearDown() override {
        for (size_t i = 0; i < std::size(kVariables); ++i)
            qputenv(kVariables[i], saved[i]);
    }
    QString TempFallback() const {
        return dir.path() + QStringLiteral("/tmp/Ravlin-%1").arg(getuid());
    }
    QString HomeFallback() const { return dir.path() + "/cache/Ravlin-runtime"; }
    void Plant(const QString& path, bool asLink) {
        if (asLink) {
            QDir().mkpath(dir.path() + "/elsewhere");
            ASSERT_TRUE(QFile::link(dir.path() + "/elsewhere", path));
        } else {
            QFile plain(path);
            ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
        }
    }
    static bool IsPrivate(const QString& folder) {
        struct stat info {};
        return lstat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
               (info.st_mode & 0777) == 0700;
    }

    static constexpr const char* kVariables[] = {"XDG_RUNTIME_DIR", "TMPDIR", "XDG_CACHE_HOME"};
    std::vector<QByteArray> saved;
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

TEST_F(RuntimeFolderTest, APlantedOrUnusableFolderIsRefusedAndTheNextOneTaken) {
    const QString runtime = dir.path() + "/runtime";
    const struct {
        const char* what;
        std::function<void()> prepare;
        std::function<QString()> expected;
        int refusals;
    } cases[] = {
        {"a link in place of the runtime folder's",
         [&] {
             qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
             QDir().mkpath(runtime);
             Plant(runtime + "/Ravlin", true);
         },
         [&] { return TempFallback(); }, 1},
        {"a file in place of the runtime folder's",
         [&] {
             qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
             QDir().mkpath(runtime);
             Plant(runtime + "/Ravlin", false);
         },
         [&] { return TempFallback(); }, 1},
        {"a runtime directory that is set but cannot be used",
         [&] {
             Plant(dir.path() + "/plain", false);
             qputenv("XDG_RUNTIME_DIR", (dir.path() + "/plain/runtime").toUtf8());
         },
         [&] { return TempFallback(); }, 1},
        {"no runtime directory, a link planted in the shared temporary folder",
         [&] {
             qunsetenv("XDG_RUNTIME_DIR");
             Plant(TempFallback(), true);
         },
         [&] { return HomeFallback(); }, 1},
        {"nowhere to go",
         [&] {
             qunsetenv("XDG_RUNTIME_DIR");
             Plant(TempFallback(), true);
             Plant(dir.path() + "/cache", false);
         },
         [] { return QString(); }, 2},
    };
    for (const auto& c : cases) {
        for (const QString& path : {runtime, TempFallback(), dir.path() + "/cache",
                                    dir.path() + "/plain", dir.path() + "/elsewhere"}) {
            QFile::remove(path);
            QDir(path).removeRecursively();
        }
        c.prepare();
        QStringList refused;
        const QString folder = CUserFolders::RuntimeFolder(&refused);
        EXPECT_EQ(folder, c.expected()) << c.what;
        EXPECT_EQ(refused.size(), c.refusals) << c.what << ": " << refused.join("; ").toStdString();
        if (!folder.isEmpty()) {
            EXPECT_TRUE(IsPrivate(folder)) << c.what;
        }
        EXPECT_TRUE(QDir(dir.path() + "/elsewhere").isEmpty()) << c.what << ": written through";
    }
}

TEST_F(RuntimeFolderTest, RefusesAFolderOwnedBySomeoneElse) {
    if (getuid() != 0)
        GTEST_SKIP() << "needs root to give the folder away";
    qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/Ravlin"));
    ASSERT_EQ(chown(QFile::encodeName(dir.path() + "/Ravlin").constData(), 65534, 65534), 0);
    QStringList refused;
    EXPECT_EQ(CUserFolders::RuntimeFolder(&refused), TempFallback());
    EXPECT_EQ(refused, QStringList{dir.path() + "/Ravlin: it belongs to another user"});
}
} // namespace

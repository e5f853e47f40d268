// Paths written relative to the executable's folder.
#include "ResolveAppRelativePath.h"

#include "QtPrinters.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ResolveAppRelativePath, JoinsThePathToTheFolder) {
    const struct {
        const char* path;
        const char* expected;
    } rows[] = {
        {".\\Arts\\toolbar.xml", "/opt/ravlin/Arts/toolbar.xml"},
        {"./Ravlin_Help_Win.pdf", "/opt/ravlin/Ravlin_Help_Win.pdf"},
        {"Arts\\toolbarpen.png", "/opt/ravlin/Arts/toolbarpen.png"},
        {"Arts/pen/", "/opt/ravlin/Arts/pen"},
        // Still below the folder, as on the system the files were first written for.
        {"\\Arts\\pen.png", "/opt/ravlin/Arts/pen.png"},
        // ".\" is the folder only as a whole segment: ".." is the parent, and a name ending
        // in a dot stays a name.
        {"..\\share\\ravlin.pdf", "/opt/share/ravlin.pdf"},
        {"v1.\\pen.png", "/opt/ravlin/v1./pen.png"},
        {"Arts\\.\\pen.png", "/opt/ravlin/Arts/pen.png"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ResolveAppRelativePath(row.path, "/opt/ravlin"), QString(row.expected))
            << row.path;
}

TEST(ResolveAppRelativePath, DefaultsToTheExecutablesFolder) {
    EXPECT_EQ(ResolveAppRelativePath(".\\Arts\\toolbar.xml"),
              QCoreApplication::applicationDirPath() + "/Arts/toolbar.xml");
}

// An unpacked package keeps the executable in bin/ and its files in share/ravlin/; the build
// tree and a portable copy keep them beside it. Whichever holds the Arts folder wins, the
// executable's folder first.
TEST(AppDataFolder, PrefersTheExecutablesFolderThenShareRavlin) {
    const struct {
        const char* name;
        bool artsBeside;
        bool artsInShare;
        const char* expected; // relative to the scratch root
    } rows[] = {
        {"build tree", true, false, "bin"},
        {"both", true, true, "bin"},
        {"installed", false, true, "share/ravlin"},
        {"neither", false, false, "bin"},
    };
    for (const auto& row : rows) {
        QTemporaryDir root;
        ASSERT_TRUE(root.isValid());
        QDir dir(root.path());
        ASSERT_TRUE(dir.mkpath("bin"));
        if (row.artsBeside) {
            ASSERT_TRUE(dir.mkpath("bin/Arts"));
        }
        // A data folder without the art is not used.
        ASSERT_TRUE(dir.mkpath(row.artsInShare ? "share/ravlin/Arts" : "share/ravlin"));
        EXPECT_EQ(AppDataFolder(root.path() + "/bin"), root.path() + "/" + row.expected)
            << row.name;
    }
}

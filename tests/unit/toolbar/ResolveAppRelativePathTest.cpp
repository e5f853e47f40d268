// Paths written relative to the executable's folder.
#include "ResolveAppRelativePath.h"

#include "QtPrinters.h"

#include <QCoreApplication>
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

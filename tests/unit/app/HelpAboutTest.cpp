#include "CCommandMap.h"
#include "CDlgAbout.h"
#include "CFakeDialogs.h"
#include "CHelpCommands.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(AboutVersion, TextFollowsTheVersionRules) {
    const std::pair<const char*, const char*> rows[] = {
        {"1.6.0.0", "1.6"},     {"1.6.2.0", "1.6.2"},
        {"1.6.0.3", "1.6.0.3"}, {"2.0.0.0", "2.0"},
        {"0.0.0.0", ""},        {"1.6.2.3", "1.6.2.3"},
        {"0.1.0.0", "0.1"},     {"1.0.0", "1.0"},
        {"3", "3.0"},           {"", ""},
        {"1.x.0.0", ""},        {"1.2.3.4.5", ""},
        {"70000.0.0.0", ""},
    };
    for (const auto& [version, text] : rows)
        EXPECT_EQ(CDlgAbout::VersionText(version), QString(text)) << version;
}

TEST(AboutBox, ShowsTheVersionLineAndHandsEachLinkToTheOpener) {
    std::vector<QUrl> opened;
    CDlgAbout dialog([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    EXPECT_EQ(dialog.windowTitle(), QString("About Ravlin"));
    EXPECT_EQ(dialog.VersionLabel()->text(),
              QString("Ravlin Version ") + CDlgAbout::GetFileVersionText());
    EXPECT_FALSE(dialog.windowIcon().isNull());
    // The address a click reports is the one in the link itself.
    for (QLabel* link : {dialog.WebsiteLink(), dialog.SupportLink()}) {
        const QRegularExpressionMatch href =
            QRegularExpression("href=\"([^\"]+)\"").match(link->text());
        ASSERT_TRUE(href.hasMatch()) << link->text().toStdString();
        emit link->linkActivated(href.captured(1));
    }
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], QUrl("https://www.example.org/ravlin"));
    EXPECT_EQ(opened[1], QUrl("mailto:support@example.org"));
    EXPECT_TRUE(dialog.SupportLink()->text().contains(">support@example.org<"));
}

namespace {
class HelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(appFolder.isValid() && elsewhere.isValid());
        previousFolder = QDir::currentPath();
        // Started from another folder, with a file of the same name there as a decoy.
        QDir::setCurrent(elsewhere.path());
        QFile decoy(elsewhere.filePath("Ravlin_Help_Win.pdf"));
        ASSERT_TRUE(decoy.open(QIODevice::WriteOnly));
        help.SetOpener([this](const QUrl& url) {
            opened.push_back(url);
            return openerWorks;
        });
        help.SetPdfHandlerQuery([this] { return pdfHandler; });
        help.Register(commands);
    }
    void TearDown() override { QDir::setCurrent(previousFolder); }
    void ShipGuide() {
        QFile guide(appFolder.filePath("Ravlin_Help_Win.pdf"));
        ASSERT_TRUE(guide.open(QIODevice::WriteOnly));
        guide.write("%PDF-1.4\n");
    }

    QTemporaryDir appFolder;
    QTemporaryDir elsewhere;
    QString previousFolder;
    CFakeDialogs dialogs;
    CHelpCommands help{dialogs, appFolder.path()};
    CCommandMap commands;
    std::vector<QUrl> opened;
    bool openerWorks = true;
    QString pdfHandler = "org.example.viewer.desktop";
};
} // namespace

TEST_F(HelpTest, OpensTheGuideBesideTheExecutableWhateverTheCurrentFolder) {
    ShipGuide();
    EXPECT_TRUE(commands.Dispatch(ID_HELP));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(appFolder.filePath("Ravlin_Help_Win.pdf")));
    EXPECT_TRUE(dialogs.warnings.isEmpty());
}

TEST_F(HelpTest, SaysWhyTheGuideCannotOpen) {
    struct Row {
        bool shipped;
        QString handler;
        bool openerWorks;
        const char* says;
    };
    const Row rows[] = {
        {false, "org.example.viewer.desktop", true, "could not be found"},
        {true, "", true, "No application is set up to open PDF documents"},
        {true, "org.example.viewer.desktop", false, "could not be opened"},
    };
    for (const Row& row : rows) {
        QFile::remove(appFolder.filePath("Ravlin_Help_Win.pdf"));
        if (row.shipped)
            ShipGuide();
        pdfHandler = row.handler;
        openerWorks = row.openerWorks;
        dialogs.warnings.clear();
        commands.Dispatch(ID_HELP);
        ASSERT_EQ(dialogs.warnings.size(), 1) << row.says;
        EXPECT_TRUE(dialogs.warnings[0].contains(row.says)) << dialogs.warnings[0].toStdString();
        EXPECT_TRUE(dialogs.warnings[0].contains(QDir::toNativeSeparators(appFolder.path())))
            << dialogs.warnings[0].toStdString();
    }
}

TEST_F(HelpTest, AboutRunsTheAboutBox) {
    QString shown;
    help.runDialog = [&](QWidget& dialog) { shown = dialog.windowTitle(); };
    EXPECT_TRUE(commands.Dispatch(ID_ABOUT));
    EXPECT_EQ(shown, QString("About Ravlin"));
}

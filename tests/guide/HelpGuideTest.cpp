// The user guide the build writes beside the executable: its text names every shortcut and
// every command-line name, and it carries pictures of the program.
#include "CommandNames.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
QString GuidePath() {
    return QCoreApplication::applicationDirPath() + "/Ravlin_Help_Win.pdf";
}

QByteArray RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QByteArray();
    return process.readAllStandardOutput();
}

QString GuideText() {
    // One line per text line; joined again so that a name broken over a table row still reads.
    QString text = QString::fromUtf8(RunTool("pdftotext", {"-layout", GuidePath(), "-"}));
    return text.simplified();
}
} // namespace

TEST(HelpGuide, NamesEveryShortcutByItsKeys) {
    ASSERT_TRUE(QFile::exists(GuidePath()));
    const QString text = GuideText();
    ASSERT_FALSE(text.isEmpty());
    for (const char* keys : {"F6", "F9", "Shift + Alt + S", "Shift + Alt + P", "Shift + Alt + H",
                             "Shift + Alt + T", "Shift + Alt + E", "Shift + Alt + C",
                             "Shift + Alt + X", "Shift + Alt + R", "Shift + Esc"})
        EXPECT_TRUE(text.contains(QLatin1String(keys))) << keys;
}

TEST(HelpGuide, NamesEveryCommandLineName) {
    const QString text = GuideText();
    ASSERT_FALSE(text.isEmpty());
    EXPECT_TRUE(text.contains("ravlin --command NAME"));
    for (const CommandName& command : CommandNames::All()) {
        const char* name = command.name;
        // A whole word: "pen" inside "pen-black" does not count.
        const QRegularExpression word(
            QStringLiteral("(^|[\\s,])%1($|[\\s,])").arg(QRegularExpression::escape(name)));
        EXPECT_TRUE(text.contains(word)) << name;
    }
}

TEST(HelpGuide, HasPicturesOfTheProgram) {
    const QString list = QString::fromUtf8(RunTool("pdfimages", {"-list", GuidePath()}));
    // Two heading lines, then one line per picture.
    const QStringList lines = list.split('\n', Qt::SkipEmptyParts);
    EXPECT_GE(lines.size() - 2, 4) << list.toStdString();
}

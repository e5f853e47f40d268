// The user guide the build writes beside the executable: its text names every shortcut and
// every command-line name, and it carries pictures of the program.
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
    const char* const names[] = {"pen",
                                 "marker",
                                 "eraser",
                                 "text",
                                 "pointer",
                                 "pen-black",
                                 "pen-blue",
                                 "pen-green",
                                 "pen-red",
                                 "pen-white",
                                 "pen-yellow",
                                 "pen-thinner",
                                 "pen-thin",
                                 "pen-medium",
                                 "pen-thick",
                                 "marker-yellow",
                                 "marker-turquoise",
                                 "marker-green",
                                 "marker-pink",
                                 "eraser-small",
                                 "eraser-medium",
                                 "eraser-large",
                                 "text-black",
                                 "text-blue",
                                 "text-green",
                                 "text-red",
                                 "text-white",
                                 "text-yellow",
                                 "text-12pt",
                                 "text-24pt",
                                 "text-36pt",
                                 "text-48pt",
                                 "clear",
                                 "new-page",
                                 "next-page",
                                 "previous-page",
                                 "delete-page",
                                 "whiteboard",
                                 "whiteboard-scene",
                                 "blackboard",
                                 "desktop",
                                 "save",
                                 "copy",
                                 "record",
                                 "pause",
                                 "record-mouse",
                                 "quality-high",
                                 "quality-medium",
                                 "quality-low",
                                 "webcam",
                                 "webcam-small",
                                 "webcam-medium",
                                 "webcam-large",
                                 "toolbar",
                                 "horizontal",
                                 "vertical",
                                 "display-1",
                                 "display-2",
                                 "display-3",
                                 "display-4",
                                 "preferences",
                                 "help",
                                 "about",
                                 "exit"};
    for (const char* name : names) {
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

// The command line: the published command names cover every command, and arguments are read
// the way Linux programs read them (bad ones end with status 2 before anything starts).
#include "CCommandLine.h"
#include "CommandNames.h"

#include "QtPrinters.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {
TEST(CommandNames, EveryCommandHasExactlyOneNameAndTheNamesAreUnique) {
    QSet<QString> names;
    QSet<CommandId> named;
    const QRegularExpression shape("^[a-z0-9]+(-[a-z0-9]+)*$");
    for (const CommandName& entry : CommandNames::All()) {
        const QString name = QString::fromLatin1(entry.name);
        EXPECT_TRUE(shape.match(name).hasMatch()) << entry.name;
        EXPECT_FALSE(names.contains(name)) << "twice: " << entry.name;
        names.insert(name);
        EXPECT_STRNE(entry.description, "") << entry.name;
        if (entry.action == CommandName::EAction::Command) {
            EXPECT_FALSE(CommandMenuText(entry.id).isEmpty()) << entry.name << " " << entry.id;
            EXPECT_FALSE(named.contains(entry.id)) << "two names for " << entry.id;
            named.insert(entry.id);
        }
    }
    for (const CommandInfo& command : AllCommands())
        EXPECT_TRUE(named.contains(command.id))
            << "no name for " << command.id << " " << command.menuText;
}

TEST(CommandNames, NamesMeanTheirCommands) {
    const struct {
        const char* name;
        CommandId id;
    } cases[] = {
        {"pen", ID_PEN},
        {"pointer", ID_MOUSE},
        {"whiteboard", ID_WHITEBOARD},
        {"whiteboard-scene", ID_SCENE_WHITEBOARD},
        {"pause", ID_PAUSE},
        {"pen-red", ID_PEN_RED},
        {"pen-thick", ID_PEN_THICK},
        {"marker-yellow", ID_MARKER_YELLOW},
        {"eraser-large", ID_ERASER_LARGE},
        {"text-green", ID_TEXT_GREEN},
        {"text-yellow", ID_TEXT_YELLOW},
        {"text-48pt", ID_TEXT_48PT},
        {"display-1", ID_DISPLAY_PRIMARY},
        {"display-4", ID_DISPLAY_EXTENDED_3},
        {"toolbar", ID_SHOW_TOOLBAR},
        {"webcam-large", ID_WEBCAM_LARGE},
    };
    for (const auto& c : cases) {
        const std::optional<CommandName> entry = CommandNames::Find(c.name);
        ASSERT_TRUE(entry) << c.name;
        EXPECT_EQ(entry->id, c.id) << c.name;
        EXPECT_EQ(CommandNames::NameOf(c.id), QString::fromLatin1(c.name));
    }
    const std::optional<CommandName> copy = CommandNames::Find("copy");
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->action, CommandName::EAction::CopyToClipboard);
    for (const char* unknown : {"", "Pen", "pen ", "32791", "copy-all"})
        EXPECT_FALSE(CommandNames::Find(unknown)) << unknown;
    EXPECT_EQ(CommandNames::NameOf(0), QString());
    EXPECT_EQ(CommandNames::NameOf(32772), QString());
}

TEST(CommandNames, TheListHasOneLinePerNameInTableOrder) {
    const QStringList lines = CommandNames::ListText().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), qsizetype(CommandNames::All().size()));
    EXPECT_TRUE(lines.first().startsWith("pen "));
    // indexOf matches whole lines.
    EXPECT_GE(lines.indexOf(QRegularExpression("copy +Copy .*")), 0);
}

TEST(CommandLine, ArgumentsChooseWhatHappens) {
    using A = CCommandLine::EAction;
    const struct {
        QStringList arguments;
        A action;
        const char* command;
        const char* errorContains;
    } cases[] = {
        {{}, A::Run, "", ""},
        {{"--command", "pen"}, A::RunCommand, "pen", ""},
        {{"--command=marker-pink"}, A::RunCommand, "marker-pink", ""},
        {{"--command", "copy"}, A::RunCommand, "copy", ""},
        {{"--list-commands"}, A::ListCommands, "", ""},
        {{"--version"}, A::Version, "", ""},
        {{"--help"}, A::Help, "", ""},
        {{"-h"}, A::Help, "", ""},
        // Help wins, wherever it stands.
        {{"--command", "nonsense", "--help"}, A::Help, "", ""},
        {{"--command", "nonsense"}, A::Error, "", "unknown command 'nonsense'"},
        {{"--command", "Pen"}, A::Error, "", "unknown command 'Pen'"},
        {{"--command="}, A::Error, "", "unknown command ''"},
        {{"--command"}, A::Error, "", "needs a command name"},
        {{"--frobnicate"}, A::Error, "", "unknown option '--frobnicate'"},
        {{"-platform", "wayland"}, A::Error, "", "unknown option '-platform'"},
        {{"pen"}, A::Error, "", "unexpected argument 'pen'"},
        {{"--command", "pen", "--command", "marker"}, A::Error, "", "only one"},
        {{"--version", "--list-commands"}, A::Error, "", "only one"},
    };
    for (const auto& c : cases) {
        const CCommandLine line = CCommandLine::Parse(c.arguments);
        const std::string what = c.arguments.join(' ').toStdString();
        EXPECT_EQ(line.action, c.action) << what;
        EXPECT_EQ(line.command, QString::fromLatin1(c.command)) << what;
        if (c.action == A::Error) {
            EXPECT_TRUE(line.error.contains(QString::fromLatin1(c.errorContains)))
                << what << ": " << line.error.toStdString();
            EXPECT_TRUE(line.error.startsWith("ravlin: ")) << what;
            EXPECT_TRUE(line.error.endsWith('\n')) << what;
        }
    }
    EXPECT_EQ(CCommandLine::kUsageExitCode, 2);
}
} // namespace

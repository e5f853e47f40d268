#include "CCommandLine.h"

#include "CommandNames.h"

namespace {
CCommandLine Failure(const QString& message) {
    CCommandLine line;
    line.action = CCommandLine::EAction::Error;
    line.error = "ravlin: " + message + "\nTry 'ravlin --help' for more information.\n";
    return line;
}
} // namespace

CCommandLine CCommandLine::Parse(const QStringList& arguments) {
    CCommandLine line;
    // Help wins over everything else on the line, as with most programs.
    if (arguments.contains("-h") || arguments.contains("--help")) {
        line.action = EAction::Help;
        return line;
    }
    bool chosen = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        EAction action = EAction::Run;
        QString name;
        if (argument == "--version") {
            action = EAction::Version;
        } else if (argument == "--list-commands") {
            action = EAction::ListCommands;
        } else if (argument == "--command") {
            if (i + 1 >= arguments.size())
                return Failure("option '--command' needs a command name");
            action = EAction::RunCommand;
            name = arguments[++i];
        } else if (argument.startsWith("--command=")) {
            action = EAction::RunCommand;
            name = argument.mid(int(qstrlen("--command=")));
        } else if (argument.startsWith('-')) {
            return Failure(QString("unknown option '%1'").arg(argument));
        } else {
            return Failure(QString("unexpected argument '%1'").arg(argument));
        }
        if (chosen)
            return Failure("give only one of --command, --list-commands and --version");
        chosen = true;
        if (action == EAction::RunCommand) {
            if (!CommandNames::Find(name))
                return Failure(
                    QString("unknown command '%1'; 'ravlin --list-commands' lists the names")
                        .arg(name));
            line.command = name;
        }
        line.action = action;
    }
    return line;
}

QString CCommandLine::HelpText() {
    return QStringLiteral(
        "Usage: ravlin [OPTION]\n"
        "Draw on the screen, take screenshots and record it.\n"
        "\n"
        "Without an option, starts Ravlin, or shows or hides the toolbar of the copy\n"
        "that already runs.\n"
        "\n"
        "  --command NAME     run the command NAME in the running Ravlin (starting\n"
        "                     Ravlin first when none runs); bind it to a key in your\n"
        "                     desktop's keyboard settings\n"
        "  --list-commands    list the command names and what they do\n"
        "  --autostart on|off start Ravlin when you log in, or stop doing so\n"
        "  -h, --help         show this help and exit\n"
        "      --version      show the version and exit\n"
        "\n"
        "Exit status: 0 on success, 1 when Ravlin cannot start or the running copy\n"
        "does not answer, 2 for a wrong option or an unknown command name.\n");
}

QString CCommandLine::VersionText() {
    return QStringLiteral("ravlin " RAVLIN_VERSION "\n");
}

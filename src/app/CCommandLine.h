#pragma once
// The program's command line. It is read before anything else happens: before the single-
// instance check, before the log is opened and before a connection to the display, so that
// `--help`, `--version` and `--list-commands` work anywhere and a bad argument changes nothing.
#include <QString>
#include <QStringList>

class CCommandLine {
public:
    enum class EAction {
        Run,          // start, or bring the running copy forward
        RunCommand,   // run `command` in the running copy, starting one first when none runs
        Help,         // print the usage to standard output
        Version,      // print the version to standard output
        ListCommands, // print the command names to standard output
        Error,        // print `error` to standard error and end with kUsageExitCode
    };

    // The status of a command line that cannot be obeyed, as usual for Linux programs.
    static constexpr int kUsageExitCode = 2;

    // `arguments` without the program's own name.
    static CCommandLine Parse(const QStringList& arguments);

    static QString HelpText();
    static QString VersionText();

    EAction action = EAction::Run;
    QString command; // RunCommand: a name the command table knows
    QString error;   // Error: the whole message, ending in a newline
};

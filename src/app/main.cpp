#include "CCommandLine.h"
#include "CFontWarmUp.h"
#include "CRavlinApp.h"
#include "CommandNames.h"
#include "RunAutostartOption.h"
#include "x11/CX11Display.h"

#include <cstdio>
#include <cstring>

namespace {
void Print(FILE* stream, const QString& text) {
    fputs(text.toLocal8Bit().constData(), stream);
}
} // namespace

int main(int argc, char** argv) {
    // `ravlin --autostart on|off` only writes or removes a file: no display, no running copy.
    if (argc == 3 && std::strcmp(argv[1], "--autostart") == 0) {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout), err(stderr);
        return RunAutostartOption(QString::fromLocal8Bit(argv[2]),
                                  QCoreApplication::applicationFilePath(), out, err);
    }
    // The command line comes first: nothing is opened, locked or connected for a request that
    // only prints, or for an argument that cannot be obeyed.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CCommandLine line = CCommandLine::Parse(arguments);
    switch (line.action) {
    case CCommandLine::EAction::Help:
        Print(stdout, CCommandLine::HelpText());
        return 0;
    case CCommandLine::EAction::Version:
        Print(stdout, CCommandLine::VersionText());
        return 0;
    case CCommandLine::EAction::ListCommands:
        Print(stdout, CommandNames::ListText());
        return 0;
    case CCommandLine::EAction::Error:
        Print(stderr, line.error);
        return CCommandLine::kUsageExitCode;
    case CCommandLine::EAction::Run:
    case CCommandLine::EAction::RunCommand:
        break;
    }

    // Global keys, stacking and click-through need X11, so the program runs on an X display
    // (XWayland on a Wayland desktop) whatever QT_QPA_PLATFORM says: a session that exports
    // "wayland" would otherwise get an overlay with no shortcuts that swallows every click.
    QString why;
    if (!CX11Display::IsReachable(&why)) {
        Print(stderr, "ravlin: " + why + "\nRavlin needs an X11 display (or XWayland).\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");

    const CFontWarmUp fonts;
    CRavlinApp app(argc, argv);
    app.SetStartCommand(line.command);
    if (!app.InitInstance())
        return app.SecondStartExitCode();
    const int result = app.exec();
    return app.ExitInstance(result);
}

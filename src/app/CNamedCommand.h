#pragma once
// Runs a command by its published name (`ravlin --command NAME`, desktop shortcuts) on the
// overlay, the same way the toolbar, the tray or a key would.
#include <QString>

class CMainWindow;

class CNamedCommand {
public:
    // False for a name the command table does not know; a known name whose command has no
    // handler yet does nothing and still counts as run.
    static bool Run(CMainWindow& overlay, const QString& name);
};

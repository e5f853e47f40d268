#pragma once
// `ravlin --autostart on|off`: starting at login through the desktop's autostart folder
// ($XDG_CONFIG_HOME/autostart, by default ~/.config/autostart), as every desktop that follows
// the freedesktop.org autostart rules reads it.
#include <QString>
#include <QTextStream>

// Writes (on) or removes (off) the autostart entry that starts `executablePath`. Says what it
// did on `out` and why it failed on `err`. Returns the exit code: 0 done, 1 the file could not be
// written or removed, 2 a value other than "on" or "off".
int RunAutostartOption(const QString& value, const QString& executablePath, QTextStream& out,
                       QTextStream& err);

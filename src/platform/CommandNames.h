#pragma once
// The readable names of the commands, as `ravlin --command NAME` takes them and desktop
// shortcuts use them. The names are a published interface: users bind them in their desktop's
// keyboard settings, so a name, once out, keeps its meaning.
#include "CommandIds.h"

#include <QString>
#include <optional>
#include <vector>

struct CommandName {
    // What a name runs: a command identifier, or the clipboard copy (Ctrl+C on the overlay),
    // which has no identifier of its own.
    enum class EAction { Command, CopyToClipboard };

    const char* name;
    EAction action;
    CommandId id; // 0 for the clipboard copy
    const char* description;
};

class CommandNames {
public:
    // Every name, in the order `--list-commands` prints them.
    static const std::vector<CommandName>& All();
    // The entry of a name (exact, case-sensitive), or nothing.
    static std::optional<CommandName> Find(const QString& name);
    // The name of a command identifier, or an empty string.
    static QString NameOf(CommandId id);
    // The table as `--list-commands` prints it: one "name  description" line per name.
    static QString ListText();
};

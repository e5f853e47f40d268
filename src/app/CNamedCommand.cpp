#include "CNamedCommand.h"

#include "CMainWindow.h"
#include "CommandNames.h"

bool CNamedCommand::Run(CMainWindow& overlay, const QString& name) {
    const std::optional<CommandName> entry = CommandNames::Find(name);
    if (!entry)
        return false;
    if (entry->action == CommandName::EAction::CopyToClipboard)
        overlay.CopyRegionToClipboard();
    else
        overlay.OnCommand(entry->id);
    return true;
}

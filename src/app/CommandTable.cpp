#include "CommandTable.h"

#include "CMainWindow.h"
#include "CommandIds.h"

void BuildCommandTable(CMainWindow& overlay) {
    CCommandMap& map = overlay.Commands();
    map.On(ID_EXIT, [&overlay] { overlay.OnCmdExit(); });
    map.On(ID_PEN, [&overlay] { overlay.OnCmdPen(); });
    map.On(ID_MOUSE, [&overlay] { overlay.OnCmdMouse(); });
    map.OnRange(ID_DISPLAY_PRIMARY, ID_DISPLAY_EXTENDED_3,
                [&overlay](CommandId id) { overlay.SelectDisplay(id - ID_DISPLAY_PRIMARY); });
}

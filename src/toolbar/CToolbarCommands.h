#pragma once
// What a click on a toolbar button does, by the button's control identifier, and which buttons
// of the record group show in each recording state.
#include "CommandIds.h"

#include <QString>
#include <Qt>
#include <optional>

struct CToolbarAction {
    bool finishTextFirst = false;
    const char* dropDown = nullptr; // the button whose popup choice is sent instead, if any
    CommandId command = 0;          // sent when no popup choice is pending
    bool hideToolbar = false;       // 1013: the toolbar slides away instead
};

class CToolbarCommands {
public:
    // No value for identifiers no button serves (0, 1014, anything unknown).
    static std::optional<CToolbarAction> ForControl(int controlId);
    // Whether the button of this name shows, for a toolbar that is shown (`show`) or a tab.
    static bool IsVisible(const QString& name, bool show, bool recording, bool paused);
    // Ctrl+Z: undo; Ctrl+Shift+Z and Ctrl+Y: redo; 0 for any other key.
    static CommandId ForUndoKey(int key, Qt::KeyboardModifiers modifiers);
    // The page counter's text.
    static QString PageInfo(int index, int count) {
        return QStringLiteral("%1 / %2").arg(index + 1).arg(count);
    }
};

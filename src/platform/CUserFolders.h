#pragma once
#include <QString>

// Folders that belong to the current user alone.
class CUserFolders {
public:
    // The per-user runtime folder for the log and the single-instance socket:
    // $XDG_RUNTIME_DIR/Ravlin/, else <temp>/Ravlin-<uid>/. It is created with mode 0700. A folder
    // that is a symbolic link, is not a directory or is owned by another user is refused — in a
    // shared temporary folder another user could otherwise plant it and read or redirect what
    // we write there. Returns an empty string when no usable folder can be had.
    static QString RuntimeFolder();
};

#pragma once
#include <QString>
#include <QStringList>

// Folders that belong to the current user alone.
class CUserFolders {
public:
    // The per-user runtime folder for the log and the single-instance socket, the first of
    // these that can be had: $XDG_RUNTIME_DIR/Ravlin/, <temp>/Ravlin-<uid>/, and the user's own
    // <cache>/Ravlin-runtime/ (~/.cache unless XDG_CACHE_HOME says otherwise). Each is created
    // with mode 0700. A folder that is a symbolic link, is not a directory or is owned by
    // another user is refused — in a shared temporary folder another user could otherwise
    // plant it and read or redirect what we write there — and the next one is tried, so a
    // planted folder can neither redirect us nor make a second start miss the running copy.
    // Every start tries them in the same order, so all of them agree on the folder.
    //
    // Returns an empty string when none can be had; `refused` then says, one line a folder,
    // why each was refused.
    static QString RuntimeFolder(QStringList* refused = nullptr);
};

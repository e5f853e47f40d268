#pragma once
// Paths of the files that ship with the executable (the Arts folder, the help document),
// written relative to the program's data folder (see AppDataFolder). A backslash separates folders
// just as a slash does, so definition files written with either keep working.
#include <QString>

// The folder that holds the program's files (the Arts folder, the help document), found from
// the executable's folder and nothing compiled in, so that a copy unpacked anywhere works: the
// executable's own folder when the Arts folder is there (the build tree, a portable copy), else
// "../share/ravlin" beside it when that holds them (an installed copy), else the executable's
// folder all the same.
QString AppDataFolder(const QString& executableFolder);
QString AppDataFolder();

// `path` joined to the program's data folder.
QString ResolveAppRelativePath(const QString& path);

// `path` joined to `appFolder`: "\" counts as "/", "." names the folder itself and ".." its
// parent. The result never ends in a separator.
QString ResolveAppRelativePath(const QString& path, const QString& appFolder);

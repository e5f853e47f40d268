#pragma once
// Paths of the files that ship beside the executable (the Arts folder, the help document),
// written relative to the executable's folder. A backslash separates folders just as a slash
// does, so definition files written with either keep working.
#include <QString>

// `path` joined to the executable's folder.
QString ResolveAppRelativePath(const QString& path);

// `path` joined to `appFolder`: "\" counts as "/", "." names the folder itself and ".." its
// parent. The result never ends in a separator.
QString ResolveAppRelativePath(const QString& path, const QString& appFolder);

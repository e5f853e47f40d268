#include "ResolveAppRelativePath.h"

#include <QCoreApplication>
#include <QDir>

QString ResolveAppRelativePath(const QString& path) {
    return ResolveAppRelativePath(path, QCoreApplication::applicationDirPath());
}

QString ResolveAppRelativePath(const QString& path, const QString& appFolder) {
    QString relative = path;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // Always below the folder, even with a leading separator: the path is relative by
    // definition, and a definition file written as "\Arts\..." means the Arts folder here.
    // cleanPath resolves "." and ".." as whole path segments only, so a name such as "v1.\"
    // stays a name.
    return QDir::cleanPath(appFolder + QLatin1Char('/') + relative);
}

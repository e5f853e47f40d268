#include "ResolveAppRelativePath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString AppDataFolder(const QString& executableFolder) {
    const QString installed =
        QDir::cleanPath(executableFolder + QStringLiteral("/../share/ravlin"));
    if (!QFileInfo(executableFolder + QStringLiteral("/Arts")).isDir() &&
        QFileInfo(installed + QStringLiteral("/Arts")).isDir())
        return installed;
    return executableFolder;
}

QString AppDataFolder() {
    return AppDataFolder(QCoreApplication::applicationDirPath());
}

QString ResolveAppRelativePath(const QString& path) {
    return ResolveAppRelativePath(path, AppDataFolder());
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

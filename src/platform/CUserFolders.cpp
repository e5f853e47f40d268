#include "CUserFolders.h"

#include <QDir>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool IsPrivateFolder(const QByteArray& path) {
    struct stat info {};
    if (lstat(path.constData(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode) || info.st_uid != getuid())
        return false;
    if ((info.st_mode & 0077) != 0 && chmod(path.constData(), 0700) != 0)
        return false;
    return true;
}

QString MakePrivateFolder(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    if (mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return IsPrivateFolder(path) ? folder : QString();
}
} // namespace

QString CUserFolders::RuntimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        return MakePrivateFolder(QDir::cleanPath(runtime) + "/Ravlin");
    return MakePrivateFolder(QDir::cleanPath(QDir::tempPath()) +
                             QStringLiteral("/Ravlin-%1").arg(getuid()));
}

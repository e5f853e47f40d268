#include "CUserFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
// Empty when `folder` is ours alone (made so if it was not yet), else why not.
QString RefusalOf(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    if (mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return QString::fromLocal8Bit(std::strerror(errno));
    struct stat info {};
    if (lstat(path.constData(), &info) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("a symbolic link stands in its place");
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("not a folder");
    if (info.st_uid != getuid())
        return QStringLiteral("it belongs to another user");
    if ((info.st_mode & 0077) != 0 && chmod(path.constData(), 0700) != 0)
        return QStringLiteral("it cannot be made private: ") +
               QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

struct CCandidate {
    QString folder;
    bool makeParents = false;
};

std::vector<CCandidate> Candidates() {
    std::vector<CCandidate> folders;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        folders.push_back({QDir::cleanPath(runtime) + "/Ravlin"});
    folders.push_back(
        {QDir::cleanPath(QDir::tempPath()) + QStringLiteral("/Ravlin-%1").arg(getuid())});
    // The last resort lies in the user's home, where nobody else can plant anything; in a fresh
    // home its parent may not exist yet.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cache.isEmpty() && QDir::isAbsolutePath(cache))
        folders.push_back({QDir::cleanPath(cache) + "/Ravlin-runtime", true});
    return folders;
}
} // namespace

QString CUserFolders::RuntimeFolder(QStringList* refused) {
    for (const CCandidate& candidate : Candidates()) {
        if (candidate.makeParents)
            QDir().mkpath(QFileInfo(candidate.folder).path());
        const QString why = RefusalOf(candidate.folder);
        if (why.isEmpty())
            return candidate.folder;
        if (refused)
            *refused << candidate.folder + ": " + why;
    }
    return {};
}

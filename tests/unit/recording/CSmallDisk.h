#pragma once
// A small disk of its own for tests of a full disk: a tmpfs of the given size mounted on a
// temporary folder (tests run as root in CI), unmounted again when it goes. Filling it leaves
// a given number of bytes free, as another program writing to the same disk would.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

class CSmallDisk {
public:
    explicit CSmallDisk(int megabytes) {
        if (!m_folder.isValid()) {
            m_why = "no temporary folder";
            return;
        }
        const QByteArray options = "size=" + QByteArray::number(megabytes) + "m,mode=0700";
        if (::mount("tmpfs", QFile::encodeName(m_folder.path()).constData(), "tmpfs", 0,
                    options.constData()) != 0) {
            m_why = QStringLiteral("a tmpfs cannot be mounted here (%1): run as root")
                        .arg(QString::fromLocal8Bit(strerror(errno)));
            return;
        }
        m_mounted = true;
    }
    ~CSmallDisk() {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_folder.path()).constData(), MNT_DETACH);
    }
    CSmallDisk(const CSmallDisk&) = delete;
    CSmallDisk& operator=(const CSmallDisk&) = delete;

    bool IsMounted() const { return m_mounted; }
    // Why it is not mounted, for the test's skip message.
    QString WhyNot() const { return m_why; }
    QString Path() const { return m_folder.path(); }

    // Writes a filler file until no more than `leaveBytes` are free (0: the disk is full).
    bool Fill(qint64 leaveBytes = 0) {
        QFile filler(m_folder.path() + QStringLiteral("/filler%1").arg(m_fillers++));
        if (!filler.open(QIODevice::WriteOnly))
            return false;
        const QByteArray block(64 * 1024, 'x');
        for (;;) {
            const qint64 free = FreeBytes();
            if (free <= leaveBytes)
                break;
            const qint64 n = std::min<qint64>(block.size(), free - leaveBytes);
            if (filler.write(block.constData(), n) != n || !filler.flush())
                break;
        }
        filler.close();
        return FreeBytes() <= std::max<qint64>(leaveBytes, 0) + 4096;
    }
    qint64 FreeBytes() const {
        struct statvfs disk {};
        if (statvfs(QFile::encodeName(m_folder.path()).constData(), &disk) != 0)
            return -1;
        return qint64(disk.f_bavail) * qint64(disk.f_frsize);
    }

private:
    QTemporaryDir m_folder;
    bool m_mounted = false;
    QString m_why;
    int m_fillers = 0;
};

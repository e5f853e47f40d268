#include "CDiskSpaceWatch.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <sys/statvfs.h>

namespace {
// The pace of the file's growth is measured over this much of its recent past.
constexpr qint64 kPaceWindowMs = 2000;
} // namespace

CDiskSpaceWatch::CDiskSpaceWatch(const QString& path, Clock clockMs, FreeBytesProbe free)
    : m_path(path), m_clockMs(std::move(clockMs)), m_free(std::move(free)) {
    if (!m_clockMs) {
        m_clockMs = [] {
            static QElapsedTimer since = [] {
                QElapsedTimer timer;
                timer.start();
                return timer;
            }();
            return since.elapsed();
        };
    }
    if (!m_free)
        m_free = &CDiskSpaceWatch::FreeBytes;
}

qint64 CDiskSpaceWatch::FreeBytes(const QString& path) {
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    struct statvfs disk {};
    if (statvfs(folder.constData(), &disk) != 0)
        return -1;
    return qint64(disk.f_bavail) * qint64(disk.f_frsize);
}

QString CDiskSpaceWatch::SizeText(qint64 bytes) {
    if (bytes < (1 << 20))
        return QStringLiteral("%1 KB").arg(bytes / 1024);
    return QStringLiteral("%1 MB").arg(double(bytes) / (1 << 20), 0, 'f', 1);
}

bool CDiskSpaceWatch::HasRoomToStart(const QString& path, QString* cause, qint64 freeBytes) {
    const qint64 free = freeBytes == -2 ? FreeBytes(path) : freeBytes;
    // A disk that cannot be asked is left to the writer, which says what goes wrong.
    if (free < 0 || free >= kMinimumStartBytes)
        return true;
    if (cause)
        *cause = QStringLiteral("The disk is full: %1 free in \"%2\".")
                     .arg(SizeText(free), QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    return false;
}

bool CDiskSpaceWatch::IsRunningOut() {
    const qint64 now = m_clockMs();
    const qint64 size = QFileInfo(m_path).size();
    m_samples.push_back({now, size});
    while (m_samples.size() > 2 && now - m_samples[1].ms >= kPaceWindowMs)
        m_samples.pop_front();
    m_lastFree = m_free(m_path);
    if (m_lastFree < 0)
        return false;
    const Sample& oldest = m_samples.front();
    const qint64 spanMs = now - oldest.ms;
    const qint64 grown = std::max<qint64>(0, size - oldest.size);
    const qint64 lead = spanMs > 0 ? grown * kLeadMs / spanMs : 0;
    return m_lastFree < kReserveBytes + lead;
}

QString CDiskSpaceWatch::RunningOutText() const {
    return QStringLiteral("The recording stopped: the disk is full (%1 left in \"%2\").")
        .arg(SizeText(std::max<qint64>(0, m_lastFree)),
             QDir::toNativeSeparators(QFileInfo(m_path).absolutePath()));
}

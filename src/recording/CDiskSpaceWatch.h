#pragma once
// The room left on the disk a recording is written to. A recording is not started on a disk
// that is all but full, and one in progress is stopped while its file can still be finished:
// a writer that runs into a full disk can no longer finish its file, and how much of such a
// file plays depends on the container.
//
// User-interface thread only.
#include <QString>
#include <QtGlobal>
#include <deque>
#include <functional>

class CDiskSpaceWatch {
public:
    // Milliseconds on a monotonic clock (tests step their own).
    using Clock = std::function<qint64()>;
    // Reports what is free where the file is (tests give their own).
    using FreeBytesProbe = std::function<qint64(const QString& path)>;

    explicit CDiskSpaceWatch(const QString& path, Clock clockMs = {}, FreeBytesProbe free = {});

    // Bytes free for this user on the disk that holds `path` (the folder it is in), or -1 when
    // that cannot be told.
    static qint64 FreeBytes(const QString& path);
    // Before a recording: false, with a sentence for the user, when the disk that would hold
    // `path` has less than kMinimumStartBytes free.
    static bool HasRoomToStart(const QString& path, QString* cause, qint64 freeBytes = -2);

    // During the recording, several times a second: true once what is left would not hold
    // the file's next few seconds (at the pace it has been growing) and its end.
    bool IsRunningOut();
    qint64 LastFreeBytes() const { return m_lastFree; }
    // The sentence for the user once it runs out.
    QString RunningOutText() const;

    static constexpr qint64 kMinimumStartBytes = 4 << 20;
    // Kept in hand for what the writer puts at the end of the file, and for what the encoders
    // and the writer still hold when the recording stops.
    static constexpr qint64 kReserveBytes = 1 << 20;
    // The file's growth over this much time is kept in hand as well.
    static constexpr qint64 kLeadMs = 3000;

    // "12.3 MB", "512 KB".
    static QString SizeText(qint64 bytes);

private:
    QString m_path;
    Clock m_clockMs;
    FreeBytesProbe m_free;
    // The file's size at recent calls, oldest first, with the time of each.
    struct Sample {
        qint64 ms;
        qint64 size;
    };
    std::deque<Sample> m_samples;
    qint64 m_lastFree = -1;
};

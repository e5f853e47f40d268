#pragma once
// The end of the last packet of a recorded stream ("v" or "a"), in seconds, as ffprobe reads
// it: ASF states one duration for the whole file, so a stream's own length shows only in its
// packets.
#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <algorithm>

inline double StreamEndSeconds(const QString& path, const char* stream) {
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-select_streams", stream, "-show_entries",
                              "packet=pts_time,duration_time", "-of", "csv=p=0", path});
    ffprobe.waitForFinished(60000);
    double end = 0;
    for (const QByteArray& line : ffprobe.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split(',');
        if (fields.size() >= 2)
            end = std::max(end, fields[0].toDouble() + fields[1].toDouble());
    }
    return end;
}

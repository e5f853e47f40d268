#include "RecordingSteps.h"

#include "E2eSession.h"

#include <QElapsedTimer>

void RecordFor(int ms) {
    QElapsedTimer timer;
    timer.start();
    WaitFor([&] { return timer.elapsed() >= ms; }, ms + 1000);
}

bool WaitForWindow(const QString& title, QString* id) {
    return WaitFor([&] {
        *id = FindWindows("^" + title + "$").value(0);
        return !id->isEmpty();
    });
}

bool SaveAs(const QString& path) {
    QString dialog;
    if (!WaitForWindow("Save As", &dialog))
        return false;
    Xdotool({"windowfocus", "--sync", dialog});
    Xdotool({"key", "ctrl+a"});
    Xdotool({"type", "--delay", "5", path});
    Xdotool({"key", "Return"});
    return WaitFor([&] { return FindWindows("^Save As$").isEmpty(); });
}

QString Probe(const QString& path, const QString& entries) {
    return QString::fromUtf8(g_session->Run("ffprobe", {"-v", "error", "-show_entries", entries,
                                                        "-of", "default=nw=1:nk=1", path}))
        .trimmed();
}

bool IsFinished(const QString& path) {
    return Probe(path, "format=duration").toDouble() > 0.5;
}

QImage LastFrame(const QString& movie) {
    const QString png = movie + ".last.png";
    // Every frame of the last two seconds overwrites the picture, so it ends as the last frame
    // the file holds, however the frames fall near its end.
    g_session->Run("ffmpeg",
                   {"-v", "error", "-y", "-sseof", "-2", "-i", movie, "-update", "1", png});
    return QImage(png);
}

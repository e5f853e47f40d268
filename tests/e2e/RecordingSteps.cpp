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
    g_session->Run("ffmpeg",
                   {"-v", "error", "-y", "-sseof", "-0.3", "-i", movie, "-frames:v", "1", png});
    return QImage(png);
}

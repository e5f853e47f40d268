#pragma once
// Steps shared by the tests that make a recording with the real program: letting it run,
// answering its Save As dialog, and reading the file back with ffprobe and ffmpeg.
#include <QImage>
#include <QString>

// Lets a recording run on; the events of the test keep being handled meanwhile.
void RecordFor(int ms);
// Waits for a visible window titled exactly `title`; its id goes to `id`.
bool WaitForWindow(const QString& title, QString* id);
// Types `path` into the program's Save As dialog and accepts it; true once the dialog is gone.
bool SaveAs(const QString& path);
// ffprobe's values for `entries` (such as "stream=width"), one a line.
QString Probe(const QString& path, const QString& entries);
// A finished file states its duration in its header.
bool IsFinished(const QString& path);
// The picture shown 0.3 s before the end of the movie (null when none could be decoded).
QImage LastFrame(const QString& movie);

#pragma once
// The three encoding profiles (High, Medium, Low) kept as templates in the resources, the
// profile file they are written to before each use, and the reader that turns that file back
// into encoder settings.
#include "RecordingProfile.h"

#include <QSize>
#include <QString>

class CRecordingProfiles {
public:
    // The template's resource number for a quality preset: 1 is Medium (187), 2 is Low (186),
    // every other value is High (162).
    static int TemplateResource(int qualityPreset);
    // The template's text, without its byte-order mark and its closing NUL.
    static QString TemplateText(int qualityPreset);
    // The template with "{width}" and "{height}" replaced by the frame size.
    static QString FillTemplate(int qualityPreset, const QSize& frameSize);

    // Where the profile file lives: "wmv.prx" in the per-user data folder "Norvane/Ravlin/".
    static QString ProfileFilePath();
    // Writes the filled template as UTF-16LE without byte-order mark or NUL, replacing the file.
    // The frame size must be the size of the frames the recording will carry. False when the
    // folder or the file cannot be written, with the reason in `error` when given.
    static bool WriteProfileFile(const QString& path, int qualityPreset, const QSize& frameSize,
                                 QString* error = nullptr);
    // Reads a profile file back (its text ends at the file's end, as if a NUL followed) and
    // parses it; without a sound device the sound stream is removed. Nothing when the file
    // cannot be read or holds no usable picture stream.
    static std::optional<RecordingProfile> LoadRecordingProfile(const QString& path, bool hasAudio);
    // The parser behind it, for text already in memory. The preset is the one whose template,
    // filled with the picture's size, is the text.
    static std::optional<RecordingProfile> ParseProfile(const QString& text);
};

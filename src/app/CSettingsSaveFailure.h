#pragma once
// A settings file that could not be written at exit. By then the windows are gone (and at a
// logout nobody would read a message), so the failure is written to standard error at once and
// left as a note for the next start, which tells the user once.
#include <QString>
#include <optional>

class CSettingsSaveFailure {
public:
    // `noteFolder` empty: the program's folder in the user's data location. The note must not
    // live beside the settings file: that folder is the one that just refused a write.
    explicit CSettingsSaveFailure(const QString& noteFolder = {});

    // Records that `settingsPath` could not be written.
    void Remember(const QString& settingsPath) const;
    // The message for the user about a failure at the last exit, once: the note is removed.
    std::optional<QString> Take() const;

    static QString MessageFor(const QString& settingsPath);

private:
    QString NotePath() const;
    QString m_folder;
};

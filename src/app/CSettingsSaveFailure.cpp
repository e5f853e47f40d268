#include "CSettingsSaveFailure.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cstdio>

namespace {
constexpr const char* kNoteName = "settings-not-saved";
}

CSettingsSaveFailure::CSettingsSaveFailure(const QString& noteFolder) : m_folder(noteFolder) {
    if (m_folder.isEmpty())
        m_folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                   "/Norvane/Ravlin";
}

QString CSettingsSaveFailure::NotePath() const {
    return m_folder + "/" + kNoteName;
}

QString CSettingsSaveFailure::MessageFor(const QString& settingsPath) {
    return QString("Ravlin could not save its settings when it last ended: the file %1 could not "
                   "be written.\n\nThe shortcuts changed in that session are lost; the settings "
                   "saved before were kept. Check that the folder exists and can be written.")
        .arg(QDir::toNativeSeparators(settingsPath));
}

void CSettingsSaveFailure::Remember(const QString& settingsPath) const {
    fprintf(stderr, "ravlin: the settings could not be saved to %s\n",
            QFile::encodeName(settingsPath).constData());
    QDir().mkpath(m_folder);
    QFile note(NotePath());
    if (!note.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        note.write(settingsPath.toUtf8()) < 0 || !note.flush())
        fprintf(stderr, "ravlin: nor could a note of it be left in %s\n",
                QFile::encodeName(m_folder).constData());
}

std::optional<QString> CSettingsSaveFailure::Take() const {
    QFile note(NotePath());
    if (!note.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString settingsPath = QString::fromUtf8(note.readAll());
    note.close();
    // Told once: a note that cannot be removed would otherwise repeat the message at every
    // start, so an empty one replaces it when removal fails.
    if (!note.remove() && note.open(QIODevice::WriteOnly | QIODevice::Truncate))
        note.close();
    if (settingsPath.isEmpty())
        return std::nullopt;
    return MessageFor(settingsPath);
}

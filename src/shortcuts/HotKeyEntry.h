#pragma once
#include <QString>
#include <QtGlobal>

// Modifier flags as the shortcut settings store them (the hot-key control's encoding).
constexpr quint16 HOTKEYF_SHIFT = 0x01;
constexpr quint16 HOTKEYF_CONTROL = 0x02;
constexpr quint16 HOTKEYF_ALT = 0x04;
constexpr quint16 HOTKEYF_EXT = 0x08;

// One global shortcut.
struct HotKeyEntry {
    quint16 code = 0;      // virtual-key code; 0: no key, never registered
    quint16 modifiers = 0; // HOTKEYF_* flags
    qint32 valid = 0;      // non-zero while registered
    QString keyText;       // names the combination to the user; stored with the settings
    QString label;         // caption in the list of shortcuts that could not be had
    quint16 atom = 0;      // identifier of the current registration; 0 when none
    qint32 controlId = 0;  // the Preferences control that edits this entry
};

#pragma once
// The shortcuts in the user's settings: key code, modifiers and key text of every entry, in the
// groups "Codes", "Modifiers" and "Names".
class HotKeyTable;
class QSettings;

class CHotKeySettings {
public:
    // Overwrites code, modifiers and key text of every entry from the settings. A value that is
    // missing — or damaged: not a number, a code outside 0–254, modifiers outside 0–15 — keeps
    // what the entry holds.
    static void Load(HotKeyTable& table, QSettings& settings);
    // Writes all three values of every entry, changed or not. False when the file could not be
    // written; the file as it was before then stays (the settings are written to a new file
    // that replaces the old one only once complete).
    static bool Save(const HotKeyTable& table, QSettings& settings);
};

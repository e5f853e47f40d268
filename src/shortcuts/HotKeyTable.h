#pragma once
// The ten global shortcuts: an ordered map from the shortcut's name to its entry, and their
// registration with the display server. Every walk goes in name order ("clear", "cursor",
// "eraser", "highlighter", "pause", "pen", "record", "save", "text", "toolbar").
#include "CHotKeyAtoms.h"
#include "CommandIds.h"
#include "HotKeyEntry.h"

#include <functional>
#include <map>

class IGlobalKeys;

class HotKeyTable {
public:
    using Map = std::map<QString, HotKeyEntry>; // QString orders by UTF-16 code units
    using Clock = std::function<quint32()>;

    explicit HotKeyTable(IGlobalKeys& keys, Clock clock = {});
    ~HotKeyTable();
    HotKeyTable(const HotKeyTable&) = delete;
    HotKeyTable& operator=(const HotKeyTable&) = delete;

    // Lookup by name inserts an empty entry when the name is missing.
    HotKeyEntry& operator[](const QString& name) { return m_entries[name]; }
    const Map& Entries() const { return m_entries; }
    Map& Entries() { return m_entries; }

    void BuildDefaultHotKeys();
    void RegisterHotKeys();
    void UnregisterHotKeys();
    // Traces, then unregisters and registers again.
    void DoUpdateHotKeys();

    // The name of the entry registered under `atom`, or empty.
    QString NameOfAtom(quint16 atom) const;
    // The command a shortcut runs; 0 for "toolbar", which the overlay toggles itself.
    static CommandId CommandOf(const QString& name);
    // HOTKEYF_* flags to the MOD_* flags of a registration (the extended-key flag is dropped).
    static unsigned RegistrationModifiers(quint16 hotKeyFlags);

    CHotKeyAtoms& Atoms() { return m_atoms; }

private:
    void Release(HotKeyEntry& entry, bool trace);

    IGlobalKeys& m_keys;
    Clock m_clock;
    CHotKeyAtoms m_atoms;
    Map m_entries;
};

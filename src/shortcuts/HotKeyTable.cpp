#include "HotKeyTable.h"

#include "CMonotonicClock.h"
#include "IGlobalKeys.h"
#include "Trace.h"

namespace {
struct CDefaultRow {
    const char* name;
    quint16 code;
    quint16 modifiers;
    const char* keyText;
    const char* label; // the caption of its row in the Preferences
    qint32 controlId;
    CommandId command;
};

// In the order the defaults are written. F6 and F9 stand alone; the rest are Shift+Alt.
constexpr CDefaultRow kDefaults[] = {
    {"toolbar", 0x75, 0, "F6", "Show/Hide Toolbar", 1002, 0},
    {"save", 0x53, 0x05, "", "Save Screenshot", 1011, ID_SAVE},
    {"pen", 0x50, 0x05, "", "Select Pen", 1004, ID_PEN},
    {"highlighter", 0x48, 0x05, "", "Select Highlighter", 1008, ID_MARKER},
    {"text", 0x54, 0x05, "", "Select Text", 1010, ID_TEXT},
    {"eraser", 0x45, 0x05, "", "Select Eraser", 1009, ID_ERASER},
    {"cursor", 0x43, 0x05, "", "Select Cursor", 1007, ID_MOUSE},
    {"clear", 0x58, 0x05, "", "Clear Page", 1012, ID_CLEAR},
    {"record", 0x52, 0x05, "", "Start/Stop Recording", 1003, ID_RECORD},
    // "None" although the key is F9: the text stays until the user confirms the Preferences.
    {"pause", 0x78, 0, "None", "Pause/Resume Recording", 1005, ID_PAUSE},
};
} // namespace

HotKeyTable::HotKeyTable(IGlobalKeys& keys, Clock clock)
    : m_keys(keys), m_clock(clock ? std::move(clock) : Clock(&CMonotonicClock::NowMs)) {}

HotKeyTable::~HotKeyTable() {
    for (auto& [name, entry] : m_entries)
        Release(entry, false);
}

void HotKeyTable::BuildDefaultHotKeys() {
    for (const CDefaultRow& row : kDefaults) {
        HotKeyEntry& entry = (*this)[QString::fromLatin1(row.name)];
        entry = HotKeyEntry{row.code,
                            row.modifiers,
                            0,
                            QString::fromLatin1(row.keyText),
                            QString::fromLatin1(row.label),
                            0,
                            row.controlId};
    }
}

unsigned HotKeyTable::RegistrationModifiers(quint16 flags) {
    unsigned result = 0;
    if (flags & HOTKEYF_SHIFT)
        result |= IGlobalKeys::kModShift;
    if (flags & HOTKEYF_CONTROL)
        result |= IGlobalKeys::kModControl;
    if (flags & HOTKEYF_ALT)
        result |= IGlobalKeys::kModAlt;
    return result;
}

void HotKeyTable::RegisterHotKeys() {
    for (auto& [name, entry] : m_entries) {
        if (entry.code == 0)
            continue;
        const QString atomName =
            QStringLiteral("NorvaneGhostKey%1%2").arg(name).arg(static_cast<qint32>(m_clock()));
        entry.atom = m_atoms.Add(atomName);
        // Without an identifier the key could never be told apart: leave it unregistered.
        entry.valid =
            entry.atom != 0 &&
            m_keys.RegisterNamedHotKey(entry.atom, name, entry.label,
                                       RegistrationModifiers(entry.modifiers), entry.code);
    }
}

void HotKeyTable::Release(HotKeyEntry& entry, bool trace) {
    if (trace)
        Trace("Unregister hotkey code%d atom %d valid = %d\n", entry.code, entry.atom, entry.valid);
    if (entry.atom == 0)
        return;
    const int result = m_keys.UnregisterHotKey(entry.atom) ? 1 : 0;
    if (trace)
        Trace("Unregister hotkey %d res = %d\n", entry.atom, result);
    m_atoms.Delete(entry.atom);
    entry.valid = 0;
    entry.atom = 0;
}

void HotKeyTable::UnregisterHotKeys() {
    for (auto& [name, entry] : m_entries)
        Release(entry, true);
}

void HotKeyTable::DoUpdateHotKeys() {
    Trace("DoUpdateHotKeys");
    UnregisterHotKeys();
    RegisterHotKeys();
}

QString HotKeyTable::NameOfAtom(quint16 atom) const {
    if (atom == 0)
        return {};
    for (const auto& [name, entry] : m_entries)
        if (entry.atom == atom)
            return name;
    return {};
}

CommandId HotKeyTable::CommandOf(const QString& name) {
    for (const CDefaultRow& row : kDefaults)
        if (name == QLatin1String(row.name))
            return row.command;
    return 0;
}

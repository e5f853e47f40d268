#pragma once
// System-wide shortcuts: a key combination that reaches the program whichever window has the
// focus. Keys are virtual-key codes and modifiers MOD_* flags, the format the shortcut table
// stores; the implementation translates them for the display server.
#include <QString>
#include <functional>

class IGlobalKeys {
public:
    static constexpr unsigned kModAlt = 0x0001;
    static constexpr unsigned kModControl = 0x0002;
    static constexpr unsigned kModShift = 0x0004;

    virtual ~IGlobalKeys() = default;
    // False when the combination cannot be had: another program holds it, this program holds it
    // under another identifier already, or the key does not exist on this keyboard.
    virtual bool RegisterHotKey(int id, unsigned modifiers, unsigned virtualKey) = 0;
    // The same with the shortcut's stable name and what it does, for a desktop that keeps
    // shortcuts by name and shows them to the user; plain key grabs need neither.
    virtual bool RegisterNamedHotKey(int id, const QString& name, const QString& description,
                                     unsigned modifiers, unsigned virtualKey) {
        (void)name;
        (void)description;
        return RegisterHotKey(id, modifiers, virtualKey);
    }
    virtual bool UnregisterHotKey(int id) = 0;
    // Called on the user-interface thread with the identifier of a pressed combination.
    virtual void SetHotKeyHandler(std::function<void(int id)> handler) = 0;
    // The key's name as the keyboard layout prints it (for keys whose name depends on the
    // layout); empty when the layout gives none.
    virtual QString LayoutKeyName(unsigned virtualKey) const = 0;
    // Where the desktop itself owns the keys (and the user changes them in its settings): a
    // note for the Preferences saying so, with the keys it bound. Empty for plain key grabs.
    virtual QString DesktopShortcutsNote() const { return {}; }
};

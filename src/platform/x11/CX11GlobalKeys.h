#pragma once
#include "IGlobalKeys.h"

#include <QObject>
#include <vector>
#include <xcb/xcb.h>

struct _XCBKeySymbols;
class QSocketNotifier;

// Global shortcuts as passive key grabs on the root window, on a connection of our own so that
// the grabbed presses never pass through Qt's event handling. Each combination is grabbed once
// for every state of CapsLock and NumLock, so the locks never stop a shortcut.
class CX11GlobalKeys : public QObject, public IGlobalKeys {
public:
    CX11GlobalKeys();
    ~CX11GlobalKeys() override;

    bool IsAvailable() const { return m_connection != nullptr; }

    bool RegisterHotKey(int id, unsigned modifiers, unsigned virtualKey) override;
    bool UnregisterHotKey(int id) override;
    void SetHotKeyHandler(std::function<void(int id)> handler) override;
    QString LayoutKeyName(unsigned virtualKey) const override;

private:
    struct CGrab {
        int id;
        xcb_keycode_t keycode;
        uint16_t mask;
    };
    void ReadEvents();
    void LoadModifierMasks();
    xcb_keycode_t KeycodeOf(unsigned virtualKey) const;
    std::vector<uint16_t> LockVariants() const;
    void Ungrab(const CGrab& grab);

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    _XCBKeySymbols* m_symbols = nullptr;
    uint16_t m_altMask = XCB_MOD_MASK_1;
    uint16_t m_numLockMask = XCB_MOD_MASK_2;
    std::vector<CGrab> m_grabs;
    QSocketNotifier* m_notifier = nullptr;
    std::function<void(int)> m_onHotKey;
};

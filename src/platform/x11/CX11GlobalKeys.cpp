#include "CX11GlobalKeys.h"

#include "VirtualKeys.h"
#include "XcbHandles.h"

#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <xcb/xcb_keysyms.h>

#define XK_MISCELLANY
#define XK_LATIN1
#include <X11/keysymdef.h>

CX11GlobalKeys::CX11GlobalKeys() {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    m_connection = connection;
    auto it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    m_root = it.data->root;
    m_symbols = xcb_key_symbols_alloc(m_connection);
    LoadModifierMasks();
    m_notifier =
        new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CX11GlobalKeys::ReadEvents);
}

CX11GlobalKeys::~CX11GlobalKeys() {
    delete m_notifier;
    if (!m_connection)
        return;
    for (const CGrab& grab : m_grabs)
        Ungrab(grab);
    xcb_flush(m_connection);
    if (m_symbols)
        xcb_key_symbols_free(m_symbols);
    xcb_disconnect(m_connection);
}

void CX11GlobalKeys::LoadModifierMasks() {
    // Which modifier bit carries Alt and which NumLock depends on the keyboard map.
    XcbReply<xcb_get_modifier_mapping_reply_t> map(xcb_get_modifier_mapping_reply(
        m_connection, xcb_get_modifier_mapping(m_connection), nullptr));
    if (!map)
        return;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(map.get());
    const int perModifier = map->keycodes_per_modifier;
    auto maskOf = [&](xcb_keysym_t keysym, uint16_t fallback) -> uint16_t {
        xcb_keycode_t* wanted = xcb_key_symbols_get_keycode(m_symbols, keysym);
        if (!wanted)
            return fallback;
        uint16_t mask = fallback;
        for (int modifier = 0; modifier < 8; ++modifier)
            for (int k = 0; k < perModifier; ++k) {
                const xcb_keycode_t code = codes[modifier * perModifier + k];
                for (xcb_keycode_t* w = wanted; code && *w != XCB_NO_SYMBOL; ++w)
                    if (*w == code)
                        mask = static_cast<uint16_t>(1u << modifier);
            }
        free(wanted);
        return mask;
    };
    m_altMask = maskOf(XK_Alt_L, XCB_MOD_MASK_1);
    m_numLockMask = maskOf(XK_Num_Lock, XCB_MOD_MASK_2);
}

std::vector<uint16_t> CX11GlobalKeys::LockVariants() const {
    return {0, XCB_MOD_MASK_LOCK, m_numLockMask,
            static_cast<uint16_t>(XCB_MOD_MASK_LOCK | m_numLockMask)};
}

xcb_keycode_t CX11GlobalKeys::KeycodeOf(unsigned virtualKey) const {
    const xcb_keysym_t keysym = VirtualKeyToKeysym(virtualKey);
    if (!keysym || !m_symbols)
        return 0;
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(m_symbols, keysym);
    if (!codes)
        return 0;
    const xcb_keycode_t first = codes[0] == XCB_NO_SYMBOL ? 0 : codes[0];
    free(codes);
    return first;
}

bool CX11GlobalKeys::RegisterHotKey(int id, unsigned modifiers, unsigned virtualKey) {
    if (!m_connection)
        return false;
    const xcb_keycode_t keycode = KeycodeOf(virtualKey);
    if (!keycode)
        return false;
    uint16_t mask = 0;
    if (modifiers & kModShift)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & kModControl)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & kModAlt)
        mask |= m_altMask;
    // A second grab of the same keys by the same client would succeed silently in X11; the
    // combination belongs to whoever took it first.
    for (const CGrab& grab : m_grabs)
        if (grab.id == id || (grab.keycode == keycode && grab.mask == mask))
            return false;

    std::vector<xcb_void_cookie_t> cookies;
    for (uint16_t locks : LockVariants())
        cookies.push_back(xcb_grab_key_checked(m_connection, 1, m_root, mask | locks, keycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    bool granted = true;
    // Another client's grab of the same combination shows as BadAccess, here and now.
    for (xcb_void_cookie_t cookie : cookies)
        if (XcbReply<xcb_generic_error_t> error{xcb_request_check(m_connection, cookie)})
            granted = false;
    const CGrab grab{id, keycode, mask};
    if (!granted) {
        Ungrab(grab); // the variants that were granted
        xcb_flush(m_connection);
        return false;
    }
    m_grabs.push_back(grab);
    return true;
}

void CX11GlobalKeys::Ungrab(const CGrab& grab) {
    for (uint16_t locks : LockVariants())
        xcb_ungrab_key(m_connection, grab.keycode, m_root, grab.mask | locks);
}

bool CX11GlobalKeys::UnregisterHotKey(int id) {
    auto it = std::find_if(m_grabs.begin(), m_grabs.end(),
                           [id](const CGrab& grab) { return grab.id == id; });
    if (it == m_grabs.end())
        return false;
    Ungrab(*it);
    xcb_flush(m_connection);
    m_grabs.erase(it);
    return true;
}

void CX11GlobalKeys::SetHotKeyHandler(std::function<void(int)> handler) {
    m_onHotKey = std::move(handler);
}

void CX11GlobalKeys::ReadEvents() {
    while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(m_connection)}) {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_MAPPING_NOTIFY) {
            xcb_refresh_keyboard_mapping(
                m_symbols, reinterpret_cast<xcb_mapping_notify_event_t*>(event.get()));
            continue;
        }
        if (type != XCB_KEY_PRESS)
            continue;
        const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event.get());
        const uint16_t relevant = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | m_altMask;
        for (const CGrab& grab : m_grabs) {
            if (grab.keycode == press->detail && (press->state & relevant) == grab.mask) {
                // Posted: the action may open a modal dialog, whose event loop would otherwise
                // run inside this reader.
                const int id = grab.id;
                QTimer::singleShot(0, this, [this, id] {
                    if (m_onHotKey)
                        m_onHotKey(id);
                });
                break;
            }
        }
    }
    if (xcb_connection_has_error(m_connection))
        m_notifier->setEnabled(false);
}

QString CX11GlobalKeys::LayoutKeyName(unsigned virtualKey) const {
    const xcb_keycode_t keycode = KeycodeOf(virtualKey);
    if (!keycode)
        return {};
    const xcb_keysym_t keysym = xcb_key_symbols_get_keysym(m_symbols, keycode, 0);
    // Latin-1 keysyms are their own character codes.
    if ((keysym >= 0x21 && keysym <= 0x7e) || (keysym >= 0xa1 && keysym <= 0xff))
        return QString(QChar(static_cast<char16_t>(keysym))).toUpper();
    return {};
}

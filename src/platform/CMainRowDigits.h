#pragma once
// Keys 1 to 4 of the main keyboard row, by their place on the keyboard rather than by the
// character the layout gives them: on AZERTY that row types "&é\"'" unshifted, yet these are
// the keys users press for the tools. The keypad's digits do not count.
#include <Qt>
#include <QtGlobal>

class CMainRowDigits {
public:
    // X11 key codes (evdev) of the main row's keys 1 to 4.
    static constexpr quint32 kFirstKeyCode = 10;
    static constexpr quint32 kLastKeyCode = 13;

    // 1 to 4 for those keys, else 0. `nativeScanCode` is the X key code; 0 means the event came
    // from no keyboard (a synthesised event, a platform without key codes), and then the
    // character decides.
    static int Digit(int key, quint32 nativeScanCode, Qt::KeyboardModifiers modifiers);
};

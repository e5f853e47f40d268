#pragma once
// Virtual-key codes, the key format the shortcut settings store, and their X11 keysyms.
#include <cstdint>

// The keysym of a virtual-key code, or 0 when the code names no key we can grab.
std::uint32_t VirtualKeyToKeysym(unsigned virtualKey);

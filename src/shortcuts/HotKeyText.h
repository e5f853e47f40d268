#pragma once
#include <QString>

class IGlobalKeys;

// The text that names a combination to the user: the held modifiers in the order Ctrl, Shift,
// Alt, each followed by " + ", then the key's name ("Ctrl + Shift + X", "F6"). Keys whose name
// depends on the keyboard layout take it from `layout` when it gives one. Code 0 is "None".
QString HotKeyText(quint16 code, quint16 modifiers, const IGlobalKeys* layout = nullptr);

// A settings file as a user's editor may leave it: whatever it holds, every shortcut ends with
// a key code of 0–254 and modifiers of 0–15.
#include "CFakeGlobalKeys.h"
#include "CHotKeySettings.h"
#include "FuzzSupport.h"
#include "HotKeyTable.h"

#include <QSettings>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = WriteFuzzInput(data, size, "Ravlin.conf");
    if (path.isEmpty())
        return 0;
    CFakeGlobalKeys keys;
    HotKeyTable table(keys);
    table.BuildDefaultHotKeys();
    QSettings settings(path, QSettings::IniFormat);
    CHotKeySettings::Load(table, settings);
    for (const auto& [entryName, entry] : table.Entries())
        if (entry.code > 254 || entry.modifiers > 15)
            __builtin_trap();
    return 0;
}

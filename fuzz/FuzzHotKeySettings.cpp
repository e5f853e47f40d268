// A settings file as a user's editor may leave it: whatever it holds, every shortcut ends with
// a key code of 0–254 and modifiers of 0–15.
#include "CFakeGlobalKeys.h"
#include "CHotKeySettings.h"
#include "HotKeyTable.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir dir;
    const QString path = dir.path() + "/Ravlin.conf";
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
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

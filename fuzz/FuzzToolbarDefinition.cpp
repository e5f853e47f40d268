// The toolbar definition file: whatever it holds, reading it and both of its layouts neither
// crashes nor hangs, and the toolbar still comes up.
#include "CFakeDialogs.h"
#include "CToolbarDefinition.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir dir;
    const QString path = dir.path() + "/toolbar.xml";
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    CFakeDialogs dialogs;
    CToolbarDefinition definition(dialogs, path, dir.path());
    for (bool vertical : {false, true}) {
        int width = 0, height = 0;
        definition.GetToolbarSize(vertical, &width, &height);
        if (const auto list = definition.ReadButtonList(vertical))
            for (const CButtonDefinition& button : list->buttons)
                (void)button.name.size();
    }
    if (const auto buttons = definition.LoadToolbar())
        for (const auto& [buttonName, index] : buttons->byName)
            if (index >= buttons->buttons.size())
                __builtin_trap(); // the name map points at a button that exists
    return 0;
}

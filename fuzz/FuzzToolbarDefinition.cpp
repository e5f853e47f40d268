// The toolbar definition file: whatever it holds, reading it and both of its layouts neither
// crashes nor hangs, and the toolbar still comes up.
#include "CFakeDialogs.h"
#include "FuzzSupport.h"

#include "CToolbarDefinition.h"
#include <QFileInfo>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = WriteFuzzInput(data, size, "toolbar.xml");
    if (path.isEmpty())
        return 0;
    CFakeDialogs dialogs;
    CToolbarDefinition definition(dialogs, path, QFileInfo(path).path());
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

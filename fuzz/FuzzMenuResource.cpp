// Menu data: any bytes must give a menu (maybe empty), never a crash.
#include "CMenuResource.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CMenuResource menu = CMenuResource::FromJson(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    for (const CMenuPopup& popup : menu.Popups())
        if (menu.FindPopupByCaption(popup.caption) == nullptr)
            __builtin_trap(); // a popup must be found by its own caption
    return 0;
}

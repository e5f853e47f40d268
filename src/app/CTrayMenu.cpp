#include "CTrayMenu.h"

#include <algorithm>

namespace {
CMenuItem* FindItem(std::vector<CMenuItem>& items, CommandId id) {
    for (CMenuItem& item : items)
        if (!item.separator && !item.IsPopup() && item.id == id)
            return &item;
    return nullptr;
}

void CheckOnly(std::vector<CMenuItem>& items, CommandId id) {
    for (CMenuItem& item : items)
        item.checked = !item.separator && item.id == id;
}
} // namespace

CMenuPopup CTrayMenu::Build(const CMenuResource& resource, const CTrayMenuState& state) {
    if (resource.Popups().empty())
        return {};
    CMenuPopup menu = resource.Popups().front();
    std::vector<CMenuItem>& items = menu.items;

    for (CMenuItem& item : items)
        item.isDefault = false;
    if (!items.empty())
        items.front().isDefault = true;

    if (CMenuItem* toolbar = FindItem(items, ID_SHOW_TOOLBAR))
        toolbar->text = QStringLiteral("%1 Toolbar\t%2")
                            .arg(state.toolbarShown ? "Hide" : "Show", state.toolbarKey);
    if (CMenuItem* record = FindItem(items, ID_RECORD))
        record->text = QStringLiteral("%1\t%2").arg(
            state.recording ? "Stop Recording" : "Start Recording", state.recordKey);
    if (state.recording) {
        if (CMenuItem* pause = FindItem(items, ID_PAUSE)) {
            pause->text = QStringLiteral("%1\t%2").arg(
                state.paused ? "Resume Recording" : "Pause Recording", state.pauseKey);
            pause->checked = false;
        }
    } else {
        std::erase_if(items, [](const CMenuItem& item) {
            return !item.separator && !item.IsPopup() && item.id == ID_PAUSE;
        });
    }
    if (CMenuItem* mouse = FindItem(items, ID_RECORD_MOUSE); mouse && state.recordPointer)
        mouse->checked = true;
    if (CMenuItem* webcam = FindItem(items, ID_WEBCAM); webcam && state.webcamShown)
        webcam->checked = true;

    if (CMenuItem* displays = CMenuResource::FindPopupItemByCaption(items, "Displays")) {
        static const char* const kNames[kMostDisplays] = {
            "Primary Display", "Extended Display", "Extended Display #2", "Extended Display #3"};
        displays->popup.clear();
        const int count = std::clamp(state.displayCount, 1, kMostDisplays);
        for (int i = 0; i < count; ++i)
            displays->popup.push_back({QString::fromLatin1(kNames[i]),
                                       static_cast<CommandId>(ID_DISPLAY_PRIMARY + i), false,
                                       i == state.currentDisplay, QString()});
    }
    if (CMenuItem* orientation =
            CMenuResource::FindPopupItemByCaption(items, "Toolbar Orientation"))
        CheckOnly(orientation->popup, state.toolbarVertical ? ID_VERTICAL : ID_HORIZONTAL);
    return menu;
}

#include "_DisplayContext.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

void _DisplayContext::EnumerateDisplays() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (QScreen* screen : QGuiApplication::screens()) {
        displays_.push_back({screen->geometry(), screen->availableGeometry(), screen == primary,
                             screen->devicePixelRatio(), screen->name()});
    }
}

namespace {
QRect OverlayRectOf(const _DisplayEntry& entry) {
    const QRect rect = entry.primary ? entry.workArea : entry.monitorRect;
    return rect.isEmpty() ? entry.monitorRect : rect;
}

int FindDisplay(const std::vector<_DisplayEntry>& displays, const _DisplayEntry& wanted) {
    const auto count = static_cast<int>(displays.size());
    int byName = -1, named = 0;
    for (int i = 0; i < count; ++i)
        if (!wanted.name.isEmpty() && displays[static_cast<size_t>(i)].name == wanted.name) {
            byName = i;
            ++named;
        }
    if (named == 1)
        return byName;
    for (int i = 0; i < count; ++i)
        if (displays[static_cast<size_t>(i)].monitorRect == wanted.monitorRect)
            return i;
    return -1;
}
} // namespace

bool _DisplayContext::SetCurrentDisplay(int index) {
    if (index < 0 || index >= static_cast<int>(displays_.size()))
        return false;
    currentEntry = displays_[static_cast<size_t>(index)];
    currentIndex = index;
    overlayRect = OverlayRectOf(currentEntry);
    return true;
}

_DisplayFollow _DisplayContext::Follow(std::vector<_DisplayEntry> displays) {
    if (displays.empty())
        return {currentIndex, false, false};
    displays_ = std::move(displays);
    const int found = FindDisplay(displays_, currentEntry);
    if (found < 0) {
        const auto primary = std::find_if(displays_.begin(), displays_.end(),
                                          [](const _DisplayEntry& e) { return e.primary; });
        const int index =
            primary == displays_.end() ? 0 : static_cast<int>(primary - displays_.begin());
        return {index, true, true};
    }
    const _DisplayEntry& now = displays_[static_cast<size_t>(found)];
    if (OverlayRectOf(now) != overlayRect || now.devicePixelRatio != currentEntry.devicePixelRatio)
        return {found, true, false};
    // Nothing the overlay covers changed: only where its display stands in the list, and what
    // the entry says beside (the work area of a display that is not the primary one).
    currentIndex = found;
    currentEntry = now;
    return {found, false, false};
}

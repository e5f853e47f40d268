#include "_DisplayContext.h"

#include <QGuiApplication>
#include <QScreen>

void _DisplayContext::EnumerateDisplays() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (QScreen* screen : QGuiApplication::screens()) {
        displays_.push_back({screen->geometry(), screen->availableGeometry(), screen == primary,
                             screen->devicePixelRatio(), screen->name()});
    }
}

bool _DisplayContext::SetCurrentDisplay(int index) {
    if (index < 0 || index >= static_cast<int>(displays_.size()))
        return false;
    currentEntry = displays_[static_cast<size_t>(index)];
    currentIndex = index;
    overlayRect = currentEntry.primary ? currentEntry.workArea : currentEntry.monitorRect;
    if (overlayRect.isEmpty())
        overlayRect = currentEntry.monitorRect;
    return true;
}

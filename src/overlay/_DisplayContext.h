#pragma once
// The overlay's display record: the displays in the platform's order, the chosen one and the
// rectangle the overlay covers.
#include <QRect>
#include <QString>
#include <vector>

struct _DisplayEntry {
    QRect monitorRect; // virtual-desktop coordinates, logical pixels
    QRect workArea;    // the monitor less panels and docks
    bool primary = false;
    qreal devicePixelRatio = 1.0;
    QString name;
};

class _DisplayContext {
public:
    // Appends one entry per screen, in the order the platform lists them. Index 0 is the one the
    // menus call "Primary Display", whatever its primary flag.
    void EnumerateDisplays();
    // Replaces the list (tests, and a refreshed enumeration).
    void SetDisplays(std::vector<_DisplayEntry> displays) { displays_ = std::move(displays); }

    // Chooses a display; false (nothing changes) for an index without a display. On the
    // primary display the overlay leaves the panels free: it covers the work area.
    bool SetCurrentDisplay(int index);

    const std::vector<_DisplayEntry>& Displays() const { return displays_; }
    const _DisplayEntry& CurrentEntry() const { return currentEntry; }
    int CurrentIndex() const { return currentIndex; }
    const QRect& OverlayRect() const { return overlayRect; }

    std::vector<_DisplayEntry> displays_;
    _DisplayEntry currentEntry;
    int currentIndex = 0;
    QRect overlayRect;
};

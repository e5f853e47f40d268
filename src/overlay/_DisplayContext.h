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

// What a new list of displays means for the overlay's display.
struct _DisplayFollow {
    int index = 0;         // where the overlay's display now stands in the list
    bool relayout = false; // the overlay must be laid out again over `index` (SelectDisplay)
    bool gone = false;     // its display went away; `index` is the one it goes to instead
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

    // The monitors changed while the program runs: takes the new list and finds the overlay's
    // display in it by its name (an index shifts when an earlier monitor goes), or, without a
    // name that tells, by its place. Only the list, the index and the entry's own values are
    // taken here; when the overlay needs a new layout — its display went (it then goes to the
    // primary display, or the first without one), or the rectangle it covers or its pixel
    // ratio changed — the result says so and the overlay rectangle is left as it was, for the
    // layout to start from. An empty list changes nothing.
    _DisplayFollow Follow(std::vector<_DisplayEntry> displays);

    const std::vector<_DisplayEntry>& Displays() const { return displays_; }
    const _DisplayEntry& CurrentEntry() const { return currentEntry; }
    int CurrentIndex() const { return currentIndex; }
    const QRect& OverlayRect() const { return overlayRect; }

    std::vector<_DisplayEntry> displays_;
    _DisplayEntry currentEntry;
    int currentIndex = 0;
    QRect overlayRect;
};

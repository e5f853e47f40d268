#pragma once
// Keeping a window whole on a monitor after the monitors changed.
#include <QRect>
#include <vector>

class CScreenFit {
public:
    // Whether one of `areas` holds `window` whole.
    static bool IsWhole(const QRect& window, const std::vector<QRect>& areas);
    // Where `window` goes: where it is when one of `areas` holds it whole; else moved, not
    // resized, into the area it overlaps most, or into `fallback` when it overlaps none. A
    // window larger than its area keeps its top-left corner inside it.
    static QRect Fit(const QRect& window, const std::vector<QRect>& areas, const QRect& fallback);
    // `window` moved into `area` by the least distance.
    static QRect MovedInto(const QRect& window, const QRect& area);
};

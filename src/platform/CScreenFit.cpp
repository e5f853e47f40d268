#include "CScreenFit.h"

#include <algorithm>

bool CScreenFit::IsWhole(const QRect& window, const std::vector<QRect>& areas) {
    return std::any_of(areas.begin(), areas.end(),
                       [&](const QRect& area) { return area.contains(window); });
}

QRect CScreenFit::MovedInto(const QRect& window, const QRect& area) {
    if (area.isEmpty())
        return window;
    QRect moved = window;
    moved.moveLeft(
        std::max(area.left(), std::min(window.left(), area.right() + 1 - window.width())));
    moved.moveTop(
        std::max(area.top(), std::min(window.top(), area.bottom() + 1 - window.height())));
    return moved;
}

QRect CScreenFit::Fit(const QRect& window, const std::vector<QRect>& areas, const QRect& fallback) {
    if (IsWhole(window, areas))
        return window;
    QRect best = fallback;
    qint64 bestOverlap = 0;
    for (const QRect& area : areas) {
        const QRect common = area.intersected(window);
        const qint64 overlap = qint64{common.width()} * common.height();
        if (overlap > bestOverlap) {
            bestOverlap = overlap;
            best = area;
        }
    }
    return MovedInto(window, best);
}

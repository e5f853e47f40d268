#include "CToolbarSlide.h"

bool CToolbarSlide::Hide(const QRect& current, const QRect& workArea, bool vertical,
                         std::uint32_t nowMs) {
    if (!sliding)
        homeRect = current;
    shown = false;
    // Edges as left/top/right/bottom with the right and bottom exclusive.
    const int left = homeRect.left(), top = homeRect.top();
    const int right = homeRect.left() + homeRect.width();
    const int bottom = homeRect.top() + homeRect.height();
    const int centreX = left + (right - left) / 2;
    // The tab goes to an edge of the monitor the toolbar is on, whatever its place in the
    // virtual desktop: the nearer of its left and right edges, or its top.
    const int areaLeft = workArea.left();
    const int areaRight = workArea.left() + workArea.width();
    if (vertical) {
        targetRect = QRect(QPoint(left, workArea.top()),
                           QPoint(right - 1, workArea.top() + kTabThickness - 1));
        dockEdge = Top;
    } else if (centreX <= areaLeft + (areaRight - areaLeft) / 2.0) {
        targetRect = QRect(QPoint(areaLeft, top), QPoint(areaLeft + kTabThickness - 1, bottom - 1));
        dockEdge = Left;
    } else {
        targetRect =
            QRect(QPoint(areaRight - kTabThickness, top), QPoint(areaRight - 1, bottom - 1));
        dockEdge = Right;
    }
    startRect = homeRect;
    return Begin(kHideDurationMs, nowMs);
}

bool CToolbarSlide::Begin(std::uint32_t durationMs, std::uint32_t nowMs) {
    // A request during a slide turns it; only a slide from rest needs the timer started.
    slideStart = nowMs;
    slideDuration = durationMs;
    const bool start = !sliding;
    sliding = true;
    return start;
}

bool CToolbarSlide::Show(const QRect& current, std::uint32_t nowMs) {
    shown = true;
    startRect = current;
    targetRect = homeRect;
    return Begin(kShowDurationMs, nowMs);
}

CToolbarSlide::CStep CToolbarSlide::Step(std::uint32_t nowMs) {
    const std::uint32_t elapsed = nowMs - slideStart; // wraps like the clock
    if (elapsed >= slideDuration) {
        sliding = false;
        return {targetRect, true};
    }
    const double f = static_cast<double>(elapsed) / static_cast<double>(slideDuration);
    auto between = [f](int from, int to) { return from + static_cast<int>((to - from) * f); };
    const int left = between(startRect.left(), targetRect.left());
    const int top = between(startRect.top(), targetRect.top());
    const int right =
        between(startRect.left() + startRect.width(), targetRect.left() + targetRect.width());
    const int bottom =
        between(startRect.top() + startRect.height(), targetRect.top() + targetRect.height());
    return {QRect(left, top, right - left, bottom - top), false};
}

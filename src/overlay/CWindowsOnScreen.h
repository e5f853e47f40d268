#pragma once
// After the monitors changed, our floating windows — the toolbar, the webcam window, notices
// and balloons — stand whole on a monitor again: a window whose monitor went away or shrank
// would otherwise be out of reach.
#include "_DisplayContext.h"

class CWindowsOnScreen {
public:
    // Every top-level window of ours in the webcam, toolbar or notice tier is kept whole inside
    // a work area of `displays`; one that overlaps none goes to the overlay's display. The
    // overlay and the text bubble follow the overlay's own layout instead.
    static void Keep(const _DisplayContext& displays);
};

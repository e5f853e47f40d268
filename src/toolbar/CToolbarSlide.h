#pragma once
// The toolbar's slide to a 24-pixel tab at a screen edge and back. Progress is measured with the
// clock, not by counting ticks: a late tick makes the slide coarser, never longer.
#include <QRect>
#include <cstdint>

class CToolbarSlide {
public:
    static constexpr int kTabThickness = 24;
    static constexpr std::uint32_t kHideDurationMs = 300;
    static constexpr std::uint32_t kShowDurationMs = 200;
    static constexpr int kTimerId = 1010;
    static constexpr int kTimerPeriodMs = 50;

    enum EDockEdge { Left = 0, Right = 1, Top = 2 };

    // Starts (or turns) a slide to the tab. `current` is the window's rectangle now, `workArea`
    // the work area of the monitor the toolbar is on. Returns true when the slide timer must be
    // started (no slide was running).
    bool Hide(const QRect& current, const QRect& workArea, bool vertical, std::uint32_t nowMs);
    // Starts (or turns) a slide back to where the toolbar was before it hid.
    bool Show(const QRect& current, std::uint32_t nowMs);

    struct CStep {
        QRect rect;
        bool finished;
    };
    // Where the window stands at `nowMs`; the last step lands exactly on the target and ends the
    // slide.
    CStep Step(std::uint32_t nowMs);

private:
    bool Begin(std::uint32_t durationMs, std::uint32_t nowMs);

public:
    bool shown = true;
    bool sliding = false;
    std::uint32_t slideStart = 0;
    std::uint32_t slideDuration = 0;
    QRect targetRect;
    QRect startRect;
    QRect homeRect;
    int dockEdge = Left;
};

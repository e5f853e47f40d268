#pragma once
// The base of the tools that draw along the pointer's path (pen, marker, eraser): the points
// gathered between ticks are drawn at each tick as one segment, the last point kept to join the
// next; the whole drag is one undo step.
#include "ITool.h"
#include "IToolHost.h"

#include <vector>

class CFreehandTool : public ITool {
public:
    explicit CFreehandTool(IToolHost& host) : m_host(host) {}

    bool WritesPage() const override { return true; }
    void Press(const QPoint& at) override;
    void Move(const QPoint& at) override;
    void Release(const QPoint& at) override;
    void Cancel() override;
    bool WantsTicks() const override { return m_dragging; }
    void Tick(std::uint32_t nowMs) override;

protected:
    // Draws one segment through `points` (two or more, going somewhere) through the canvas.
    virtual void DrawSegment(const std::vector<QPoint>& points) = 0;
    // The stroke ended and is on the page.
    virtual void StrokeEnded() {}

    IToolHost& m_host;

private:
    // What was gathered since the last tick is drawn, not dropped: a quick stroke keeps its
    // end. A click without a move still draws nothing.
    void FinishSoFar();

    bool m_dragging = false;
    std::vector<QPoint> m_points;
};

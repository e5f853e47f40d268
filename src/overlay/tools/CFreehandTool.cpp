#include "CFreehandTool.h"

#include "CCanvas.h"
#include "CInkStrokes.h"

void CFreehandTool::Press(const QPoint& at) {
    m_host.Canvas().Begin();
    m_dragging = true;
    m_points.assign(1, at);
}

void CFreehandTool::Move(const QPoint& at) {
    if (m_dragging)
        m_points.push_back(at);
}

void CFreehandTool::Tick(std::uint32_t /*nowMs*/) {
    if (m_points.size() <= 1)
        return;
    if (CInkStrokes::Moves(m_points))
        DrawSegment(m_points);
    m_points.erase(m_points.begin(), m_points.end() - 1);
}

void CFreehandTool::FinishSoFar() {
    if (m_points.size() > 1)
        Tick(0);
    m_points.clear();
    m_dragging = false;
    m_host.Canvas().End();
    StrokeEnded();
}

void CFreehandTool::Release(const QPoint& at) {
    if (!m_dragging)
        return;
    m_points.push_back(at);
    FinishSoFar();
}

void CFreehandTool::Cancel() {
    if (m_dragging)
        FinishSoFar();
}

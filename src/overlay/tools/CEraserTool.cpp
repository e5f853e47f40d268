#include "CEraserTool.h"

#include "CCanvas.h"
#include "CToolCursors.h"
#include "CToolValues.h"

QCursor CEraserTool::Cursor() {
    return CToolCursors::Build(2, 0);
}

void CEraserTool::DrawSegment(const std::vector<QPoint>& points) {
    CGraphicsPath path;
    path.AddLines(points);
    const ARGB empty = m_host.IsDesktopScene() ? m_host.BackgroundColour() : 0x00FFFFFFu;
    const CPen pen(CBrush::Solid(empty), static_cast<float>(m_host.Values().eraserWidth));
    m_host.Canvas().StrokePath(pen, path, ECompositingMode::SourceCopy);
}

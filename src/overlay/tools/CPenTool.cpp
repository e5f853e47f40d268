#include "CPenTool.h"

#include "CCanvas.h"
#include "CToolCursors.h"
#include "CToolValues.h"

QCursor CPenTool::Cursor() {
    return CToolCursors::Build(0, m_host.Values().penColour);
}

void CPenTool::DrawSegment(const std::vector<QPoint>& points) {
    const CToolValues& values = m_host.Values();
    m_host.Canvas().StrokeSpline(CPen(values.penColour, values.penWidth), points);
}

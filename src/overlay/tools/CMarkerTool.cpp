#include "CMarkerTool.h"

#include "CBitmap.h"
#include "CCanvas.h"
#include "CInkStrokes.h"
#include "CToolCursors.h"
#include "CToolValues.h"

void CMarkerTool::Resize(const QSize& logicalSize, qreal devicePixelRatio) {
    m_paint = CBitmap::CreateBitmap(qRound(logicalSize.width() * devicePixelRatio),
                                    qRound(logicalSize.height() * devicePixelRatio));
    m_paint.setDevicePixelRatio(devicePixelRatio);
}

QCursor CMarkerTool::Cursor() {
    return CToolCursors::Build(1, m_host.Values().markerColour);
}

void CMarkerTool::RefreshPaint(const QRect& box) {
    if (const _PageContext* page = m_host.Canvas().Page())
        CInkStrokes::RefreshToolTexture(m_paint, 1, page->bitmap, m_host.IsDesktopScene(),
                                        m_host.BackgroundColour(), m_host.Values().markerColour,
                                        box.isNull() ? std::nullopt : std::optional<QRect>(box));
}

void CMarkerTool::DrawSegment(const std::vector<QPoint>& points) {
    CGraphicsPath path;
    path.AddLines(points);
    const CPen pen(CBrush::Texture(m_paint), static_cast<float>(m_host.Values().markerWidth));
    m_strokeBox =
        m_strokeBox.united(m_host.Canvas().StrokePath(pen, path, ECompositingMode::SourceCopy));
}

void CMarkerTool::StrokeEnded() {
    // The paint under the stroke takes the stroke's tint in, for the next stroke to add its own.
    if (!m_strokeBox.isEmpty())
        RefreshPaint(m_strokeBox);
    m_strokeBox = QRect();
}

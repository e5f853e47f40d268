#include "CRegionTool.h"

#include "CGraphics.h"
#include "CPreviewLayer.h"

QRect CRegionTool::Normalised(const QRect& region) {
    int x = region.x(), y = region.y(), w = region.width(), h = region.height();
    if (w < 0) {
        x += w;
        w = -w;
    }
    if (h < 0) {
        y += h;
        h = -h;
    }
    return QRect(x, y, w, h);
}

void CRegionTool::Press(const QPoint& at) {
    m_dragging = true;
    m_region = QRect(at.x(), at.y(), m_region.width(), m_region.height());
    Move(at);
}

void CRegionTool::Move(const QPoint& at) {
    if (!m_dragging)
        return;
    // Even sizes that keep their sign (division truncates toward zero).
    m_region = QRect(m_region.x(), m_region.y(), (at.x() - m_region.x()) / 2 * 2,
                     (at.y() - m_region.y()) / 2 * 2);
}

void CRegionTool::Tick(std::uint32_t /*nowMs*/) {
    CPreviewLayer& layer = m_host.Previews();
    QImage& picture = layer.Redraw();
    const QRect area = Normalised(m_region);
    CGraphics graphics(&picture);
    graphics.SetCompositingMode(ECompositingMode::SourceOver);
    graphics.FillRectangle(CBrush::Solid(0x7FC8FF00), area);
    CStringFormat format;
    format.SetAlignment(EStringAlignment::Center);
    format.SetLineAlignment(EStringAlignment::Center);
    format.SetFormatFlags(kStringFormatNoWrap);
    const QString size = QStringLiteral("(%1 \u00D7 %2)").arg(area.width()).arg(area.height());
    const CFont font("Courier New", 12, true);
    graphics.DrawString(size, font, QRectF(area), format, CBrush::Solid(0xFFFF0000));
    // The readout may stand wider than a narrow region.
    const QRect readout = graphics.MeasureString(size, font, QRectF(area), format)
                              .toAlignedRect()
                              .adjusted(-2, -2, 2, 2);
    layer.Drawn(area.united(readout));
}

void CRegionTool::Release(const QPoint& at) {
    if (!m_dragging)
        return;
    Move(at);
    m_dragging = false;
    m_host.Previews().Clear();
    m_region = Normalised(m_region);
    m_host.RegionSelected(m_region);
}

void CRegionTool::Cancel() {
    m_dragging = false;
    m_host.Previews().Clear();
}

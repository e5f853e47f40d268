#include "CInkStrokes.h"

#include "CGraphics.h"
#include "CardinalSpline.h"

namespace {
// The box of a segment, widened by the pen and a margin for antialiasing.
QRect SegmentBox(const std::vector<QPoint>& points, float width) {
    int left = points.front().x(), right = left, top = points.front().y(), bottom = top;
    for (const QPoint& p : points) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    const int margin = static_cast<int>(width / 2) + 3;
    return QRect(QPoint(left - margin, top - margin), QPoint(right + margin, bottom + margin));
}

} // namespace

bool CInkStrokes::Moves(const std::vector<QPoint>& points) {
    for (const QPoint& p : points)
        if (p != points.front())
            return true;
    return false;
}

QRectF CInkStrokes::StrokeBounds(int tool, const std::vector<QPoint>& points, float width) {
    if (points.empty())
        return QRectF();
    // The pen's curve stays inside its Bézier points (each segment inside its control points'
    // hull); the marker and the eraser draw straight lines through the points.
    std::vector<QPointF> outline;
    if (tool == 0)
        outline = CardinalSplineBezierPoints(points);
    else
        outline.assign(points.begin(), points.end());
    qreal left = outline.front().x(), right = left, top = outline.front().y(), bottom = top;
    for (const QPointF& p : outline) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    // Round caps and joins reach half the width from the line (a thin pen still a pixel), and
    // lines are drawn through pixel centres, half a pixel on.
    const qreal reach = std::max<qreal>(width, 1.0) / 2 + 1;
    return QRectF(QPointF(left - reach, top - reach), QPointF(right + reach, bottom + reach));
}

QRect CInkStrokes::DrawPen(QImage& page, const std::vector<QPoint>& points, ARGB colour,
                           float width) {
    CGraphics graphics(&page);
    graphics.SetCompositingMode(ECompositingMode::SourceOver);
    graphics.SetSmoothingMode(ESmoothingMode::AntiAlias);
    graphics.DrawCardinalSpline(CPen(colour, width), points);
    // A spline can swing a little beyond its points' box.
    return SegmentBox(points, width * 2);
}

void CInkStrokes::Compose(QImage& surface, const QImage& page, ARGB backgroundColour,
                          const QRect& box) {
    CGraphics graphics(&surface);
    graphics.SetClip(box);
    graphics.Clear(backgroundColour);
    graphics.SetCompositingMode(ECompositingMode::SourceOver);
    graphics.DrawImage(page, QPoint(0, 0));
}

void CInkStrokes::RefreshToolTexture(QImage& texture, int tool, const QImage& page,
                                     bool desktopScene, ARGB backgroundColour, ARGB markerColour,
                                     const std::optional<QRect>& rect) {
    CGraphics graphics(&texture);
    if (tool == 1) {
        if (rect)
            graphics.SetClip(*rect);
        graphics.Clear(desktopScene ? 0x00FFFFFFu : backgroundColour);
        graphics.SetCompositingMode(ECompositingMode::SourceOver);
        graphics.DrawImage(page, QPoint(0, 0));
        graphics.FillRectangle(CBrush::Solid(markerColour),
                               QRect(QPoint(0, 0), texture.deviceIndependentSize().toSize()));
        graphics.ResetClip();
    } else if (tool == 2) {
        graphics.Clear(backgroundColour);
    }
}

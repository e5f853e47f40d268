#include "CCanvas.h"

#include "CGraphics.h"
#include "CardinalSpline.h"

namespace {
// The box of a line of `width` along points whose hull lies within `hull`: round caps and
// joins reach half the width beyond it (a thin pen still a pixel), and lines are drawn
// through pixel centres, half a pixel on.
QRectF Widened(const QRectF& hull, float width) {
    const qreal reach = std::max<qreal>(width, 1.0) / 2 + 1;
    return hull.adjusted(-reach, -reach, reach, reach);
}

QRectF HullOf(const std::vector<QPointF>& points) {
    qreal left = points.front().x(), right = left, top = points.front().y(), bottom = top;
    for (const QPointF& p : points) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}
} // namespace

_PageContext* CCanvas::Page() const {
    return m_currentPage < m_pages.size() ? m_pages[m_currentPage].get() : nullptr;
}

void CCanvas::Begin() {
    if (_PageContext* page = Page())
        m_undo.BeginStep(*page);
}

void CCanvas::End() {
    _PageContext* page = Page();
    if (m_undo.IsStepOpen() && page)
        m_undo.EndStep(*page, m_pages);
}

QRect CCanvas::Write(const QRectF& box, const std::function<void(QImage&)>& draw) {
    _PageContext* page = Page();
    if (!page || box.isEmpty())
        return QRect();
    const bool own = !m_undo.IsStepOpen();
    if (own)
        m_undo.BeginStep(*page);
    m_undo.TouchOverlayBox(*page, box);
    draw(page->bitmap);
    if (own)
        m_undo.EndStep(*page, m_pages);
    // The antialiased fringe the undo box is widened by, at any ratio.
    const int fringe = CUndoHistory::kFringePx;
    const QRect written = box.toAlignedRect().adjusted(-fringe, -fringe, fringe, fringe);
    m_changed = m_changed.united(written);
    return written;
}

QRect CCanvas::StrokeSpline(const CPen& pen, const std::vector<QPoint>& points) {
    if (points.size() < 2)
        return QRect();
    // The curve stays inside its Bézier points (each segment inside its control points' hull).
    const QRectF box = Widened(HullOf(CardinalSplineBezierPoints(points)), pen.Width());
    return Write(box, [&](QImage& page) {
        CGraphics graphics(&page);
        graphics.SetCompositingMode(ECompositingMode::SourceOver);
        graphics.SetSmoothingMode(ESmoothingMode::AntiAlias);
        graphics.DrawCardinalSpline(pen, points);
    });
}

QRect CCanvas::StrokePath(const CPen& pen, const CGraphicsPath& path, ECompositingMode mode) {
    if (path.IsEmpty())
        return QRect();
    std::vector<QPointF> hull{path.ToQPainterPath().controlPointRect().topLeft(),
                              path.ToQPainterPath().controlPointRect().bottomRight()};
    for (const QPoint& dot : path.Dots())
        hull.emplace_back(dot);
    return Write(Widened(HullOf(hull), pen.Width()), [&](QImage& page) {
        CGraphics graphics(&page);
        graphics.SetCompositingMode(mode);
        graphics.SetSmoothingMode(ESmoothingMode::None);
        graphics.DrawPath(pen, path);
    });
}

QRect CCanvas::DrawString(const QString& text, const CFont& font, const QRectF& layout,
                          const CStringFormat& format, ARGB colour) {
    _PageContext* page = Page();
    if (!page || text.isEmpty())
        return QRect();
    QRectF ink;
    {
        const CGraphics measure(&page->bitmap);
        ink = measure.MeasureStringInk(text, font, layout, format);
    }
    return Write(ink, [&](QImage& bitmap) {
        CGraphics graphics(&bitmap);
        graphics.SetCompositingMode(ECompositingMode::SourceOver);
        graphics.SetSmoothingMode(ESmoothingMode::AntiAlias);
        graphics.DrawString(text, font, layout, format, CBrush::Solid(colour));
    });
}

void CCanvas::ChangeWholePage(const std::function<void(_PageContext&)>& change) {
    _PageContext* page = Page();
    if (!page)
        return;
    const QRect whole(QPoint(0, 0), page->bitmap.deviceIndependentSize().toSize());
    const bool own = !m_undo.IsStepOpen();
    if (own)
        m_undo.BeginStep(*page);
    m_undo.TouchAll(*page);
    change(*page);
    // The change may have replaced the page (deleting the last one): the step ends on the page
    // it began on only when that is still shown.
    if (own && Page() == page)
        m_undo.EndStep(*page, m_pages);
    else if (own)
        m_undo.CancelStep();
    m_changed = whole;
}

QRect CCanvas::TakeChanged() {
    const QRect changed = m_changed;
    m_changed = QRect();
    return changed;
}

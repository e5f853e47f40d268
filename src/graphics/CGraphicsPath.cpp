#include "CGraphicsPath.h"

#include "CPen.h"

void CGraphicsPath::AddLines(const std::vector<QPoint>& points) {
    if (points.empty())
        return;
    auto it = points.begin();
    if (!m_figureOpen) {
        m_path.moveTo(*it);
        m_figureStart = *it;
        m_figurePoints = 1;
        m_figureMoved = false;
        m_figureOpen = true;
        ++it;
    }
    for (; it != points.end(); ++it) {
        m_path.lineTo(*it);
        ++m_figurePoints;
        m_figureMoved = m_figureMoved || *it != m_figureStart;
    }
}

void CGraphicsPath::StartFigure() {
    EndFigure();
}

void CGraphicsPath::CloseFigure() {
    m_path.closeSubpath();
    EndFigure();
}

void CGraphicsPath::EndFigure() {
    if (m_figureOpen && m_figurePoints >= 2 && !m_figureMoved)
        m_dots.push_back(m_figureStart);
    m_figureOpen = false;
}

std::vector<QPoint> CGraphicsPath::Dots() const {
    std::vector<QPoint> dots = m_dots;
    if (m_figureOpen && m_figurePoints >= 2 && !m_figureMoved)
        dots.push_back(m_figureStart);
    return dots;
}

QRectF CGraphicsPath::GetBounds(const CPen* widenedBy) const {
    if (IsEmpty())
        return QRectF();
    const QRectF bounds = m_path.boundingRect();
    if (widenedBy == nullptr)
        return bounds;
    // Pens have round caps and joins, so their stroke is the path swept by a disc: exactly the
    // point box grown by half the width. A lone point still paints a dot; thin pens paint a pixel.
    const qreal half = qMax<qreal>(widenedBy->Width(), 1.0) / 2.0;
    return bounds.adjusted(-half, -half, half, half);
}

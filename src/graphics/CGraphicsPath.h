// Figures made of connected lines, drawn with CGraphics::DrawPath.
#pragma once

#include <QPainterPath>
#include <QPoint>
#include <QRectF>
#include <vector>

class CPen;

class CGraphicsPath {
public:
    // Continues the open figure (joined to its last point), or starts one.
    void AddLines(const std::vector<QPoint>& points);

    // The next lines start a new figure instead of joining the last one.
    void StartFigure();
    void CloseFigure();

    bool IsEmpty() const { return m_path.elementCount() == 0; }

    // The box of the figures' points; with a pen, of everything that pen paints along them (as if
    // it were solid: a dashed stroke covers less, never more). Empty for an empty path.
    QRectF GetBounds(const CPen* widenedBy = nullptr) const;

    const QPainterPath& ToQPainterPath() const { return m_path; }

    // Figures of two or more points that never left their first point: a click without a move.
    // QPainterPath drops such lines, so CGraphics paints these as dots.
    std::vector<QPoint> Dots() const;

private:
    void EndFigure();

    QPainterPath m_path;
    std::vector<QPoint> m_dots;
    bool m_figureOpen = false;
    QPoint m_figureStart;
    size_t m_figurePoints = 0;
    bool m_figureMoved = false;
};

#pragma once
// The one way tools write to the page shown. Each write works out the box it can change from
// what it draws (the stroked path's bounds, the text's glyphs) and saves what lies under that
// box for undo before drawing, so no writer can forget to announce a write or guess its size.
// A drag's writes between Begin and End make one undo step; a write outside them is a step of
// its own. The overlay takes the changed boxes to compose its surface and present them.
#include "CGraphicsPath.h"
#include "CPen.h"
#include "CUndoHistory.h"
#include "GraphicsTypes.h"
#include "_PageContext.h"

#include <QRect>
#include <QRectF>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class CFont;
class CStringFormat;

class CCanvas {
public:
    using Pages = std::vector<std::unique_ptr<_PageContext>>;
    CCanvas(CUndoHistory& undo, Pages& pages, const size_t& currentPage)
        : m_undo(undo), m_pages(pages), m_currentPage(currentPage) {}

    // The page shown, or null before there is one.
    _PageContext* Page() const;

    // A change of several writes begins on the page shown (a drag); a change still open is
    // dropped.
    void Begin();
    bool IsOpen() const { return m_undo.IsStepOpen(); }
    // What the change wrote becomes one undo step (nothing written: none).
    void End();

    // A cardinal spline through the points, antialiased and blended (the pen). Returns the box
    // written, in overlay coordinates.
    QRect StrokeSpline(const CPen& pen, const std::vector<QPoint>& points);
    // Lines along the path with hard edges, blended or copied (the marker, the eraser).
    QRect StrokePath(const CPen& pen, const CGraphicsPath& path, ECompositingMode mode);
    // Text laid out as CGraphics::DrawString lays it out, antialiased and blended.
    QRect DrawString(const QString& text, const CFont& font, const QRectF& layout,
                     const CStringFormat& format, ARGB colour);
    // A change to every pixel of the page (Clear, deleting the only page).
    void ChangeWholePage(const std::function<void(_PageContext&)>& change);

    // The box (overlay coordinates) written since the last call, and forgotten.
    QRect TakeChanged();

private:
    // Saves what lies under `box` (overlay coordinates) and runs `draw` on the page; opens and
    // ends a step around it when no change is open.
    QRect Write(const QRectF& box, const std::function<void(QImage&)>& draw);

    CUndoHistory& m_undo;
    Pages& m_pages;
    const size_t& m_currentPage;
    QRect m_changed;
};

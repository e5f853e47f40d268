#pragma once
// Drawing one segment of a stroke onto the current page, and preparing the marker's and the
// eraser's paint. Points are overlay coordinates; each drawing returns the box it touched, which
// the overlay then composes onto its surface from the page — so the surface always shows
// exactly what a rebuild from the page would.
#include "GraphicsTypes.h"

#include <QImage>
#include <QRect>
#include <optional>
#include <vector>

class CInkStrokes {
public:
    // A cardinal spline through the points, blended onto the page.
    static QRect DrawPen(QImage& page, const std::vector<QPoint>& points, ARGB colour, float width);
    // The box (overlay coordinates) that drawing `points` with the pen (tool 0), the marker (1)
    // or the eraser (2) of `width` can change, known before drawing: the undo history saves
    // what lies under it first, so it must hold every pixel the drawing may reach.
    static QRectF StrokeBounds(int tool, const std::vector<QPoint>& points, float width);
    // The surface within `box`: the background with the page over it.
    static void Compose(QImage& surface, const QImage& page, ARGB backgroundColour,
                        const QRect& box);

    // The marker's paint: the page as it is now, over transparent white (desktop) or the
    // background (board), with one layer of the marker colour over it — within `rect` only
    // when given. The eraser's paint: the background colour. Other tools have none.
    static void RefreshToolTexture(QImage& texture, int tool, const QImage& page, bool desktopScene,
                                   ARGB backgroundColour, ARGB markerColour,
                                   const std::optional<QRect>& rect);

    // True when the points go somewhere: a click without a move draws nothing.
    static bool Moves(const std::vector<QPoint>& points);
};

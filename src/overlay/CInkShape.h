#pragma once
// Without a compositor, the overlay in pointer mode is cut down to its ink: the region of the
// surface's pixels that are more than the almost transparent background.
#include <QImage>
#include <QRegion>

class CInkShape {
public:
    // The background is white at alpha 1, or 2 where a redraw composed a page's own alpha-1
    // empty pixels over it: anything above that is ink.
    static constexpr int kMostTransparentBackgroundAlpha = 2;

    // The ink of a 32-bit surface, in its pixels, as one rectangle per run of a row.
    static QRegion Of(const QImage& surface);
};

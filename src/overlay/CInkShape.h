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
    // The most rectangles a shape is made of. The X server keeps the shape and works through it
    // on every change of the windows around ours; a dense page (a drawing with thousands of
    // thin lines, at 8K) would otherwise make millions. 100,000 take 800 KB as requests.
    static constexpr int kMostRects = 100000;

    // The ink of a 32-bit surface, in its pixels: one rectangle per run of ink in a row, rows
    // alike joined into one band. Where that would take more than `mostRects` rectangles, the
    // narrowest gaps between runs are filled in too, as few as needed: the shape then covers
    // some background beside the ink, never less than the ink.
    static QRegion Of(const QImage& surface, int mostRects = kMostRects);
};

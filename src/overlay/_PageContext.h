#pragma once
#include <QImage>
#include <QSize>

// One page of ink: a picture of the overlay's size in device pixels, every pixel 0 when made.
// Drawing on it opens a painter for the moment of drawing instead of keeping one open, so the
// picture can be read (redraw, stretch, save) at any time.
struct _PageContext {
    _PageContext(const QSize& logicalSize, qreal devicePixelRatio);
    // Stretches the picture over a new size.
    void Resize(const QSize& logicalSize, qreal devicePixelRatio);

    QImage bitmap;
};

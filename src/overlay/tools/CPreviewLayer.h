#pragma once
// What the tools show without writing it to the page: the text being typed, the region being
// dragged, the clip region's frame. The overlay composes this layer over its surface when it
// presents, so the surface only ever holds the page over the background, and taking a preview
// away costs no rebuild.
#include <QImage>
#include <QRect>

class QPainter;

class CPreviewLayer {
public:
    // The overlay's size changed: what the layer shows is dropped.
    void Resize(const QSize& logicalSize, qreal devicePixelRatio);

    // A tool's preview drawn anew: the picture to draw on, in overlay coordinates, with the
    // last preview wiped from it. Say where the new one went with Drawn. The picture exists
    // only while a preview is shown.
    QImage& Redraw();
    void Drawn(const QRect& box);
    // No tool preview any more.
    void Clear();
    bool IsEmpty() const { return m_box.isEmpty(); }
    // Neither a tool's preview nor a frame.
    bool ShowsNothing() const { return m_box.isEmpty() && m_frame.isEmpty(); }

    // The clip region's dash-dot-dot frame, one pixel outside `region`; an empty region has none.
    void SetFrame(const QRect& region);

    // Where what the layer shows changed since the last call (overlay coordinates).
    QRect TakeDirty();

    // The layer over what `painter` has painted within `rect` (overlay coordinates).
    void Compose(QPainter& painter, const QRect& rect) const;

private:
    static QRect FrameBox(const QRect& region);

    QSize m_size;
    qreal m_ratio = 1.0;
    QImage m_picture; // the tool's preview, at the surface's resolution
    QRect m_box;      // where it is drawn
    QRect m_frame;    // the clip region framed, or empty
    QRect m_dirty;
};

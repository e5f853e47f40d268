// Drawing on a surface: a QPainter held for the lifetime of this object, with the operations
// the rest of the program draws with.
//
// Coordinates: pens stroke along pixel centres, so a one-pixel pen through integer points is one
// sharp pixel wide and a w x h rectangle outline covers columns x..x+w and rows y..y+h. Fills
// cover pixel areas, so FillRectangle(QRect(x, y, w, h)) paints exactly the w x h pixels from
// (x, y) in both smoothing modes. A dot that must sit on a stroke's point p is a fill centred on
// p + (0.5, 0.5).
#pragma once

#include "CBrush.h"
#include "CFont.h"
#include "CGraphicsPath.h"
#include "CPen.h"
#include "CStringFormat.h"
#include "GraphicsTypes.h"

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QRegion>
#include <QString>
#include <vector>

class CGraphics {
public:
    // Starts painting on target, which must outlive this object. Without a target (or with a null
    // picture) IsValid() is false and every operation does nothing.
    explicit CGraphics(QImage* target);
    ~CGraphics();

    CGraphics(const CGraphics&) = delete;
    CGraphics& operator=(const CGraphics&) = delete;

    bool IsValid() const { return m_painter.isActive(); }

    // Every pixel inside the clip becomes exactly this colour, alpha included.
    void Clear(ARGB color);

    // SourceOver blends by alpha; SourceCopy writes the source pixel, alpha included (the
    // marker's translucent strokes must not darken where they cross themselves).
    void SetCompositingMode(ECompositingMode mode);
    ECompositingMode CompositingMode() const { return m_compositingMode; }

    // None (the start) draws hard edges with no partly covered pixels.
    void SetSmoothingMode(ESmoothingMode mode);
    ESmoothingMode SmoothingMode() const { return m_smoothingMode; }

    // Replaces the clip; ResetClip lets drawing reach the whole surface again.
    void SetClip(const QRect& rect);
    void SetClip(const QRegion& region);
    void ResetClip();

    // Unscaled, top-left corner at topLeft.
    void DrawImage(const QImage& image, const QPoint& topLeft);
    // Stretched smoothly over dest.
    void DrawImage(const QImage& image, const QRect& dest);
    // The source part of image over dest (unscaled when the sizes agree).
    void DrawImage(const QImage& image, const QRect& dest, const QRect& source);

    // Strokes of two or more points that all lie on one point (a click without a move) paint a
    // round dot of the pen's width there, as the round caps of a line of no length would.

    // Through every point, tension 0.5; fewer than two points draw nothing.
    void DrawCardinalSpline(const CPen& pen, const std::vector<QPoint>& points);
    void DrawPath(const CPen& pen, const CGraphicsPath& path);
    // Connected lines through the points; fewer than two points draw nothing.
    void DrawLines(const CPen& pen, const std::vector<QPoint>& points);
    void DrawRectangle(const CPen& pen, const QRect& rect);

    void FillRectangle(const CBrush& brush, const QRect& rect);
    // Alternate (even-odd) filling, as with self-crossing polygons in the original drawing code.
    void FillPolygon(const CBrush& brush, const std::vector<QPointF>& points);
    void FillEllipse(const CBrush& brush, const QRectF& bounds);
    void FillRegion(const CBrush& brush, const QRegion& region);

    void DrawString(const QString& text, const CFont& font, const QRectF& layout,
                    const CStringFormat& format, const CBrush& brush);
    // Where DrawString paints the text in that layout: one line with kStringFormatNoWrap (and as
    // wide as the text, even past the layout's edge), otherwise wrapped at the layout's width.
    QRectF MeasureString(const QString& text, const CFont& font, const QRectF& layout,
                         const CStringFormat& format) const;
    // Where DrawString's glyphs leave ink for one line of text: the glyphs' own outlines, which
    // can lean past the measure (an "f" or a "j" past the advance, marks past the ascent).
    QRectF MeasureStringInk(const QString& text, const CFont& font, const QRectF& layout,
                            const CStringFormat& format) const;

    // For the rare drawing this class does not cover. Leave the painter's state as found.
    QPainter& Painter() { return m_painter; }

private:
    QBrush SurfaceAnchored(const CBrush& brush) const;
    QPen SurfaceAnchored(const CPen& pen) const;
    void StrokePath(const CPen& pen, const QPainterPath& path);
    void PaintDot(const CPen& pen, const QPoint& point);
    void FillPath(const CBrush& brush, const QPainterPath& path);

    QImage* m_target;
    QPainter m_painter;
    ECompositingMode m_compositingMode = ECompositingMode::SourceOver;
    ESmoothingMode m_smoothingMode = ESmoothingMode::None;
};

#include "CGraphics.h"

#include "CardinalSpline.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>

namespace {

// Pens are centred on pixel centres, which Qt puts half a pixel from the integer coordinates.
constexpr qreal kPixelCentre = 0.5;

bool AllOnOnePoint(const std::vector<QPoint>& points) {
    return std::all_of(points.begin(), points.end(),
                       [&](const QPoint& point) { return point == points.front(); });
}

} // namespace

CGraphics::CGraphics(QImage* target) : m_target(target) {
    if (m_target == nullptr || m_target->isNull())
        return;
    if (!m_painter.begin(m_target))
        return;
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
}

CGraphics::~CGraphics() {
    if (m_painter.isActive())
        m_painter.end();
}

void CGraphics::Clear(ARGB color) {
    if (!IsValid())
        return;
    m_painter.save();
    m_painter.resetTransform();
    m_painter.setCompositionMode(QPainter::CompositionMode_Source);
    m_painter.fillRect(QRectF(QPointF(0, 0), m_target->deviceIndependentSize()),
                       ColorFromArgb(color));
    m_painter.restore();
}

void CGraphics::SetCompositingMode(ECompositingMode mode) {
    m_compositingMode = mode;
    if (IsValid())
        m_painter.setCompositionMode(mode == ECompositingMode::SourceCopy
                                         ? QPainter::CompositionMode_Source
                                         : QPainter::CompositionMode_SourceOver);
}

void CGraphics::SetSmoothingMode(ESmoothingMode mode) {
    m_smoothingMode = mode;
    if (IsValid())
        m_painter.setRenderHint(QPainter::Antialiasing, mode == ESmoothingMode::AntiAlias);
}

void CGraphics::SetClip(const QRect& rect) {
    if (IsValid())
        m_painter.setClipRect(rect, Qt::ReplaceClip);
}

void CGraphics::SetClip(const QRegion& region) {
    if (IsValid())
        m_painter.setClipRegion(region, Qt::ReplaceClip);
}

void CGraphics::ResetClip() {
    if (IsValid())
        m_painter.setClipping(false);
}

void CGraphics::DrawImage(const QImage& image, const QPoint& topLeft) {
    if (IsValid() && !image.isNull())
        m_painter.drawImage(QPointF(topLeft), image);
}

void CGraphics::DrawImage(const QImage& image, const QRect& dest) {
    if (image.isNull())
        return;
    DrawImage(image, dest, image.rect());
}

void CGraphics::DrawImage(const QImage& image, const QRect& dest, const QRect& source) {
    if (!IsValid() || image.isNull() || dest.isEmpty() || source.isEmpty())
        return;
    m_painter.save();
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    m_painter.drawImage(QRectF(dest), image, QRectF(source));
    m_painter.restore();
}

void CGraphics::DrawCardinalSpline(const CPen& pen, const std::vector<QPoint>& points) {
    if (points.size() < 2)
        return;
    if (AllOnOnePoint(points)) {
        PaintDot(pen, points.front());
        return;
    }
    const std::vector<QPointF> bezier = CardinalSplineBezierPoints(points);
    QPainterPath path(bezier.front());
    for (size_t i = 1; i + 2 < bezier.size(); i += 3)
        path.cubicTo(bezier[i], bezier[i + 1], bezier[i + 2]);
    StrokePath(pen, path);
}

void CGraphics::DrawPath(const CPen& pen, const CGraphicsPath& path) {
    StrokePath(pen, path.ToQPainterPath());
    for (const QPoint& dot : path.Dots())
        PaintDot(pen, dot);
}

void CGraphics::DrawLines(const CPen& pen, const std::vector<QPoint>& points) {
    if (points.size() < 2)
        return;
    if (AllOnOnePoint(points)) {
        PaintDot(pen, points.front());
        return;
    }
    QPainterPath path(points.front());
    for (size_t i = 1; i < points.size(); ++i)
        path.lineTo(points[i]);
    StrokePath(pen, path);
}

void CGraphics::DrawRectangle(const CPen& pen, const QRect& rect) {
    QPainterPath path;
    path.addRect(QRectF(rect));
    StrokePath(pen, path);
}

void CGraphics::FillRectangle(const CBrush& brush, const QRect& rect) {
    QPainterPath path;
    path.addRect(QRectF(rect));
    FillPath(brush, path);
}

void CGraphics::FillPolygon(const CBrush& brush, const std::vector<QPointF>& points) {
    if (points.size() < 3)
        return;
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addPolygon(QPolygonF(QList<QPointF>(points.begin(), points.end())));
    path.closeSubpath();
    FillPath(brush, path);
}

void CGraphics::FillEllipse(const CBrush& brush, const QRectF& bounds) {
    QPainterPath path;
    path.addEllipse(bounds);
    FillPath(brush, path);
}

void CGraphics::FillRegion(const CBrush& brush, const QRegion& region) {
    QPainterPath path;
    path.addRegion(region);
    FillPath(brush, path);
}

void CGraphics::DrawString(const QString& text, const CFont& font, const QRectF& layout,
                           const CStringFormat& format, const CBrush& brush) {
    if (!IsValid() || text.isEmpty())
        return;
    int flags = format.ToQtTextFlags();
    // A layout without width has nothing to wrap at: the text runs on from its point.
    if (layout.width() <= 0)
        flags &= ~Qt::TextWordWrap;
    m_painter.save();
    m_painter.setBrushOrigin(0, 0);
    m_painter.setFont(font.ToQFont());
    m_painter.setPen(QPen(SurfaceAnchored(brush), 0));
    m_painter.drawText(layout, flags, text);
    m_painter.restore();
}

QRectF CGraphics::MeasureString(const QString& text, const CFont& font, const QRectF& layout,
                                const CStringFormat& format) const {
    int flags = format.ToQtTextFlags();
    if (layout.width() <= 0)
        flags &= ~Qt::TextWordWrap;
    const QFontMetricsF metrics = m_target != nullptr && !m_target->isNull()
                                      ? QFontMetricsF(font.ToQFont(), m_target)
                                      : QFontMetricsF(font.ToQFont());
    return metrics.boundingRect(layout, flags, text);
}

QRectF CGraphics::MeasureStringInk(const QString& text, const CFont& font, const QRectF& layout,
                                   const CStringFormat& format) const {
    if (text.isEmpty())
        return QRectF();
    const QFontMetricsF metrics = m_target != nullptr && !m_target->isNull()
                                      ? QFontMetricsF(font.ToQFont(), m_target)
                                      : QFontMetricsF(font.ToQFont());
    // The line sits where MeasureString puts it, its baseline an ascent below the line's top.
    const QRectF line = MeasureString(text, font, layout, format);
    const QRectF glyphs = metrics.tightBoundingRect(text);
    return glyphs.translated(line.left(), line.top() + metrics.ascent());
}

QBrush CGraphics::SurfaceAnchored(const CBrush& brush) const {
    if (!brush.IsTexture() || brush.TextureImage().isNull())
        return brush.ToQBrush();
    // Qt ties a texture to the painter's coordinates: to its transform (our half-pixel shift for
    // pens included) and, in Qt 6.4 for fills but not for pens, to the device pixel ratios of
    // texture and surface. The texture goes in at ratio 1 and the brush transform undoes the
    // painter's transform and the surface's ratio, so texture pixel (x, y) lands on surface
    // pixel (x, y) in every case. The brush origin is reset by the callers.
    QImage texture = brush.TextureImage();
    texture.setDevicePixelRatio(1.0);
    QBrush qbrush(texture);
    const qreal ratio = m_target->devicePixelRatio();
    qbrush.setTransform(QTransform::fromScale(1.0 / ratio, 1.0 / ratio) *
                        m_painter.worldTransform().inverted());
    return qbrush;
}

QPen CGraphics::SurfaceAnchored(const CPen& pen) const {
    QPen qpen = pen.ToQPen();
    qpen.setBrush(SurfaceAnchored(pen.Brush()));
    return qpen;
}

void CGraphics::StrokePath(const CPen& pen, const QPainterPath& path) {
    if (!IsValid() || path.isEmpty())
        return;
    m_painter.save();
    m_painter.translate(kPixelCentre, kPixelCentre);
    m_painter.setBrushOrigin(0, 0);
    m_painter.setBrush(Qt::NoBrush);
    m_painter.setPen(SurfaceAnchored(pen));
    m_painter.drawPath(path);
    m_painter.restore();
}

void CGraphics::PaintDot(const CPen& pen, const QPoint& point) {
    // Qt drops lines of no length, caps and all. Dashes do not apply to a dot.
    const qreal diameter = qMax<qreal>(pen.Width(), 1.0);
    QPainterPath disc;
    disc.addEllipse(QPointF(point) + QPointF(kPixelCentre, kPixelCentre), diameter / 2,
                    diameter / 2);
    FillPath(pen.Brush(), disc);
}

void CGraphics::FillPath(const CBrush& brush, const QPainterPath& path) {
    if (!IsValid() || path.isEmpty())
        return;
    m_painter.save();
    m_painter.setBrushOrigin(0, 0);
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(SurfaceAnchored(brush));
    m_painter.drawPath(path);
    m_painter.restore();
}

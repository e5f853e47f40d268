#include "CPreviewLayer.h"

#include "CBitmap.h"
#include "CPen.h"

#include <QPainter>
#include <QPainterPath>

void CPreviewLayer::Resize(const QSize& logicalSize, qreal devicePixelRatio) {
    m_size = logicalSize;
    m_ratio = devicePixelRatio;
    m_picture = QImage();
    m_box = QRect();
    m_dirty = QRect(QPoint(0, 0), logicalSize);
}

QImage& CPreviewLayer::Redraw() {
    if (m_picture.isNull()) {
        m_picture = CBitmap::CreateBitmap(qRound(m_size.width() * m_ratio),
                                          qRound(m_size.height() * m_ratio));
        m_picture.setDevicePixelRatio(m_ratio);
    } else if (!m_box.isEmpty()) {
        QPainter painter(&m_picture);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(m_box, Qt::transparent);
    }
    m_dirty = m_dirty.united(m_box);
    m_box = QRect();
    return m_picture;
}

void CPreviewLayer::Drawn(const QRect& box) {
    m_box = box.intersected(QRect(QPoint(0, 0), m_size));
    m_dirty = m_dirty.united(m_box);
}

void CPreviewLayer::Clear() {
    m_dirty = m_dirty.united(m_box);
    m_box = QRect();
    // Previews come and go with a drag or a bubble: the picture is not kept between them.
    m_picture = QImage();
}

QRect CPreviewLayer::FrameBox(const QRect& region) {
    // The frame is stroked one pixel outside the region, along pixel centres.
    return region.adjusted(-2, -2, 2, 2);
}

void CPreviewLayer::SetFrame(const QRect& region) {
    const QRect frame = region.width() > 0 && region.height() > 0 ? region : QRect();
    if (frame == m_frame)
        return;
    if (!m_frame.isEmpty())
        m_dirty = m_dirty.united(FrameBox(m_frame));
    if (!frame.isEmpty())
        m_dirty = m_dirty.united(FrameBox(frame));
    m_frame = frame;
}

QRect CPreviewLayer::TakeDirty() {
    const QRect dirty = m_dirty;
    m_dirty = QRect();
    return dirty;
}

void CPreviewLayer::Compose(QPainter& painter, const QRect& rect) const {
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QRect picture = rect.intersected(m_box);
    if (!picture.isEmpty() && !m_picture.isNull()) {
        const QRectF source(picture.x() * m_ratio, picture.y() * m_ratio, picture.width() * m_ratio,
                            picture.height() * m_ratio);
        painter.drawImage(QRectF(picture), m_picture, source);
    }
    if (!m_frame.isEmpty() && rect.intersects(FrameBox(m_frame))) {
        painter.setClipRect(rect);
        painter.setRenderHint(QPainter::Antialiasing, false);
        CPen pen(0xFF000000u, 1.0f);
        pen.SetDashStyle(EDashStyle::DashDotDot);
        painter.setPen(pen.ToQPen());
        painter.setBrush(Qt::NoBrush);
        // Through pixel centres, as every pen of the drawing layer.
        painter.translate(0.5, 0.5);
        QPainterPath path;
        path.addRect(QRectF(m_frame.adjusted(-1, -1, 1, 1)));
        painter.drawPath(path);
    }
    painter.restore();
}

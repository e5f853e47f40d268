#include "CToolbarSkin.h"

#include "CBitmap.h"

#include <QFile>
#include <QPainter>

namespace {
QImage LoadPiece(const QString& folder, const QString& name, qreal ratio) {
    if (ratio >= 2.0) {
        QImage sharp = CBitmap::LoadBitmapFromFile(folder + "/" + name + "@2x.png");
        if (!sharp.isNull()) {
            sharp.setDevicePixelRatio(2.0);
            return sharp;
        }
    }
    return CBitmap::LoadBitmapFromFile(folder + "/" + name + ".png");
}

QImage Turned(const QImage& piece) {
    if (piece.isNull())
        return {};
    QImage turned = CBitmap::Rotate90(piece);
    turned.setDevicePixelRatio(piece.devicePixelRatio());
    return turned;
}

QSizeF LogicalSize(const QImage& image) {
    return image.deviceIndependentSize();
}

// The pad tiles from the client origin, whatever rectangle it fills. (Qt 6.4 already scales a
// texture brush's fill by the picture's device pixel ratio.)
void FillWithPad(QPainter& painter, const QImage& pad, const QRectF& area) {
    if (pad.isNull() || area.isEmpty())
        return;
    painter.fillRect(area, QBrush(pad));
}
} // namespace

void CToolbarSkin::Load(const QString& folder, qreal ratio) {
    m_active = {LoadPiece(folder, "bk_head", ratio), LoadPiece(folder, "bk_pad", ratio),
                LoadPiece(folder, "bk_tail", ratio)};
    m_inactive = {LoadPiece(folder, "bk_head_inactive", ratio),
                  LoadPiece(folder, "bk_pad_inactive", ratio),
                  LoadPiece(folder, "bk_tail_inactive", ratio)};
    m_activeRotated = {Turned(m_active.head), Turned(m_active.pad), Turned(m_active.tail)};
    m_inactiveRotated = {Turned(m_inactive.head), Turned(m_inactive.pad), Turned(m_inactive.tail)};
}

bool CToolbarSkin::IsComplete() const {
    return !m_active.head.isNull() && !m_active.pad.isNull() && !m_active.tail.isNull();
}

bool CToolbarSkin::HasInactive() const {
    return !m_inactive.head.isNull() && !m_inactive.pad.isNull() && !m_inactive.tail.isNull();
}

const CToolbarSkin::CPieces& CToolbarSkin::PiecesFor(bool vertical, bool active) const {
    const bool inactive = !active && HasInactive();
    if (vertical)
        return inactive ? m_inactiveRotated : m_activeRotated;
    return inactive ? m_inactive : m_active;
}

void CToolbarSkin::Paint(QPainter& painter, const QSize& size, bool vertical, bool active,
                         bool shown, int dockEdge) const {
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(QPoint(0, 0), size), QColor::fromRgba(kColourKey));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const CPieces& p = PiecesFor(vertical, active);
    const qreal w = size.width(), h = size.height();
    const QSizeF head = LogicalSize(p.head), tail = LogicalSize(p.tail);
    if (!vertical) {
        if (shown) {
            painter.drawImage(QPointF(0, 0), p.head);
            painter.drawImage(QPointF(w - tail.width(), 0), p.tail);
            FillWithPad(painter, p.pad, QRectF(head.width(), 0, w - kPadAllowance, h));
        } else if (dockEdge == 0) {
            painter.drawImage(QPointF(w - tail.width(), 0), p.tail);
            FillWithPad(painter, p.pad, QRectF(0, 0, w - tail.width(), h));
        } else if (dockEdge == 1) {
            painter.drawImage(QPointF(0, 0), p.head);
            FillWithPad(painter, p.pad, QRectF(head.width(), 0, w - head.width(), h));
        }
    } else if (shown) {
        painter.drawImage(QPointF(0, 0), p.head);
        painter.drawImage(QPointF(0, h - tail.height()), p.tail);
        FillWithPad(painter, p.pad, QRectF(0, head.height(), w, h - head.height() - tail.height()));
    } else {
        painter.drawImage(QPointF(0, h - tail.height()), p.tail);
        FillWithPad(painter, p.pad, QRectF(0, 0, w, h - tail.height()));
    }
    painter.restore();
}

QImage CToolbarSkin::Render(const QSize& size, bool vertical, bool active, bool shown, int dockEdge,
                            qreal ratio) const {
    QImage image(size * ratio, QImage::Format_ARGB32);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    Paint(painter, size, vertical, active, shown, dockEdge);
    return image;
}

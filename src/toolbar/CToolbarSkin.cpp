#include "CToolbarSkin.h"

#include "CBitmap.h"
#include "LoadSharpPicture.h"

#include <QFile>
#include <QPainter>
#include <QtMath>
#include <algorithm>
#include <utility>
#include <vector>

namespace {
QString PiecePath(const QString& folder, const QString& name) {
    return folder + "/" + name + ".png";
}

QImage LoadPiece(const QString& folder, const QString& name, qreal ratio) {
    return LoadSharpPicture(PiecePath(folder, name), ratio);
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
    m_missing.clear();
    const std::pair<const char*, const QImage*> required[] = {
        {"bk_head", &m_active.head}, {"bk_pad", &m_active.pad}, {"bk_tail", &m_active.tail}};
    for (const auto& [name, piece] : required)
        if (piece->isNull())
            m_missing << PiecePath(folder, QString::fromLatin1(name));
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
    if (!IsComplete()) {
        // Better a plain bar with working buttons than a magenta block or nothing at all.
        painter.fillRect(QRect(QPoint(0, 0), size), QColor::fromRgba(kPlainBar));
        painter.restore();
        return;
    }
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

QRegion CToolbarSkin::Shape(const QSize& size, bool vertical, bool active, bool shown, int dockEdge,
                            qreal ratio) const {
    const int scale = std::max(1, qCeil(ratio));
    const QImage image = Render(size, vertical, active, shown, dockEdge, scale);
    // Runs of each row, left to right; a row with the same runs as the one above lengthens
    // them. That is the banded order QRegion::setRects wants.
    std::vector<QRect> rects;
    size_t previousRow = 0; // where the rows above's runs begin in `rects`
    for (int y = 0; y < size.height(); ++y) {
        std::vector<std::pair<int, int>> runs;
        int runStart = -1;
        for (int x = 0; x <= size.width(); ++x) {
            bool solid = x < size.width();
            for (int dy = 0; solid && dy < scale; ++dy) {
                const auto* line =
                    reinterpret_cast<const QRgb*>(image.constScanLine(y * scale + dy));
                for (int dx = 0; solid && dx < scale; ++dx)
                    solid = (line[x * scale + dx] | 0xFF000000u) != kColourKey;
            }
            if (solid && runStart < 0) {
                runStart = x;
            } else if (!solid && runStart >= 0) {
                runs.emplace_back(runStart, x - runStart);
                runStart = -1;
            }
        }
        bool same = y > 0 && rects.size() - previousRow == runs.size();
        for (size_t i = 0; same && i < runs.size(); ++i) {
            const QRect& above = rects[previousRow + i];
            same = above.left() == runs[i].first && above.width() == runs[i].second &&
                   above.bottom() == y - 1;
        }
        if (same) {
            for (size_t i = 0; i < runs.size(); ++i)
                rects[previousRow + i].setBottom(y);
            continue;
        }
        previousRow = rects.size();
        for (const auto& [left, width] : runs)
            rects.emplace_back(left, y, width, 1);
    }
    QRegion shape;
    shape.setRects(rects.data(), static_cast<int>(rects.size()));
    return shape;
}

#pragma once
// The toolbar's skin: a head, a tiled pad and a tail, each as drawn for a horizontal bar, turned
// a quarter clockwise for a vertical one, with inactive variants used only when all three
// exist. Magenta is the see-through colour around the skin.
#include <QImage>
#include <QSize>
#include <QString>

class QPainter;

class CToolbarSkin {
public:
    static constexpr QRgb kColourKey = 0xFFFF00FF;
    // The shown horizontal skin fills the pad over (width - 43) pixels from the head's right
    // edge: the head's and the tail's widths are meant to add up to 43.
    static constexpr int kPadAllowance = 43;

    // Loads the pieces from `folder` (bk_head.png, bk_pad.png, bk_tail.png and the _inactive
    // variants); with `devicePixelRatio` 2 the "@2x" pictures are taken where they exist.
    void Load(const QString& folder, qreal devicePixelRatio = 1.0);
    // All three required pieces are there.
    bool IsComplete() const;
    bool HasInactive() const;

    // Paints the skin over the whole client area of `size`: magenta first, then the pieces for
    // the orientation, the activation look and the shown state (or the tab at `dockEdge`).
    void Paint(QPainter& painter, const QSize& size, bool vertical, bool active, bool shown,
               int dockEdge) const;
    // The skin as a picture, for the window's shape and for tests.
    QImage Render(const QSize& size, bool vertical, bool active, bool shown, int dockEdge,
                  qreal devicePixelRatio = 1.0) const;

private:
    struct CPieces {
        QImage head, pad, tail;
    };
    const CPieces& PiecesFor(bool vertical, bool active) const;

    CPieces m_active, m_inactive, m_activeRotated, m_inactiveRotated;
};

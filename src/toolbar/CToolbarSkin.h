#pragma once
// The toolbar's skin: a head, a tiled pad and a tail, each as drawn for a horizontal bar, turned
// a quarter clockwise for a vertical one, with inactive variants used only when all three
// exist. Magenta is the see-through colour around the skin.
#include <QImage>
#include <QRegion>
#include <QSize>
#include <QString>
#include <QStringList>

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
    // All three required pieces are there. Without them the skin is a plain flat bar.
    bool IsComplete() const;
    // The files of the required pieces that are missing or no picture, after Load.
    const QStringList& MissingPieces() const { return m_missing; }
    // The bar drawn when the skin is incomplete, and the colour the toolbar's buttons sit on.
    static constexpr QRgb kPlainBar = 0xFF2B3038;
    bool HasInactive() const;

    // Paints the skin over the whole client area of `size`: magenta first, then the pieces for
    // the orientation, the activation look and the shown state (or the tab at `dockEdge`).
    void Paint(QPainter& painter, const QSize& size, bool vertical, bool active, bool shown,
               int dockEdge) const;
    // The skin as a picture, for the window's shape and for tests.
    QImage Render(const QSize& size, bool vertical, bool active, bool shown, int dockEdge,
                  qreal devicePixelRatio = 1.0) const;
    // The window's visible shape in logical pixels: the skin rendered at the screen's density,
    // keeping only the logical pixels in which no device pixel is the see-through key (a pixel
    // half key, half bar would show a speck of magenta at the rounded ends).
    QRegion Shape(const QSize& size, bool vertical, bool active, bool shown, int dockEdge,
                  qreal devicePixelRatio = 1.0) const;

private:
    struct CPieces {
        QImage head, pad, tail;
    };
    const CPieces& PiecesFor(bool vertical, bool active) const;

    CPieces m_active, m_inactive, m_activeRotated, m_inactiveRotated;
    QStringList m_missing;
};

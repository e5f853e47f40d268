#pragma once
#include "CPackedImage.h"
#include "CPageHistory.h"

#include <QImage>
#include <QSize>
#include <memory>

// One page of ink: a picture of the overlay's size in device pixels, every pixel 0 when made.
// Drawing on it opens a painter for the moment of drawing instead of keeping one open, so the
// picture can be read (redraw, stretch, save) at any time.
//
// Only the page shown holds its picture in `bitmap`; the others are put away packed (a few
// kilobytes for a blank page instead of megabytes) and unpacked when shown again.
struct _PageContext {
    _PageContext(const QSize& logicalSize, qreal devicePixelRatio);
    // A blank page made packed: nothing of its size is allocated until it is shown.
    static std::unique_ptr<_PageContext> MakePacked(const QSize& logicalSize,
                                                    qreal devicePixelRatio);
    // Stretches the picture over a new size (a packed page stays packed).
    void Resize(const QSize& logicalSize, qreal devicePixelRatio);

    bool IsPacked() const { return bitmap.isNull() && !packed.IsNull(); }
    // Puts the picture away; returns its buffer for the next page to be unpacked into.
    QImage Pack();
    // Brings the picture back, into `reuse` when that fits.
    void Unpack(QImage reuse = QImage());
    // The picture's size in device pixels, packed or not.
    QSize Size() const { return IsPacked() ? packed.Size() : bitmap.size(); }
    // Memory the page holds (while shown, its packed picture too), its undo steps left out.
    size_t Bytes() const;

    QImage bitmap;
    // While the page is shown this still holds the packed picture it was unpacked from, good
    // for as long as nothing wrote to `bitmap` since (its cache key is unchanged).
    CPackedImage packed;
    CPageHistory history;

private:
    _PageContext() = default;
    qint64 m_unpackedKey = 0;
};

#pragma once
// A picture kept small: cut into 256 x 256 tiles, a tile of one colour kept as that colour
// alone and any other tile as runs of pixels. Pages that are not shown and the undo steps
// live in this form; packing and unpacking give back the very same bytes.
#include <QImage>
#include <QRect>
#include <QSize>
#include <cstddef>
#include <vector>

class CPackedImage {
public:
    static constexpr int kTileSize = 256;

    CPackedImage() = default;
    // The part of `image` inside `area` (device pixels; clipped to the image), or all of it.
    // The image must be of CBitmap's premultiplied ARGB format.
    static CPackedImage Pack(const QImage& image);
    static CPackedImage Pack(const QImage& image, const QRect& area);
    // A picture of one colour, packed without ever being drawn.
    static CPackedImage Filled(const QSize& size, qreal devicePixelRatio, quint32 colour);

    // A new picture of the packed size and device pixel ratio; `reuse` is filled instead when
    // it has that size and format and is not shared, saving the allocation of a whole page.
    QImage Unpack(QImage reuse = QImage()) const;
    // Writes the packed pixels into `target` with their top-left corner at `at`; what falls
    // outside `target` is left out.
    void UnpackInto(QImage& target, const QPoint& at) const;

    bool IsNull() const { return m_size.isEmpty(); }
    QSize Size() const { return m_size; }
    qreal DevicePixelRatio() const { return m_ratio; }
    // Memory held by the packed pixels.
    size_t Bytes() const;

private:
    struct Tile {
        quint32 colour = 0;        // the tile's only colour when `runs` is empty
        std::vector<quint32> runs; // headers and pixels, see the encoder
    };
    void UnpackTile(const Tile& tile, QImage& target, const QRect& rect) const;

    QSize m_size;
    qreal m_ratio = 1.0;
    int m_columns = 0;
    std::vector<Tile> m_tiles;
};

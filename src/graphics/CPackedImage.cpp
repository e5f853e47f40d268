#include "CPackedImage.h"

#include "CBitmap.h"

#include <algorithm>
#include <cstring>

namespace {
// A run header has the top bit set and counts copies of the one pixel that follows; a literal
// header counts the pixels that follow as they are. Runs never cross a row.
constexpr quint32 kRunBit = 0x80000000u;
// Shorter repeats are cheaper as part of a literal.
constexpr int kShortestRun = 3;

bool IsOneColour(const QImage& image, const QRect& rect, quint32 colour) {
    // Compared with a row of the colour by memcmp, which the C library does in vector code:
    // the whole page is scanned each time it is put away.
    quint32 pattern[CPackedImage::kTileSize];
    std::fill(pattern, pattern + rect.width(), colour);
    const size_t rowBytes = static_cast<size_t>(rect.width()) * sizeof(quint32);
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const quint32* line = reinterpret_cast<const quint32*>(image.constScanLine(y)) + rect.x();
        if (std::memcmp(line, pattern, rowBytes) != 0)
            return false;
    }
    return true;
}

void EncodeRow(const quint32* p, int width, std::vector<quint32>& out) {
    int i = 0;
    while (i < width) {
        int j = i + 1;
        while (j < width && p[j] == p[i])
            ++j;
        if (j - i >= kShortestRun) {
            out.push_back(kRunBit | static_cast<quint32>(j - i));
            out.push_back(p[i]);
            i = j;
            continue;
        }
        // A literal reaches to where the next run begins.
        int k = i;
        while (k < width && !(k + 2 < width && p[k] == p[k + 1] && p[k] == p[k + 2]))
            ++k;
        out.push_back(static_cast<quint32>(k - i));
        out.insert(out.end(), p + i, p + k);
        i = k;
    }
}
} // namespace

CPackedImage CPackedImage::Pack(const QImage& image) {
    return Pack(image, image.rect());
}

CPackedImage CPackedImage::Pack(const QImage& image, const QRect& area) {
    CPackedImage packed;
    const QRect rect = area.intersected(image.rect());
    if (rect.isEmpty() || image.format() != CBitmap::kFormat)
        return packed;
    packed.m_size = rect.size();
    packed.m_ratio = image.devicePixelRatio();
    packed.m_columns = (rect.width() + kTileSize - 1) / kTileSize;
    const int rows = (rect.height() + kTileSize - 1) / kTileSize;
    packed.m_tiles.resize(static_cast<size_t>(packed.m_columns) * static_cast<size_t>(rows));
    std::vector<quint32> scratch;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < packed.m_columns; ++column) {
            const QRect tileRect = QRect(rect.x() + column * kTileSize, rect.y() + row * kTileSize,
                                         kTileSize, kTileSize)
                                       .intersected(rect);
            Tile& tile = packed.m_tiles[static_cast<size_t>(row * packed.m_columns + column)];
            tile.colour = *(reinterpret_cast<const quint32*>(image.constScanLine(tileRect.y())) +
                            tileRect.x());
            if (IsOneColour(image, tileRect, tile.colour))
                continue;
            scratch.clear();
            for (int y = tileRect.top(); y <= tileRect.bottom(); ++y)
                EncodeRow(reinterpret_cast<const quint32*>(image.constScanLine(y)) + tileRect.x(),
                          tileRect.width(), scratch);
            // Exactly the size needed: a page put away holds no slack.
            tile.runs.assign(scratch.begin(), scratch.end());
        }
    }
    return packed;
}

CPackedImage CPackedImage::Filled(const QSize& size, qreal devicePixelRatio, quint32 colour) {
    CPackedImage packed;
    if (size.isEmpty())
        return packed;
    packed.m_size = size;
    packed.m_ratio = devicePixelRatio;
    packed.m_columns = (size.width() + kTileSize - 1) / kTileSize;
    const int rows = (size.height() + kTileSize - 1) / kTileSize;
    packed.m_tiles.resize(static_cast<size_t>(packed.m_columns) * static_cast<size_t>(rows));
    for (Tile& tile : packed.m_tiles)
        tile.colour = colour;
    return packed;
}

size_t CPackedImage::Bytes() const {
    size_t bytes = sizeof(*this) + m_tiles.capacity() * sizeof(Tile);
    for (const Tile& tile : m_tiles)
        bytes += tile.runs.capacity() * sizeof(quint32);
    return bytes;
}

QImage CPackedImage::Unpack(QImage reuse) const {
    if (IsNull())
        return QImage();
    QImage image;
    // A buffer shared with someone else would be copied on the first write anyway.
    if (reuse.size() == m_size && reuse.format() == CBitmap::kFormat && reuse.isDetached())
        image = std::move(reuse);
    else
        image = QImage(m_size, CBitmap::kFormat);
    if (image.isNull())
        return image;
    image.setDevicePixelRatio(m_ratio);
    UnpackInto(image, QPoint(0, 0));
    return image;
}

void CPackedImage::UnpackInto(QImage& target, const QPoint& at) const {
    // Steps and pages are always unpacked where they came from; anything else is refused
    // rather than written half.
    if (IsNull() || target.format() != CBitmap::kFormat ||
        !target.rect().contains(QRect(at, m_size)))
        return;
    const int rows = static_cast<int>(m_tiles.size()) / std::max(m_columns, 1);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < m_columns; ++column) {
            const QRect tileRect =
                QRect(at.x() + column * kTileSize, at.y() + row * kTileSize, kTileSize, kTileSize)
                    .intersected(QRect(at, m_size));
            UnpackTile(m_tiles[static_cast<size_t>(row * m_columns + column)], target, tileRect);
        }
}

void CPackedImage::UnpackTile(const Tile& tile, QImage& target, const QRect& rect) const {
    if (tile.runs.empty()) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            quint32* line = reinterpret_cast<quint32*>(target.scanLine(y)) + rect.x();
            std::fill(line, line + rect.width(), tile.colour);
        }
        return;
    }
    const quint32* in = tile.runs.data();
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        quint32* out = reinterpret_cast<quint32*>(target.scanLine(y)) + rect.x();
        quint32* const end = out + rect.width();
        while (out < end) {
            const quint32 header = *in++;
            if (header & kRunBit) {
                const quint32 count = header & ~kRunBit;
                std::fill(out, out + count, *in++);
                out += count;
            } else {
                std::memcpy(out, in, header * sizeof(quint32));
                in += header;
                out += header;
            }
        }
    }
}

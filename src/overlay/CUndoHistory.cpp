#include "CUndoHistory.h"

#include "CBitmap.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

namespace {
void DropRedo(CPageHistory& history) {
    for (const CUndoStep& step : history.redo)
        history.bytes -= step.Bytes();
    history.redo.clear();
}

const quint32* Row(const QImage& image, int y) {
    return reinterpret_cast<const quint32*>(image.constScanLine(y));
}
} // namespace

void CUndoHistory::Grid(const QSize& size) {
    if (size == m_gridSize)
        return;
    ReleaseTiles();
    m_gridSize = size;
    m_columns = (size.width() + kTileSizePx - 1) / kTileSizePx;
    const int rows = (size.height() + kTileSizePx - 1) / kTileSizePx;
    m_slotOfTile.assign(static_cast<size_t>(m_columns) * static_cast<size_t>(rows), -1);
}

QRect CUndoHistory::TileRect(int tile) const {
    return QRect((tile % m_columns) * kTileSizePx, (tile / m_columns) * kTileSizePx, kTileSizePx,
                 kTileSizePx)
        .intersected(QRect(QPoint(0, 0), m_gridSize));
}

void CUndoHistory::BeginStep(const _PageContext& page) {
    ReleaseTiles();
    const QImage& bitmap = page.bitmap;
    m_open = !bitmap.isNull() && bitmap.format() == CBitmap::kFormat;
    m_page = m_open ? &page : nullptr;
    if (!m_open)
        return;
    Grid(bitmap.size());
    if (!m_checking)
        return;
    // The whole copy is made again only when something wrote to the page since the last step
    // ended (its cache key changes with every write).
    if (bitmap.cacheKey() == m_checkKey && m_check.size() == bitmap.size())
        return;
    if (m_check.size() != bitmap.size())
        m_check = QImage(bitmap.size(), bitmap.format());
    for (int y = 0; y < bitmap.height() && !m_check.isNull(); ++y)
        std::memcpy(m_check.scanLine(y), bitmap.constScanLine(y),
                    static_cast<size_t>(bitmap.width()) * 4);
    m_checkKey = m_check.isNull() ? 0 : bitmap.cacheKey();
}

void CUndoHistory::Touch(const _PageContext& page, const QRect& devicePixelBox) {
    if (!m_open || &page != m_page || page.bitmap.size() != m_gridSize)
        return;
    const QRect box = devicePixelBox.intersected(QRect(QPoint(0, 0), m_gridSize));
    if (box.isEmpty())
        return;
    if (m_checking)
        m_touched += box;
    const int firstColumn = box.left() / kTileSizePx, lastColumn = box.right() / kTileSizePx;
    const int firstRow = box.top() / kTileSizePx, lastRow = box.bottom() / kTileSizePx;
    size_t fresh = 0;
    for (int row = firstRow; row <= lastRow; ++row)
        for (int column = firstColumn; column <= lastColumn; ++column)
            fresh += m_slotOfTile[static_cast<size_t>(row * m_columns + column)] < 0 ? 1 : 0;
    if (fresh == 0)
        return;
    const size_t needed = m_savedTiles.size() + fresh;
    while (m_chunks.size() * kChunkTiles < needed) {
        std::unique_ptr<quint32[]> chunk(new (std::nothrow) quint32[kChunkTiles * kTilePixels]);
        if (!chunk) {
            // What is under the box cannot be kept: this change cannot become a step.
            CancelStep();
            return;
        }
        m_chunks.push_back(std::move(chunk));
    }
    const QImage& bitmap = page.bitmap;
    for (int row = firstRow; row <= lastRow; ++row)
        for (int column = firstColumn; column <= lastColumn; ++column) {
            const int tile = row * m_columns + column;
            int& slot = m_slotOfTile[static_cast<size_t>(tile)];
            if (slot >= 0)
                continue;
            slot = static_cast<int>(m_savedTiles.size());
            m_savedTiles.push_back(tile);
            const QRect rect = TileRect(tile);
            quint32* saved = Saved(slot);
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                std::memcpy(saved + static_cast<size_t>(y - rect.top()) * kTileSizePx,
                            Row(bitmap, y) + rect.x(), static_cast<size_t>(rect.width()) * 4);
        }
}

void CUndoHistory::TouchOverlayBox(const _PageContext& page, const QRectF& box) {
    if (!m_open || &page != m_page || box.isEmpty())
        return;
    const qreal ratio = page.bitmap.devicePixelRatio();
    const QRect device(QPoint(static_cast<int>(std::floor(box.left() * ratio)),
                              static_cast<int>(std::floor(box.top() * ratio))),
                       QPoint(static_cast<int>(std::ceil(box.right() * ratio)),
                              static_cast<int>(std::ceil(box.bottom() * ratio))));
    Touch(page, device.adjusted(-kFringePx, -kFringePx, kFringePx, kFringePx));
}

void CUndoHistory::TouchAll(const _PageContext& page) {
    Touch(page, QRect(QPoint(0, 0), page.bitmap.size()));
}

void CUndoHistory::CancelStep() {
    m_open = false;
    m_page = nullptr;
    ReleaseTiles();
}

void CUndoHistory::ReleaseTiles() {
    m_touched = QRegion();
    for (int tile : m_savedTiles)
        m_slotOfTile[static_cast<size_t>(tile)] = -1;
    m_savedTiles.clear();
    if (m_chunks.size() > kKeptChunks)
        m_chunks.resize(kKeptChunks);
}

QRect CUndoHistory::ChangedBox(const QImage& page) const {
    int top = std::numeric_limits<int>::max(), left = top, bottom = -1, right = -1;
    for (size_t slot = 0; slot < m_savedTiles.size(); ++slot) {
        const QRect rect = TileRect(m_savedTiles[slot]);
        const quint32* saved = Saved(static_cast<int>(slot));
        const int width = rect.width();
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            const quint32* a = saved + static_cast<size_t>(y - rect.top()) * kTileSizePx;
            const quint32* b = Row(page, y) + rect.x();
            if (std::memcmp(a, b, static_cast<size_t>(width) * 4) == 0)
                continue;
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            int x = 0;
            while (a[x] == b[x])
                ++x;
            left = std::min(left, rect.x() + x);
            x = width - 1;
            while (a[x] == b[x])
                --x;
            right = std::max(right, rect.x() + x);
        }
    }
    if (bottom < 0)
        return QRect();
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

void CUndoHistory::SwapSaved(QImage& page, const QRect& box) {
    uchar* bits = page.bits();
    const qsizetype bytesPerLine = page.bytesPerLine();
    for (size_t slot = 0; slot < m_savedTiles.size(); ++slot) {
        const QRect tileRect = TileRect(m_savedTiles[slot]);
        const QRect rect = tileRect.intersected(box);
        if (rect.isEmpty())
            continue;
        quint32* saved = Saved(static_cast<int>(slot));
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            quint32* line = reinterpret_cast<quint32*>(bits + y * bytesPerLine) + rect.x();
            std::swap_ranges(line, line + rect.width(),
                             saved + static_cast<size_t>(y - tileRect.top()) * kTileSizePx +
                                 (rect.x() - tileRect.x()));
        }
    }
}

void CUndoHistory::CheckUntouched(const QImage& page) {
    if (m_check.size() != page.size())
        return;
    const QRegion untouched = QRegion(page.rect()).subtracted(m_touched);
    for (const QRect& rect : untouched)
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            if (std::memcmp(Row(m_check, y) + rect.x(), Row(page, y) + rect.x(),
                            static_cast<size_t>(rect.width()) * 4) != 0) {
                ++m_untouchedWrites;
                m_checkKey = 0;
                return;
            }
}

bool CUndoHistory::EndStep(_PageContext& page, Pages& pages) {
    if (!m_open)
        return false;
    m_open = false;
    QImage& bitmap = page.bitmap;
    if (&page != m_page || bitmap.size() != m_gridSize || bitmap.format() != CBitmap::kFormat) {
        CancelStep();
        return false;
    }
    if (m_checking)
        CheckUntouched(bitmap);
    const QRect box = ChangedBox(bitmap);
    if (box.isEmpty()) {
        if (m_checking && m_checkKey != 0)
            m_checkKey = bitmap.cacheKey();
        CancelStep();
        return false;
    }
    CUndoStep step;
    step.box = box;
    step.after = CPackedImage::Pack(bitmap, box);
    // The saved tiles are put back for a moment to pack the box as it was.
    SwapSaved(bitmap, box);
    step.before = CPackedImage::Pack(bitmap, box);
    SwapSaved(bitmap, box);
    if (m_checking && m_checkKey != 0 && m_check.size() == bitmap.size()) {
        // The copy becomes the page as it is now, for the next step to start from.
        for (int y = box.top(); y <= box.bottom(); ++y)
            std::memcpy(reinterpret_cast<quint32*>(m_check.scanLine(y)) + box.x(),
                        Row(bitmap, y) + box.x(), static_cast<size_t>(box.width()) * 4);
        m_checkKey = bitmap.cacheKey();
    }
    CancelStep();
    step.serial = ++m_serial;
    CPageHistory& history = page.history;
    DropRedo(history);
    history.bytes += step.Bytes();
    history.undo.push_back(std::move(step));
    KeepUnderCap(pages);
    return true;
}

bool CUndoHistory::Undo(_PageContext& page) {
    CPageHistory& history = page.history;
    if (history.undo.empty() || page.bitmap.isNull())
        return false;
    CUndoStep& step = history.undo.back();
    step.before.UnpackInto(page.bitmap, step.box.topLeft());
    history.redo.push_back(std::move(step));
    history.undo.pop_back();
    return true;
}

bool CUndoHistory::Redo(_PageContext& page) {
    CPageHistory& history = page.history;
    if (history.redo.empty() || page.bitmap.isNull())
        return false;
    CUndoStep& step = history.redo.back();
    step.after.UnpackInto(page.bitmap, step.box.topLeft());
    history.undo.push_back(std::move(step));
    history.redo.pop_back();
    return true;
}

void CUndoHistory::ForgetAll(Pages& pages) {
    for (auto& page : pages)
        page->history = CPageHistory();
    CancelStep();
    // Nothing sized for the old display is kept.
    m_chunks.clear();
    m_gridSize = QSize();
    m_slotOfTile.clear();
    m_check = QImage();
    m_checkKey = 0;
}

size_t CUndoHistory::ScratchBytes() const {
    return m_chunks.size() * kChunkBytes + m_slotOfTile.capacity() * sizeof(int) +
           m_savedTiles.capacity() * sizeof(int) + static_cast<size_t>(m_check.sizeInBytes());
}

void CUndoHistory::SetChecking(bool checking) {
    m_checking = checking;
    m_check = QImage();
    m_checkKey = 0;
}

size_t CUndoHistory::Bytes(const Pages& pages) {
    size_t bytes = 0;
    for (const auto& page : pages)
        bytes += page->history.bytes;
    return bytes;
}

void CUndoHistory::KeepUnderCap(Pages& pages) {
    size_t total = Bytes(pages);
    while (total > m_capBytes) {
        // The oldest step that can go: the first of some page's undo steps. Only when no page
        // has one, the redo step farthest from being redone.
        CPageHistory* oldest = nullptr;
        std::uint64_t oldestSerial = std::numeric_limits<std::uint64_t>::max();
        for (auto& page : pages) {
            CPageHistory& history = page->history;
            if (!history.undo.empty() && history.undo.front().serial < oldestSerial) {
                oldest = &history;
                oldestSerial = history.undo.front().serial;
            }
        }
        if (oldest) {
            const size_t bytes = oldest->undo.front().Bytes();
            oldest->undo.pop_front();
            oldest->bytes -= bytes;
            total -= bytes;
            continue;
        }
        bool dropped = false;
        for (auto& page : pages) {
            CPageHistory& history = page->history;
            if (!history.redo.empty()) {
                const size_t bytes = history.redo.front().Bytes();
                history.redo.pop_front();
                history.bytes -= bytes;
                total -= bytes;
                dropped = true;
                break;
            }
        }
        if (!dropped)
            return;
    }
}

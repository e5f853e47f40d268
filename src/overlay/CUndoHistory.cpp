#include "CUndoHistory.h"

#include "CBitmap.h"

#include <cstring>
#include <limits>

namespace {
// The smallest box holding every pixel that differs between the two pictures, or an empty one.
// Found by comparing, not from the boxes the tools report: whatever changed the page, its undo
// brings back every byte.
QRect ChangedBox(const QImage& before, const QImage& after) {
    const int width = after.width();
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    int top = -1, bottom = -1, left = width, right = -1;
    for (int y = 0; y < after.height(); ++y) {
        const auto* a = reinterpret_cast<const quint32*>(before.constScanLine(y));
        const auto* b = reinterpret_cast<const quint32*>(after.constScanLine(y));
        if (std::memcmp(a, b, rowBytes) == 0)
            continue;
        if (top < 0)
            top = y;
        bottom = y;
        int x = 0;
        while (x < left && a[x] == b[x])
            ++x;
        left = std::min(left, x);
        x = width - 1;
        while (x > right && a[x] == b[x])
            --x;
        right = std::max(right, x);
    }
    if (top < 0)
        return QRect();
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

void DropRedo(CPageHistory& history) {
    for (const CUndoStep& step : history.redo)
        history.bytes -= step.Bytes();
    history.redo.clear();
}
} // namespace

void CUndoHistory::BeginStep(const _PageContext& page) {
    const QImage& bitmap = page.bitmap;
    m_open = !bitmap.isNull();
    if (!m_open)
        return;
    // Nothing wrote to the page since the last step ended (its cache key changes with every
    // write): the copy from then is still the page.
    if (bitmap.cacheKey() == m_beforeKey && m_before.size() == bitmap.size())
        return;
    // Copied into the buffer of the last step: a page at 4K is 33 MB, and a fresh allocation
    // would cost its page faults on every press.
    if (m_before.size() != bitmap.size() || m_before.format() != bitmap.format())
        m_before = QImage(bitmap.size(), bitmap.format());
    if (m_before.isNull()) {
        m_open = false;
        return;
    }
    for (int y = 0; y < bitmap.height(); ++y)
        std::memcpy(m_before.scanLine(y), bitmap.constScanLine(y),
                    static_cast<size_t>(bitmap.width()) * 4);
}

bool CUndoHistory::EndStep(_PageContext& page, Pages& pages) {
    if (!m_open)
        return false;
    m_open = false;
    const QImage& bitmap = page.bitmap;
    if (bitmap.size() != m_before.size() || bitmap.format() != CBitmap::kFormat)
        return false;
    const QRect box = ChangedBox(m_before, bitmap);
    if (box.isEmpty()) {
        m_beforeKey = bitmap.cacheKey();
        return false;
    }
    CUndoStep step;
    step.box = box;
    step.before = CPackedImage::Pack(m_before, box);
    step.after = CPackedImage::Pack(bitmap, box);
    // The copy becomes the page as it is now, for the next step to start from.
    for (int y = box.top(); y <= box.bottom(); ++y)
        std::memcpy(reinterpret_cast<quint32*>(m_before.scanLine(y)) + box.x(),
                    reinterpret_cast<const quint32*>(bitmap.constScanLine(y)) + box.x(),
                    static_cast<size_t>(box.width()) * 4);
    m_beforeKey = bitmap.cacheKey();
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
    m_open = false;
    m_before = QImage();
    m_beforeKey = 0;
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

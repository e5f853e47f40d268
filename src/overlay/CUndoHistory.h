#pragma once
// Undo and redo of what the drawing tools, a committed text and Clear do to a page. Each page
// keeps its own steps (in its _PageContext, so they follow it through new and deleted pages);
// this class makes the steps and keeps all of them together under one memory cap, dropping the
// oldest first.
//
// A step copies nothing of the page when it begins. Whatever writes to the page while a step is
// open first names the box it is about to change (Touch), and the tiles of the page under that
// box are saved as they are, once per step. The step's end compares only those tiles with the
// page to find the box that changed. A write outside every touched box would be lost to undo:
// the checking mode, for tests, catches it.
#include "_PageContext.h"

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QRegion>
#include <memory>
#include <vector>

class CUndoHistory {
public:
    using Pages = std::vector<std::unique_ptr<_PageContext>>;
    static constexpr size_t kDefaultCapBytes = size_t{256} * 1024 * 1024;
    // Device pixels on a side of the tiles saved before a write. Measured on a long thick
    // stroke at 4K: 32 saves two thirds of what 64 does and under half of what 128 does, the
    // release takes a few microseconds with any of them, and the grid is 32 KB.
    static constexpr int kTileSizePx = 32;
    // Device pixels an antialiased edge can reach beyond the box a shape is drawn in.
    static constexpr int kFringePx = 2;

    explicit CUndoHistory(size_t capBytes = kDefaultCapBytes) : m_capBytes(capBytes) {}

    // A change to the shown page begins; nothing is copied yet. A step still open is dropped.
    void BeginStep(const _PageContext& page);
    bool IsStepOpen() const { return m_open; }
    // About to write to the page of the open step within `devicePixelBox`: what is there now
    // is saved first. Without an open step on this page, nothing happens.
    void Touch(const _PageContext& page, const QRect& devicePixelBox);
    // The same for a box in overlay coordinates: scaled by the page's device pixel ratio and
    // widened by the antialiasing fringe.
    void TouchOverlayBox(const _PageContext& page, const QRectF& box);
    // About to write anywhere on the page (Clear).
    void TouchAll(const _PageContext& page);
    // The page shown changed before the step ended: no step is made.
    void CancelStep();
    // What changed on the page since BeginStep becomes one step of its history, and the steps
    // that could be redone are gone. Nothing changed: no step. Returns whether a step was made.
    bool EndStep(_PageContext& page, Pages& pages);

    // Put the box of the last step back as it was (undo) or as the step left it (redo). False
    // when there is nothing to undo or redo.
    static bool Undo(_PageContext& page);
    static bool Redo(_PageContext& page);

    // A display change stretched every page: no step fits any more.
    void ForgetAll(Pages& pages);
    // Memory held by every page's steps.
    static size_t Bytes(const Pages& pages);
    size_t CapBytes() const { return m_capBytes; }
    // Memory held for making steps: the saved tiles (and, checking, the whole copy).
    size_t ScratchBytes() const;

    // For tests: every step also keeps a whole copy of the page and the boxes touched, and its
    // end counts the steps in which a pixel outside those boxes changed: a write that was not
    // announced, or announced with too small a box (which the tiles may hide by luck).
    void SetChecking(bool checking);
    int UntouchedWrites() const { return m_untouchedWrites; }

private:
    void Grid(const QSize& size);
    QRect TileRect(int tile) const;
    quint32* Saved(int slot) {
        const auto at = static_cast<size_t>(slot);
        return m_chunks[at / kChunkTiles].get() + (at % kChunkTiles) * kTilePixels;
    }
    const quint32* Saved(int slot) const { return const_cast<CUndoHistory*>(this)->Saved(slot); }
    // The box that differs between the saved tiles and the page, or an empty one.
    QRect ChangedBox(const QImage& page) const;
    // Exchanges the saved tiles with the page within `box`: done twice, the page is as it was.
    void SwapSaved(QImage& page, const QRect& box);
    void CheckUntouched(const QImage& page);
    void ReleaseTiles();
    void KeepUnderCap(Pages& pages);

    static constexpr size_t kTilePixels = size_t{kTileSizePx} * kTileSizePx;
    // Tiles are saved into chunks of this many, allocated as needed: nothing is copied when a
    // stroke goes on, and at most one chunk is spare.
    static constexpr size_t kChunkTiles = 64;
    static constexpr size_t kChunkBytes = kChunkTiles * kTilePixels * 4;
    // Chunks are kept between steps up to this many, to save allocating them on every press;
    // more (a Clear at 4K) are freed.
    static constexpr size_t kKeptChunks = 4;

    size_t m_capBytes;
    bool m_open = false;
    const _PageContext* m_page = nullptr; // the page of the open step
    QSize m_gridSize;                     // the page size the tile grid is laid over
    int m_columns = 0;
    std::vector<int> m_slotOfTile; // per tile of the page: its slot in m_chunks, or -1
    std::vector<int> m_savedTiles; // the tiles saved in this step, slot by slot
    // The saved tiles, kTileSizePx rows of kTileSizePx pixels each, slot after slot.
    std::vector<std::unique_ptr<quint32[]>> m_chunks;
    std::uint64_t m_serial = 0;

    bool m_checking = false;
    QImage m_check;        // checking: the page at BeginStep
    QRegion m_touched;     // checking: the boxes touched in this step
    qint64 m_checkKey = 0; // the cache key of the page m_check was last made equal to
    int m_untouchedWrites = 0;
};

#pragma once
// The undo and redo steps of one page. A step keeps only the box of the page that changed, as
// it was before and after, packed.
#include "CPackedImage.h"

#include <QRect>
#include <cstdint>
#include <deque>

struct CUndoStep {
    QRect box; // device pixels of the page
    CPackedImage before;
    CPackedImage after;
    std::uint64_t serial = 0; // the order steps were made in, over all pages
    size_t Bytes() const { return sizeof(*this) + before.Bytes() + after.Bytes(); }
};

struct CPageHistory {
    std::deque<CUndoStep> undo; // the last step made at the back
    std::deque<CUndoStep> redo; // the next step to redo at the back
    size_t bytes = 0;           // held by both
};

#pragma once
// Keeps only the page shown unpacked: every other page is put away packed, and the page to
// show is unpacked into the buffer of the page it replaces, so a page change allocates nothing.
#include "_PageContext.h"

#include <memory>
#include <vector>

class CPageStore {
public:
    using Pages = std::vector<std::unique_ptr<_PageContext>>;
    static void ShowOnly(Pages& pages, size_t current);
    // Memory held by the pages, their undo steps left out.
    static size_t Bytes(const Pages& pages);
};

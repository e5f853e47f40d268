#pragma once
// The page list: pages in their order and the index of the one shown. Each operation says
// whether anything changed, so the overlay knows to redraw and tell the toolbar.
#include "_PageContext.h"

#include <memory>
#include <vector>

class CPages {
public:
    using List = std::vector<std::unique_ptr<_PageContext>>;

    // A new empty page after the current one, which it becomes; it is made packed, and
    // CPageStore::ShowOnly unpacks it.
    static void New(List& pages, size_t& current, const QSize& size, qreal devicePixelRatio);
    static bool Next(const List& pages, size_t& current);
    static bool Previous(size_t& current);
    // Removes the current page; the only page is cleared instead (returns false then: the
    // counter does not change). The page after the removed one is shown, or the new last one.
    static bool Delete(List& pages, size_t& current);
    // Every pixel of the page to transparent white, which leaves the background visible.
    static void Clear(_PageContext& page);
};

#include "CPages.h"

#include "CGraphics.h"

void CPages::New(List& pages, size_t& current, const QSize& size, qreal devicePixelRatio) {
    const size_t at = pages.empty() ? 0 : current + 1;
    // Made packed: it takes over the buffer of the page it replaces when it is shown.
    pages.insert(pages.begin() + static_cast<long>(at),
                 _PageContext::MakePacked(size, devicePixelRatio));
    current = at;
}

bool CPages::Next(const List& pages, size_t& current) {
    if (current + 1 >= pages.size())
        return false;
    ++current;
    return true;
}

bool CPages::Previous(size_t& current) {
    if (current == 0)
        return false;
    --current;
    return true;
}

bool CPages::Delete(List& pages, size_t& current) {
    if (pages.size() <= 1) {
        if (!pages.empty())
            Clear(*pages.front());
        return false;
    }
    pages.erase(pages.begin() + static_cast<long>(current));
    if (current >= pages.size())
        current = pages.size() - 1;
    return true;
}

void CPages::Clear(_PageContext& page) {
    CGraphics graphics(&page.bitmap);
    graphics.Clear(0x00FFFFFF);
}

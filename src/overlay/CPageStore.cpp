#include "CPageStore.h"

void CPageStore::ShowOnly(Pages& pages, size_t current) {
    QImage spare;
    for (size_t i = 0; i < pages.size(); ++i)
        if (i != current && !pages[i]->bitmap.isNull())
            spare = pages[i]->Pack();
    if (current < pages.size())
        pages[current]->Unpack(std::move(spare));
}

size_t CPageStore::Bytes(const Pages& pages) {
    size_t bytes = 0;
    for (const auto& page : pages)
        bytes += page->Bytes();
    return bytes;
}

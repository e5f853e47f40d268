#include "CShapeRequests.h"

#include <algorithm>

std::vector<CShapeRequests::CBatch> CShapeRequests::Split(int rects, size_t mostRequestBytes) {
    if (mostRequestBytes < kHeaderBytes + kRectBytes)
        return {};
    const auto perRequest = static_cast<int>(
        std::min<size_t>((mostRequestBytes - kHeaderBytes) / kRectBytes, 1u << 30));
    std::vector<CBatch> batches;
    int first = 0;
    do {
        const int count = std::min(perRequest, rects - first);
        batches.push_back({first, count});
        first += count;
    } while (first < rects);
    return batches;
}

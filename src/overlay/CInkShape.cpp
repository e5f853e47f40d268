#include "CInkShape.h"

#include <vector>

namespace {
// The runs of ink of row `y` as start and end (exclusive) columns, one after the other; a gap
// of `fillGap` pixels or fewer between two runs joins them.
void RowRuns(const QImage& surface, int y, int fillGap, std::vector<int>& runs) {
    runs.clear();
    const QRgb* line = reinterpret_cast<const QRgb*>(surface.constScanLine(y));
    const int width = surface.width();
    constexpr int background = CInkShape::kMostTransparentBackgroundAlpha;
    int x = 0;
    while (x < width) {
        while (x < width && qAlpha(line[x]) <= background)
            ++x;
        if (x == width)
            break;
        const int start = x;
        while (x < width && qAlpha(line[x]) > background)
            ++x;
        if (!runs.empty() && start - runs.back() <= fillGap) {
            runs.back() = x;
        } else {
            runs.push_back(start);
            runs.push_back(x);
        }
    }
}
} // namespace

QRegion CInkShape::Of(const QImage& surface, int mostRects) {
    const int width = surface.width(), height = surface.height();
    std::vector<int> previous, current;
    previous.reserve(static_cast<size_t>(width) + 1);
    current.reserve(static_cast<size_t>(width) + 1);

    // First the rectangles the exact shape takes (a row like the one above it adds none) and
    // how many of its gaps there are of each width.
    std::vector<qint64> gapsOfWidth(static_cast<size_t>(width) + 1, 0);
    qint64 rects = 0;
    for (int y = 0; y < height; ++y) {
        RowRuns(surface, y, 0, current);
        if (current != previous) {
            rects += static_cast<qint64>(current.size() / 2);
            for (size_t i = 2; i < current.size(); i += 2)
                ++gapsOfWidth[static_cast<size_t>(current[i] - current[i - 1])];
        }
        previous.swap(current);
    }
    // Too many: fill the narrowest gaps first. Filling a gap saves a rectangle, and rows that
    // become alike save more, so this count is the most the filled shape takes.
    int fillGap = 0;
    for (int gap = 1; gap <= width && rects > mostRects; ++gap) {
        rects -= gapsOfWidth[static_cast<size_t>(gap)];
        fillGap = gap;
    }
    gapsOfWidth = {};

    std::vector<QRect> shape;
    shape.reserve(static_cast<size_t>(std::max<qint64>(rects, 0)));
    previous.clear();
    int bandTop = 0;
    const auto endBand = [&](int bandEnd) {
        for (size_t i = 0; i + 1 < previous.size(); i += 2)
            shape.emplace_back(previous[i], bandTop, previous[i + 1] - previous[i],
                               bandEnd - bandTop);
    };
    for (int y = 0; y < height; ++y) {
        RowRuns(surface, y, fillGap, current);
        if (current == previous)
            continue;
        endBand(y);
        previous.swap(current);
        bandTop = y;
    }
    endBand(height);
    QRegion region;
    region.setRects(shape.data(), static_cast<int>(shape.size()));
    return region;
}

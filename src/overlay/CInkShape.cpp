#include "CInkShape.h"

#include <vector>

QRegion CInkShape::Of(const QImage& surface) {
    std::vector<QRect> runs;
    for (int y = 0; y < surface.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(surface.constScanLine(y));
        int start = -1;
        for (int x = 0; x <= surface.width(); ++x) {
            const bool ink =
                x < surface.width() && qAlpha(line[x]) > kMostTransparentBackgroundAlpha;
            if (ink && start < 0)
                start = x;
            else if (!ink && start >= 0) {
                runs.emplace_back(start, y, x - start, 1);
                start = -1;
            }
        }
    }
    QRegion shape;
    shape.setRects(runs.data(), static_cast<int>(runs.size()));
    return shape;
}

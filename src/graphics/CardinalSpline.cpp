#include "CardinalSpline.h"

std::vector<QPointF> CardinalSplineBezierPoints(const std::vector<QPoint>& points, float tension) {
    std::vector<QPointF> result;
    if (points.empty())
        return result;
    const qreal scale = 0.3 * qreal(tension);
    const auto n = std::ptrdiff_t(points.size());
    auto at = [&](std::ptrdiff_t i) {
        return QPointF(points[size_t(qBound<std::ptrdiff_t>(0, i, n - 1))]);
    };
    result.reserve(size_t(3 * n - 2));
    result.push_back(at(0));
    for (std::ptrdiff_t i = 0; i + 1 < n; ++i) {
        result.push_back(at(i) + scale * (at(i + 1) - at(i - 1)));
        result.push_back(at(i + 1) - scale * (at(i + 2) - at(i)));
        result.push_back(at(i + 1));
    }
    return result;
}

// The smooth curve through a stroke's points: a cardinal spline, drawn as cubic Bézier segments.
#pragma once

#include <QPoint>
#include <QPointF>
#include <vector>

// P0, c1, c2, P1, c1, c2, P2, ... (3n - 2 points for n points; nothing for none). The segment
// from P[i] to P[i+1] has the control points P[i] + s (P[i+1] - P[i-1]) and
// P[i+1] - s (P[i+2] - P[i]) with s = 0.3 * tension (0.15 at the usual tension 0.5); an end
// point stands in for its missing neighbour, so the curve leaves the first point towards the
// second and reaches the last point from the one before.
std::vector<QPointF> CardinalSplineBezierPoints(const std::vector<QPoint>& points,
                                                float tension = 0.5f);

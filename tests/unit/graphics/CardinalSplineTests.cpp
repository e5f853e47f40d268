// The curve strokes are drawn with: control points, and that the drawn curve goes through the
// points the pointer gave.
#include "CBitmap.h"
#include "CGraphics.h"
#include "CardinalSpline.h"
#include "PixelAssertions.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct SSplineCase {
    const char* name;
    std::vector<QPoint> points;
    float tension;
    std::vector<QPointF> expected; // P0, c1, c2, P1, c1, c2, P2, ...
};

void PrintTo(const SSplineCase& c, std::ostream* out) {
    *out << c.name;
}

class CardinalSplineControlPoints : public ::testing::TestWithParam<SSplineCase> {};

TEST_P(CardinalSplineControlPoints, FollowTheNeighbours) {
    const std::vector<QPointF> actual =
        CardinalSplineBezierPoints(GetParam().points, GetParam().tension);
    ASSERT_EQ(actual.size(), GetParam().expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        EXPECT_NEAR(actual[i].x(), GetParam().expected[i].x(), 1e-4) << "point " << i;
        EXPECT_NEAR(actual[i].y(), GetParam().expected[i].y(), 1e-4) << "point " << i;
    }
}

// The ends stand in for their missing neighbours: with two points each control point lies 15 %
// of the way along the line.
INSTANTIATE_TEST_SUITE_P(
    Curves, CardinalSplineControlPoints,
    ::testing::Values(
        SSplineCase{"none", {}, 0.5f, {}}, SSplineCase{"one point", {{5, 7}}, 0.5f, {{5, 7}}},
        SSplineCase{"two points", {{0, 0}, {10, 0}}, 0.5f, {{0, 0}, {1.5, 0}, {8.5, 0}, {10, 0}}},
        SSplineCase{"tension 1", {{0, 0}, {10, 0}}, 1.0f, {{0, 0}, {3, 0}, {7, 0}, {10, 0}}},
        SSplineCase{"tension 0 is straight",
                    {{0, 0}, {10, 10}, {20, 0}},
                    0.0f,
                    {{0, 0}, {0, 0}, {10, 10}, {10, 10}, {10, 10}, {20, 0}, {20, 0}}},
        SSplineCase{"peak",
                    {{0, 0}, {10, 10}, {20, 0}},
                    0.5f,
                    {{0, 0}, {1.5, 1.5}, {7, 10}, {10, 10}, {13, 10}, {18.5, 1.5}, {20, 0}}},
        SSplineCase{"square",
                    {{0, 0}, {0, 10}, {10, 10}, {10, 0}},
                    0.5f,
                    {{0, 0},
                     {0, 1.5},
                     {-1.5, 8.5},
                     {0, 10},
                     {1.5, 11.5},
                     {8.5, 11.5},
                     {10, 10},
                     {11.5, 8.5},
                     {10, 1.5},
                     {10, 0}}},
        SSplineCase{"repeated point",
                    {{4, 4}, {4, 4}, {8, 4}},
                    0.5f,
                    {{4, 4}, {4, 4}, {3.4, 4}, {4, 4}, {4.6, 4}, {7.4, 4}, {8, 4}}}));

class CardinalSplineDrawing : public ::testing::TestWithParam<std::vector<QPoint>> {};

// The pen passes over every point it was given, whatever the turns between them. (A 1-pixel
// aliased curve may step past a point's pixel to a neighbour; 3 pixels leave no doubt.)
TEST_P(CardinalSplineDrawing, PassesThroughEveryPoint) {
    QImage surface = CBitmap::CreateBitmap(80, 80);
    {
        CGraphics graphics(&surface);
        graphics.DrawCardinalSpline(CPen(0xFF000000u, 3), GetParam());
    }
    for (const QPoint& point : GetParam())
        EXPECT_EQ(AlphaAt(surface, point.x(), point.y()), 255) << point.x() << "," << point.y();
}

INSTANTIATE_TEST_SUITE_P(
    Strokes, CardinalSplineDrawing,
    ::testing::Values(std::vector<QPoint>{{5, 5}, {70, 70}},
                      std::vector<QPoint>{{5, 40}, {20, 10}, {35, 70}, {50, 12}, {74, 40}},
                      std::vector<QPoint>{{10, 10}, {70, 10}, {70, 70}, {10, 70}, {12, 14}},
                      std::vector<QPoint>{{40, 40}, {41, 40}, {41, 41}, {60, 5}}));

} // namespace

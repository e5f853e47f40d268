// How CGraphics combines what it draws with the surface: compositing modes, Clear, smoothing
// and clipping, across the operations the overlay draws with.
#include "CBitmap.h"
#include "CGraphics.h"
#include "PixelAssertions.h"

#include <functional>
#include <gtest/gtest.h>
#include <set>

namespace {

constexpr ARGB kRed = 0xFFFF0000u;
constexpr ARGB kMarker = 0x8F0000FFu; // the translucent marker's blue

// Each draws kMarker (or a picture of it) over the middle of a 40 x 40 surface, covering at least
// the pixel (20, 20) fully, and more than the 10 x 10 box at (15, 15).
struct SDrawCase {
    const char* name;
    std::function<void(CGraphics&, ARGB)> draw;
};

QImage SolidPicture(ARGB color, int side) {
    QImage image = CBitmap::CreateBitmap(side, side);
    CGraphics graphics(&image);
    graphics.SetCompositingMode(ECompositingMode::SourceCopy);
    graphics.FillRectangle(CBrush::Solid(color), image.rect());
    return image;
}

const SDrawCase kDrawCases[] = {
    {"FillRectangle",
     [](CGraphics& g, ARGB c) {
         g.FillRectangle(CBrush::Solid(c), {5, 5, 30, 30});
     }},
    {"FillEllipse",
     [](CGraphics& g, ARGB c) {
         g.FillEllipse(CBrush::Solid(c), {2, 2, 36, 36});
     }},
    {"FillPolygon",
     [](CGraphics& g, ARGB c) {
         g.FillPolygon(CBrush::Solid(c), {{5, 5}, {35, 5}, {35, 35}, {5, 35}});
     }},
    {"FillRegion",
     [](CGraphics& g, ARGB c) { g.FillRegion(CBrush::Solid(c), QRegion(5, 5, 30, 30)); }},
    {"DrawLines",
     [](CGraphics& g, ARGB c) {
         g.DrawLines(CPen(c, 30), {{5, 20}, {35, 20}});
     }},
    {"DrawCardinalSpline",
     [](CGraphics& g, ARGB c) {
         g.DrawCardinalSpline(CPen(c, 30), {{5, 20}, {20, 21}, {35, 20}});
     }},
    {"DrawPath",
     [](CGraphics& g, ARGB c) {
         CGraphicsPath path;
         path.AddLines({{5, 20}, {35, 20}});
         g.DrawPath(CPen(c, 30), path);
     }},
    {"DrawRectangle",
     [](CGraphics& g, ARGB c) {
         g.DrawRectangle(CPen(c, 24), {10, 10, 20, 20});
     }},
    {"DrawImage at a point",
     [](CGraphics& g, ARGB c) { g.DrawImage(SolidPicture(c, 30), QPoint(5, 5)); }},
    {"DrawImage stretched",
     [](CGraphics& g, ARGB c) { g.DrawImage(SolidPicture(c, 10), QRect(5, 5, 30, 30)); }},
};

void PrintTo(const SDrawCase& c, std::ostream* out) {
    *out << c.name;
}

std::string CaseName(const ::testing::TestParamInfo<SDrawCase>& info) {
    return TestCaseName(info.param.name);
}

QImage RedSurface() {
    QImage surface = CBitmap::CreateBitmap(40, 40);
    CGraphics(&surface).Clear(kRed);
    return surface;
}

class CompositingByOperation : public ::testing::TestWithParam<SDrawCase> {};

TEST_P(CompositingByOperation, SourceOverBlendsByAlpha) {
    QImage surface = RedSurface();
    {
        CGraphics graphics(&surface);
        graphics.SetCompositingMode(ECompositingMode::SourceOver);
        GetParam().draw(graphics, kMarker);
    }
    // 0x8F of blue over the remaining 0x70 of red, opaque.
    EXPECT_TRUE(ArgbNear(ArgbAt(surface, 20, 20), 0xFF70008Fu));
    EXPECT_EQ(ArgbAt(surface, 0, 39), kRed) << "drew outside its shape";
}

TEST_P(CompositingByOperation, SourceCopyReplacesThePixelAlphaIncluded) {
    QImage surface = RedSurface();
    {
        CGraphics graphics(&surface);
        graphics.SetCompositingMode(ECompositingMode::SourceCopy);
        GetParam().draw(graphics, kMarker);
    }
    EXPECT_TRUE(ArgbNear(ArgbAt(surface, 20, 20), kMarker));
    EXPECT_EQ(ArgbAt(surface, 0, 39), kRed) << "drew outside its shape";
}

TEST_P(CompositingByOperation, ClipKeepsDrawingInside) {
    QImage surface = CBitmap::CreateBitmap(40, 40);
    {
        CGraphics graphics(&surface);
        graphics.SetClip(QRect(15, 15, 10, 10));
        GetParam().draw(graphics, kRed);
    }
    EXPECT_EQ(PaintedBounds(surface), QRect(15, 15, 10, 10));
}

TEST_P(CompositingByOperation, ResetClipReachesTheWholeSurfaceAgain) {
    QImage surface = CBitmap::CreateBitmap(40, 40);
    {
        CGraphics graphics(&surface);
        graphics.SetClip(QRect(0, 0, 1, 1));
        graphics.ResetClip();
        GetParam().draw(graphics, kRed);
    }
    EXPECT_TRUE(PaintedBounds(surface).contains(QRect(15, 15, 10, 10)));
}

INSTANTIATE_TEST_SUITE_P(Operations, CompositingByOperation, ::testing::ValuesIn(kDrawCases),
                         CaseName);

struct SClearCase {
    ARGB color;
    int tolerance;
};

class ClearColors : public ::testing::TestWithParam<SClearCase> {};

TEST_P(ClearColors, StoresTheColourAlphaIncluded) {
    QImage surface = CBitmap::CreateBitmap(8, 8);
    {
        CGraphics graphics(&surface);
        graphics.Clear(0xFF123456u);
        // Clear replaces, whatever the compositing mode says.
        graphics.SetCompositingMode(ECompositingMode::SourceOver);
        graphics.Clear(GetParam().color);
    }
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x)
            ASSERT_TRUE(ArgbNear(ArgbAt(surface, x, y), GetParam().color, GetParam().tolerance));
    }
}

// 0x01FFFFFF is the overlay's "invisible but still there" background: it must stay alpha 1 white.
INSTANTIATE_TEST_SUITE_P(Colors, ClearColors,
                         ::testing::Values(SClearCase{0x01FFFFFFu, 0}, SClearCase{0u, 0},
                                           SClearCase{0xFFFFFFFFu, 0}, SClearCase{0x80FF8000u, 1},
                                           SClearCase{0xFF000000u, 0}));

TEST(Clear, HonoursTheClip) {
    QImage surface = CBitmap::CreateBitmap(10, 10);
    {
        CGraphics graphics(&surface);
        graphics.Clear(kRed);
        graphics.SetClip(QRect(2, 3, 4, 5));
        graphics.Clear(0x01FFFFFFu);
    }
    EXPECT_EQ(ArgbAt(surface, 2, 3), 0x01FFFFFFu);
    EXPECT_EQ(ArgbAt(surface, 5, 7), 0x01FFFFFFu);
    EXPECT_EQ(ArgbAt(surface, 6, 7), kRed);
    EXPECT_EQ(ArgbAt(surface, 1, 3), kRed);
    EXPECT_EQ(ArgbAt(surface, 2, 8), kRed);
}

// Shapes with slanted or curved edges, drawn opaque on a transparent surface.
const SDrawCase kEdgeCases[] = {
    {"diagonal line",
     [](CGraphics& g, ARGB c) {
         g.DrawLines(CPen(c, 3), {{3, 5}, {36, 30}});
     }},
    {"spline",
     [](CGraphics& g, ARGB c) {
         g.DrawCardinalSpline(CPen(c, 2), {{3, 5}, {20, 35}, {36, 4}});
     }},
    {"ellipse",
     [](CGraphics& g, ARGB c) {
         g.FillEllipse(CBrush::Solid(c), {4.3, 6.1, 29.5, 21.2});
     }},
    {"polygon",
     [](CGraphics& g, ARGB c) {
         g.FillPolygon(CBrush::Solid(c), {{2, 3}, {37, 11}, {9, 36}});
     }},
};

class SmoothingByShape : public ::testing::TestWithParam<SDrawCase> {
protected:
    std::set<int> AlphasDrawnWith(ESmoothingMode mode) {
        QImage surface = CBitmap::CreateBitmap(40, 40);
        {
            CGraphics graphics(&surface);
            graphics.SetSmoothingMode(mode);
            GetParam().draw(graphics, 0xFF000000u);
        }
        std::set<int> alphas;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 40; ++x)
                alphas.insert(AlphaAt(surface, x, y));
        }
        return alphas;
    }
};

TEST_P(SmoothingByShape, NoneLeavesNoPartlyCoveredPixels) {
    EXPECT_EQ(AlphasDrawnWith(ESmoothingMode::None), (std::set<int>{0, 255}));
}

TEST_P(SmoothingByShape, AntiAliasBlendsTheEdges) {
    const std::set<int> alphas = AlphasDrawnWith(ESmoothingMode::AntiAlias);
    EXPECT_GT(alphas.size(), 2u);
    EXPECT_TRUE(alphas.count(255)) << "the inside of the shape must stay opaque";
}

TEST(Smoothing, StartsOff) {
    QImage surface = CBitmap::CreateBitmap(4, 4);
    EXPECT_EQ(CGraphics(&surface).SmoothingMode(), ESmoothingMode::None);
}

INSTANTIATE_TEST_SUITE_P(Shapes, SmoothingByShape, ::testing::ValuesIn(kEdgeCases), CaseName);

TEST(Graphics, WithoutASurfaceDoesNothing) {
    QImage none;
    CGraphics graphics(&none);
    EXPECT_FALSE(graphics.IsValid());
    graphics.Clear(kRed);
    graphics.FillRectangle(CBrush::Solid(kRed), {0, 0, 4, 4});
    CGraphics nowhere(nullptr);
    EXPECT_FALSE(nowhere.IsValid());
    nowhere.DrawLines(CPen(kRed, 2), {{0, 0}, {3, 3}});
}

} // namespace

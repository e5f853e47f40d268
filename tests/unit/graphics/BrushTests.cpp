// Texture brushes are anchored at the surface origin: whatever is painted with one shows the
// texture pixel with the same coordinates, as the eraser needs to restore a board background.
#include "CBitmap.h"
#include "CGraphics.h"
#include "PixelAssertions.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <tuple>

namespace {

constexpr int kTextureSide = 16;

// Every pixel a different opaque colour, so a shifted texture cannot pass for the right one.
QImage GradientTexture() {
    QImage texture(kTextureSide, kTextureSide, QImage::Format_ARGB32);
    for (int y = 0; y < kTextureSide; ++y) {
        for (int x = 0; x < kTextureSide; ++x)
            texture.setPixel(x, y, qRgb(15 * x + 5, 15 * y + 5, 255 - 7 * (x + y)));
    }
    return texture;
}

struct STextureCase {
    const char* name;
    std::function<void(CGraphics&, const CBrush&)> draw;
};

void PrintTo(const STextureCase& c, std::ostream* out) {
    *out << c.name;
}

// High-DPI surfaces and textures are allocated in device pixels: anchoring holds per device pixel.
using TextureParam = std::tuple<STextureCase, qreal>;

std::string CaseName(const ::testing::TestParamInfo<TextureParam>& info) {
    return TestCaseName(std::get<0>(info.param).name) + "_ratio" +
           std::to_string(int(std::get<1>(info.param)));
}

const STextureCase kTextureCases[] = {
    {"FillRectangle",
     [](CGraphics& g, const CBrush& b) {
         g.FillRectangle(b, {13, 7, 21, 17});
     }},
    {"FillPolygon",
     [](CGraphics& g, const CBrush& b) {
         g.FillPolygon(b, {{3.5, 41}, {37, 5.25}, {59, 50}});
     }},
    {"FillEllipse",
     [](CGraphics& g, const CBrush& b) {
         g.FillEllipse(b, {9.7, 21.3, 31, 23});
     }},
    {"FillRegion",
     [](CGraphics& g, const CBrush& b) {
         g.FillRegion(b, QRegion(5, 5, 11, 9) + QRegion(29, 33, 17, 19));
     }},
    {"pen DrawLines",
     [](CGraphics& g, const CBrush& b) {
         g.DrawLines(CPen(b, 9), {{7, 9}, {51, 29}, {23, 55}});
     }},
    {"pen DrawCardinalSpline",
     [](CGraphics& g, const CBrush& b) {
         g.DrawCardinalSpline(CPen(b, 7), {{5, 50}, {25, 11}, {58, 37}});
     }},
    {"pen DrawRectangle",
     [](CGraphics& g, const CBrush& b) {
         g.DrawRectangle(CPen(b, 5), {11, 13, 37, 29});
     }},
    {"after the painter's brush origin moved",
     [](CGraphics& g, const CBrush& b) {
         g.Painter().setBrushOrigin(5, 3);
         g.FillRectangle(b, {13, 7, 21, 17});
         g.DrawLines(CPen(b, 5), {{3, 50}, {60, 52}});
     }},
};

class TextureAnchoring : public ::testing::TestWithParam<TextureParam> {};

TEST_P(TextureAnchoring, EveryPaintedPixelIsTheTexturePixelAtTheSameCoordinates) {
    const auto& [drawing, ratio] = GetParam();
    QImage texture = GradientTexture();
    QImage surface = CBitmap::CreateBitmap(64, 64);
    texture.setDevicePixelRatio(ratio);
    surface.setDevicePixelRatio(ratio);
    {
        CGraphics graphics(&surface);
        drawing.draw(graphics, CBrush::Texture(texture));
    }
    int painted = 0;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            if (AlphaAt(surface, x, y) == 0)
                continue;
            ++painted;
            ASSERT_EQ(ArgbAt(surface, x, y), texture.pixel(x % kTextureSide, y % kTextureSide))
                << "at " << x << "," << y;
        }
    }
    EXPECT_GT(painted, 100);
}

INSTANTIATE_TEST_SUITE_P(Operations, TextureAnchoring,
                         ::testing::Combine(::testing::ValuesIn(kTextureCases),
                                            ::testing::Values(1.0, 2.0)),
                         CaseName);

TEST(Brush, SetColorMakesASolidBrush) {
    CBrush brush = CBrush::Texture(GradientTexture());
    const CBrush original = brush.Clone();
    brush.SetColor(0xFF00FF00u);
    QImage surface = CBitmap::CreateBitmap(8, 8);
    {
        CGraphics graphics(&surface);
        graphics.FillRectangle(brush, surface.rect());
    }
    EXPECT_EQ(ArgbAt(surface, 3, 5), 0xFF00FF00u);
    EXPECT_TRUE(original.IsTexture()) << "a clone is independent of the brush it came from";
}

TEST(Brush, TextureOfNoPicturePaintsNothing) {
    QImage surface = CBitmap::CreateBitmap(8, 8);
    {
        CGraphics graphics(&surface);
        graphics.FillRectangle(CBrush::Texture(QImage()), surface.rect());
    }
    EXPECT_TRUE(PaintedBounds(surface).isEmpty());
}

} // namespace

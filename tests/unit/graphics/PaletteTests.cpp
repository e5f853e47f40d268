// Mapping colours onto a GIF palette must pick the truly nearest entry: a near miss shows as
// blotches in flat areas and as off-colour ink.
#include "CNearestPaletteColor.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

int BruteForceNearest(const std::vector<QRgb>& palette, int red, int green, int blue) {
    int best = -1;
    int bestDistance = 1 << 30;
    for (size_t i = 0; i < palette.size(); ++i) {
        const int dr = qRed(palette[i]) - red;
        const int dg = qGreen(palette[i]) - green;
        const int db = qBlue(palette[i]) - blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = int(i);
        }
    }
    return best;
}

struct SPaletteCase {
    const char* name;
    std::vector<QRgb> palette;
};

void PrintTo(const SPaletteCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<QRgb> RandomPalette(unsigned seed, int size) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> channel(0, 255);
    std::vector<QRgb> palette;
    for (int i = 0; i < size; ++i)
        palette.push_back(qRgb(channel(random), channel(random), channel(random)));
    return palette;
}

std::vector<QRgb> GreyRamp() {
    std::vector<QRgb> palette;
    for (int i = 0; i < 256; ++i)
        palette.push_back(qRgb(i, i, i));
    return palette;
}

class NearestPaletteColor : public ::testing::TestWithParam<SPaletteCase> {};

TEST_P(NearestPaletteColor, AgreesWithTryingEveryEntry) {
    const std::vector<QRgb>& palette = GetParam().palette;
    CNearestPaletteColor nearest(palette);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> channel(0, 255);
    for (int i = 0; i < 20000; ++i) {
        const int r = channel(random);
        const int g = channel(random);
        const int b = channel(random);
        ASSERT_EQ(nearest.Find(r, g, b), BruteForceNearest(palette, r, g, b))
            << r << "," << g << "," << b;
    }
    for (size_t i = 0; i < palette.size(); ++i) {
        const QRgb color = palette[i];
        EXPECT_EQ(nearest.Find(qRed(color), qGreen(color), qBlue(color)),
                  BruteForceNearest(palette, qRed(color), qGreen(color), qBlue(color)));
    }
}

// Duplicates: the first of equal entries wins, so files do not depend on search order.
INSTANTIATE_TEST_SUITE_P(Palettes, NearestPaletteColor,
                         ::testing::Values(SPaletteCase{"random 256", RandomPalette(1, 256)},
                                           SPaletteCase{"random 5", RandomPalette(2, 5)},
                                           SPaletteCase{"grey ramp", GreyRamp()},
                                           SPaletteCase{"one colour", {qRgb(200, 10, 10)}},
                                           SPaletteCase{"duplicates",
                                                        {qRgb(0, 0, 0), qRgb(255, 0, 0),
                                                         qRgb(255, 0, 0), qRgb(0, 0, 255),
                                                         qRgb(0, 0, 0)}}));

TEST(NearestPaletteColorEmpty, FindsNothing) {
    CNearestPaletteColor nearest({});
    EXPECT_EQ(nearest.Find(1, 2, 3), -1);
}

} // namespace

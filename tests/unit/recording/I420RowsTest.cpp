// The vector rows of the I420 conversion against the plain ones, byte for byte, over row lengths
// that end inside and outside a vector step, with every channel at its extremes and random.
#include "CI420Rows.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

std::vector<std::uint32_t> Pixels(int count, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::uint32_t> pixels(static_cast<size_t>(count));
    // Extremes first (black, white, each channel alone, alpha that must not count), then noise.
    const std::uint32_t extremes[] = {0x00000000, 0xFFFFFFFF, 0x00FF0000, 0x0000FF00,
                                      0x000000FF, 0xFF000000, 0x00FFFFFF, 0x80FF00FF};
    for (int i = 0; i < count; ++i)
        pixels[size_t(i)] = i < 8 && seed == 1 ? extremes[i] : random();
    return pixels;
}

TEST(I420RowsTest, VectorRowsGiveThePlainRowsBytes) {
    SCOPED_TRACE(CI420Rows::UsesVectors() ? "vector rows" : "no AVX2 here: plain rows only");
    for (const int width : {1, 2, 7, 15, 16, 17, 31, 32, 33, 63, 64, 65, 100, 1366, 1920}) {
        for (const std::uint32_t seed : {1u, 2u, 3u}) {
            SCOPED_TRACE(testing::Message() << "width " << width << " seed " << seed);
            const std::vector<std::uint32_t> row0 = Pixels(width, seed);
            const std::vector<std::uint32_t> row1 = Pixels(width, seed + 100);
            // One guard byte past the end shows a row that writes too far.
            std::vector<std::uint8_t> luma(size_t(width) + 1, 0xEE), plainLuma = luma;
            CI420Rows::Luma(row0.data(), luma.data(), width);
            CI420Rows::LumaPlain(row0.data(), plainLuma.data(), width);
            EXPECT_EQ(luma, plainLuma);
            EXPECT_EQ(luma.back(), 0xEE);

            const int pairs = width / 2;
            std::vector<std::uint8_t> u(size_t(pairs) + 1, 0xEE), v = u, plainU = u, plainV = u;
            CI420Rows::Chroma(row0.data(), row1.data(), u.data(), v.data(), pairs);
            CI420Rows::ChromaPlain(row0.data(), row1.data(), plainU.data(), plainV.data(), pairs);
            EXPECT_EQ(u, plainU);
            EXPECT_EQ(v, plainV);
        }
    }
}

} // namespace

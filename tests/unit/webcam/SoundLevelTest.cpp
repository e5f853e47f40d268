#include "CSoundLevel.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
std::vector<std::uint8_t> Samples16(std::initializer_list<int> samples) {
    std::vector<std::uint8_t> bytes;
    for (int s : samples) {
        const auto value = static_cast<std::uint16_t>(static_cast<std::int16_t>(s));
        bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    return bytes;
}
} // namespace

TEST(SoundLevel, SixteenBitPeaks) {
    struct Row {
        std::initializer_list<int> samples;
        int level;
    };
    const Row rows[] = {
        {{32767}, 100}, {{-32768}, 100},          {{16364}, 50}, {{26182}, 80},
        {{0, 0, 0}, 0}, {{100, -16364, 200}, 50}, {{16363}, 49}, {{-26182, 5, 3}, 80},
    };
    for (const Row& row : rows) {
        const std::vector<std::uint8_t> bytes = Samples16(row.samples);
        EXPECT_EQ(CSoundLevel::PeakLevel(bytes.data(), bytes.size(), 16), row.level)
            << *row.samples.begin();
    }
}

TEST(SoundLevel, EightBitSoundIsReadWithinTheBuffer) {
    // Four quiet 8-bit samples, followed in memory by loud bytes that are not part of the
    // buffer: reading them as 16-bit samples over the sample count would report them.
    std::vector<std::uint8_t> memory = {128, 130, 126, 129, 0x00, 0x80, 0x00, 0x80};
    EXPECT_EQ(CSoundLevel::PeakLevel(memory.data(), 4, 8), 1); // peak 2 * 256 of 32727

    struct Row {
        std::uint8_t sample;
        int level;
    };
    const Row rows[] = {{128, 0}, {0, 100}, {255, 99}, {64, 50}, {192, 50}};
    for (const Row& row : rows)
        EXPECT_EQ(CSoundLevel::PeakLevel(&row.sample, 1, 8), row.level) << int(row.sample);
}

TEST(SoundLevel, PartialSamplesAndUnknownWidthsAreIgnored) {
    // A trailing half sample is not read.
    const std::vector<std::uint8_t> bytes = {0x10, 0x00, 0xFF};
    EXPECT_EQ(CSoundLevel::PeakLevel(bytes.data(), bytes.size(), 16), 0);
    EXPECT_EQ(CSoundLevel::PeakLevel(bytes.data(), bytes.size(), 24), 0);
    EXPECT_EQ(CSoundLevel::PeakLevel(nullptr, 10, 16), 0);
}

TEST(SoundLevel, StripColours) {
    struct Row {
        int level;
        std::uint32_t colour;
    };
    const Row rows[] = {{0, 0xFF90EE90u},  {49, 0xFF90EE90u}, {50, 0xFFFFA500u},
                        {79, 0xFFFFA500u}, {80, 0xFFFF0000u}, {100, 0xFFFF0000u}};
    for (const Row& row : rows)
        EXPECT_EQ(CSoundLevel::LevelColour(row.level), row.colour) << row.level;
}

#pragma once
// The sound peak of one buffer of interleaved PCM samples, in percent of full scale.
#include <cstddef>
#include <cstdint>

class CSoundLevel {
public:
    // The peak reaches 100 slightly below full scale: a 16-bit peak of 32727 or more.
    static constexpr int kFullScale = 32727;

    // `bitsPerSample` 16: signed little-endian samples; 8: unsigned samples centred on 128
    // (the usual 8-bit PCM). Only whole samples inside `length` bytes are read; any other width
    // gives 0.
    static int PeakLevel(const std::uint8_t* data, std::size_t length, int bitsPerSample);
    // The level bar's colour for a level, as 0xAARRGGBB.
    static std::uint32_t LevelColour(int level);
};

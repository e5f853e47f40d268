#include "CSoundLevel.h"

#include <algorithm>

int CSoundLevel::PeakLevel(const std::uint8_t* data, std::size_t length, int bitsPerSample) {
    if (!data || (bitsPerSample != 8 && bitsPerSample != 16))
        return 0;
    const std::size_t bytesPerSample = static_cast<std::size_t>(bitsPerSample / 8);
    const std::size_t count = length / bytesPerSample;
    int peak = 0;
    for (std::size_t i = 0; i < count; ++i) {
        int sample;
        if (bitsPerSample == 16) {
            const auto low = data[2 * i];
            const auto high = data[2 * i + 1];
            sample = static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8)));
        } else {
            // Scaled to the 16-bit range, so both widths share one full scale.
            sample = (static_cast<int>(data[i]) - 128) * 256;
        }
        peak = std::max(peak, sample < 0 ? -sample : sample);
    }
    return std::min(100, peak * 100 / kFullScale);
}

std::uint32_t CSoundLevel::LevelColour(int level) {
    if (level >= 80)
        return 0xFFFF0000u; // red
    if (level >= 50)
        return 0xFFFFA500u; // orange
    return 0xFF90EE90u;     // light green
}

#include "CSoundClockFollower.h"

#include <algorithm>
#include <cmath>

namespace {

// The lag is read once a piece; the time stamps of pieces jitter by up to a piece or two (the
// sound server hands sound over in bursts), so the loop sees it averaged over this long.
constexpr double kSmoothSeconds = 2.0;
// The loop's time constant: a critically damped second-order loop, which follows a constant
// drift without a lasting lag and settles a change within about this long.
constexpr double kLoopSeconds = 20.0;
constexpr double kProportional = 2.0 / kLoopSeconds;
constexpr double kIntegral = 1.0 / (kLoopSeconds * kLoopSeconds);
// The first second of sound is put where it belongs at once, without waiting for the loop: a
// source often hands over what it had gathered before the start in one go, stamped as new.
constexpr double kSettleSeconds = 1.0;
constexpr double kSettleJumpSeconds = 0.06;

// Catmull-Rom interpolation between b and c, `t` of the way: within a fraction of a decibel up
// to a quarter of the sample rate, and the ratio stays so near 1 that nothing folds over.
float Interpolate(float a, float b, float c, float d, float t) {
    const float p = -0.5f * a + 1.5f * b - 1.5f * c + 0.5f * d;
    const float q = a - 2.5f * b + 2.0f * c - 0.5f * d;
    const float r = 0.5f * (c - a);
    return ((p * t + q) * t + r) * t + b;
}

} // namespace

CSoundClockFollower::CSoundClockFollower(int sampleRate, int channels)
    : m_rate(std::max(1, sampleRate)), m_channels(std::max(1, channels)) {}

std::int64_t CSoundClockFollower::EndNs() const {
    return m_startNs + std::int64_t(std::llround(double(m_framesOut) * 1e9 / m_rate));
}

std::int64_t CSoundClockFollower::Push(const float* samples, std::size_t frames,
                                       std::int64_t captureNs, std::vector<float>& out) {
    if (!m_started) {
        m_started = true;
        m_startNs = captureNs;
        m_inBase = 0;
        m_position = 0;
    }
    const std::int64_t firstOutNs = EndNs();
    const std::size_t had = m_in.size() / std::size_t(m_channels);
    const std::int64_t pieceStart = m_inBase + std::int64_t(had);
    m_in.insert(m_in.end(), samples, samples + frames * std::size_t(m_channels));

    // Where the next frame out is read, on the clock, against where the sound given out ends:
    // positive when the sound given out lags what was captured.
    const double readFrame = double(m_inBase) + m_position;
    const double capturedAt = double(captureNs) + (readFrame - double(pieceStart)) * 1e9 / m_rate;
    const double lag = (capturedAt - double(EndNs())) / 1e9;
    const double pieceSeconds = double(frames) / m_rate;
    m_lagSeconds += (lag - m_lagSeconds) * std::min(1.0, pieceSeconds / kSmoothSeconds);

    const bool settling = double(m_framesOut) < kSettleSeconds * m_rate;
    if (settling ? std::abs(lag) > kSettleJumpSeconds : std::abs(m_lagSeconds) > kJumpSeconds) {
        // Far more than drift: made up at once, so the time line stays whole.
        const auto missing = std::int64_t(std::llround(lag * m_rate));
        if (missing > 0) {
            out.insert(out.end(), std::size_t(missing) * std::size_t(m_channels), 0.0f);
            m_framesOut += missing;
        } else {
            m_position += double(-missing);
        }
        m_lagSeconds = 0;
        if (!settling)
            ++m_jumps;
    } else {
        // The integral stops while the ratio is at its limit, so that a long stretch there
        // (the lag after a pause) does not leave it to overshoot afterwards.
        const double proportional = kProportional * m_lagSeconds;
        if (std::abs(proportional + m_integral) < kMaxAdjust)
            m_integral += kIntegral * m_lagSeconds * pieceSeconds;
        m_adjust = std::clamp(proportional + m_integral, -kMaxAdjust, kMaxAdjust);
    }
    Emit(out);
    Compact();
    return firstOutNs;
}

void CSoundClockFollower::Emit(std::vector<float>& out) {
    const auto available = std::int64_t(m_in.size() / std::size_t(m_channels));
    const double step = 1.0 / (1.0 + m_adjust);
    const auto at = [&](std::int64_t i) {
        return Frame(std::size_t(std::clamp<std::int64_t>(i, 0, available - 1)));
    };
    // Each frame out needs the frame after the next one read: the last two wait for more.
    while (m_position >= 0 && std::int64_t(m_position) + 2 < available) {
        const auto i = std::int64_t(m_position);
        const auto t = float(m_position - double(i));
        const float* a = at(i - 1);
        const float* b = at(i);
        const float* c = at(i + 1);
        const float* d = at(i + 2);
        for (int ch = 0; ch < m_channels; ++ch)
            out.push_back(Interpolate(a[ch], b[ch], c[ch], d[ch], t));
        ++m_framesOut;
        m_position += step;
    }
}

void CSoundClockFollower::Compact() {
    // Keeps the frame before the read position for the interpolation; a position past the end
    // (sound being left out) carries over into the next piece.
    const auto available = std::int64_t(m_in.size() / std::size_t(m_channels));
    const std::int64_t drop =
        std::clamp<std::int64_t>(std::int64_t(std::floor(m_position)) - 1, 0, available);
    if (drop == 0)
        return;
    m_in.erase(m_in.begin(), m_in.begin() + std::ptrdiff_t(drop * m_channels));
    m_inBase += drop;
    m_position -= double(drop);
}

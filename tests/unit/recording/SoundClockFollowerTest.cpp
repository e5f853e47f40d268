// The follower against a simulated microphone whose crystal runs off the clock, whose pieces are
// stamped late or early by a busy machine, and which stalls or floods now and then. What comes
// out is checked against the truth the simulation knows: when each sample was really captured.
#include "CSoundClockFollower.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int kRate = 8000;
constexpr int kPieceFrames = 320; // 40 ms
// A tone whose 40-ms pieces are not whole periods: a piece dropped or repeated breaks its
// phase.
constexpr double kToneHz = 220;
constexpr double kPi = 3.14159265358979323846;

struct Microphone {
    double driftPpm = 0;  // the crystal's error: positive, more samples a second than stated
    double jitterMs = 0;  // how far a piece's stamp may be off, either way
    double stallAtS = -1; // the device delivers nothing for a second from here
    double floodAtS = -1; // a second more sound than the clock allows comes at once
    double seconds = 300;
};

struct Result {
    std::vector<float> out;
    double maxLagAfterSettlingMs = 0; // against the true capture times
    double endLagMs = 0;
    long jumps = 0;
    double ratio = 1;
};

Result Follow(const Microphone& mic) {
    CSoundClockFollower follower(kRate, 1);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> jitter(-mic.jitterMs, mic.jitterMs);
    const double deviceRate = kRate * (1 + mic.driftPpm * 1e-6);
    Result result;
    std::vector<float> piece(kPieceFrames);
    std::int64_t frame = 0;
    std::int64_t surplus = 0; // frames of the flood, which no time on the clock stands for
    double stalledS = 0;
    bool stalled = false, flooded = false;
    for (;;) {
        // When the piece's first sample was really captured on the clock.
        double trueS = double(frame - surplus) / deviceRate + stalledS;
        if (trueS > mic.seconds)
            break;
        if (!stalled && mic.stallAtS >= 0 && trueS >= mic.stallAtS) {
            stalled = true;
            stalledS += 1.0;
            trueS += 1.0;
        }
        int pieces = 1;
        const double stampS = trueS + jitter(random) / 1000;
        if (!flooded && mic.floodAtS >= 0 && trueS >= mic.floodAtS) {
            // A second's worth more than the clock allows, all stamped as captured now.
            flooded = true;
            pieces = 1 + kRate / kPieceFrames;
            surplus = std::int64_t(pieces - 1) * kPieceFrames;
        }
        for (int p = 0; p < pieces; ++p) {
            for (int i = 0; i < kPieceFrames; ++i)
                piece[std::size_t(i)] =
                    float(0.5 * std::sin(2 * kPi * kToneHz * double(frame + i) / deviceRate));
            follower.Push(piece.data(), piece.size(), std::int64_t(std::max(0.0, stampS) * 1e9),
                          result.out);
            frame += kPieceFrames;
        }
        // The sound given out ends where the sound taken in, less what the follower waits
        // for, was captured.
        const double inEndS = double(frame - surplus) / deviceRate + stalledS;
        const double lagMs = (inEndS - double(follower.EndNs()) / 1e9) * 1000;
        if (trueS > 60 && !(stalled && trueS < mic.stallAtS + 60) &&
            !(flooded && trueS < mic.floodAtS + 60))
            result.maxLagAfterSettlingMs = std::max(result.maxLagAfterSettlingMs, std::abs(lagMs));
        result.endLagMs = lagMs;
    }
    result.jumps = follower.Jumps();
    result.ratio = follower.Ratio();
    return result;
}

// The largest step between two samples out, against the largest a clean tone can make.
double WorstStep(const std::vector<float>& out) {
    double worst = 0;
    for (std::size_t i = 1; i < out.size(); ++i)
        worst = std::max(worst, double(std::abs(out[i] - out[i - 1])));
    return worst / (0.5 * 2 * kPi * kToneHz / kRate);
}

} // namespace

TEST(SoundClockFollowerTest, ADriftingMicrophoneStaysOnTheClockWithoutDroppingOrRepeating) {
    struct Case {
        double driftPpm;
        double jitterMs;
    } cases[] = {{0, 0}, {1000, 0}, {-1000, 0}, {200, 20}, {-200, 20}, {50, 40}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.driftPpm << " ppm, jitter " << c.jitterMs << " ms");
        Microphone mic;
        mic.driftPpm = c.driftPpm;
        mic.jitterMs = c.jitterMs;
        const Result r = Follow(mic);
        EXPECT_EQ(r.jumps, 0);
        // Five minutes at 1000 ppm are 300 ms of drift; the follower keeps within a few.
        EXPECT_LT(r.maxLagAfterSettlingMs, 10);
        EXPECT_LT(std::abs(r.endLagMs), 10);
        // The ratio found is the drift's (where the stamps jitter, the ratio wobbles around it by a
        // few hundred ppm, well below what an ear hears).
        if (c.jitterMs == 0) {
            EXPECT_NEAR((r.ratio - 1) * 1e6, -c.driftPpm, 20);
        }
        // The tone comes out whole: no step larger than the tone's own.
        EXPECT_LT(WorstStep(r.out), 1.02);
    }
}

TEST(SoundClockFollowerTest, AStallIsFilledWithSilenceAndAFloodIsLeftOutAtOnce) {
    // What a source had gathered before the start, handed over with the first piece, is left
    // out too, without counting as a jump.
    struct Case {
        const char* name;
        double stallAtS;
        double floodAtS;
        long jumps;
    } cases[] = {{"stall", 100, -1, 1}, {"flood", -1, 100, 1}, {"flood at the start", -1, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Microphone mic;
        mic.driftPpm = 100;
        mic.seconds = 200;
        mic.stallAtS = c.stallAtS;
        mic.floodAtS = c.floodAtS;
        const Result r = Follow(mic);
        EXPECT_EQ(r.jumps, c.jumps);
        EXPECT_LT(r.maxLagAfterSettlingMs, 10);
        EXPECT_LT(std::abs(r.endLagMs), 10);
        // The second the device missed comes out as silence, where it belongs.
        std::size_t longestSilence = 0, run = 0;
        for (float sample : r.out) {
            run = sample == 0.0f ? run + 1 : 0;
            longestSilence = std::max(longestSilence, run);
        }
        if (c.stallAtS >= 0)
            EXPECT_NEAR(double(longestSilence), kRate, kRate * 0.3);
        else
            EXPECT_LT(longestSilence, 4u);
    }
}

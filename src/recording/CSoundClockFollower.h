#pragma once
// Keeps the microphone's sound on the recording's clock. A sound card counts its samples by a
// crystal of its own, which runs some tens of parts per million off the system clock the
// picture is timed by: 100 ppm is 360 ms an hour. GStreamer's own ways of slaving a source to
// another clock either throw whole pieces away or repeat them when the gap has grown (skew), or
// leave the sound drifting (none), or put the drift into the time stamps, which players ignore
// (re-timestamp). The follower instead takes, for each piece of sound, the time on the
// recording's clock at which it was captured, compares it with where the sound written so far
// ends, and resamples by a ratio a slow control loop sets (within half a percent, far below what
// an ear hears as a change of pitch). The sound it writes has time stamps without a gap from the
// first piece to the last, and stays within a few milliseconds of the clock.
//
// Only where the microphone stops delivering for a while (a stalled device, a machine that did
// not run the source) or delivers far more than the clock allows does it make up the difference
// at once: silence for sound that never came, or the surplus left out.
//
// Samples are interleaved 32-bit floats; one follower belongs to one sound stream and is called
// on that stream's thread only.
#include <cstddef>
#include <cstdint>
#include <vector>

class CSoundClockFollower {
public:
    CSoundClockFollower(int sampleRate, int channels);

    // Takes the next piece of sound: `frames` frames whose first one was captured at
    // `captureNs` on the recording's clock. Appends the frames it gives to `out` (fewer or more
    // than it was given, by the ratio in force) and returns the time of the first of them: the
    // time line of what comes out has no gaps.
    std::int64_t Push(const float* samples, std::size_t frames, std::int64_t captureNs,
                      std::vector<float>& out);

    int SampleRate() const { return m_rate; }
    int Channels() const { return m_channels; }
    // Frames given out for each frame taken in, as the loop has set it.
    double Ratio() const { return 1.0 + m_adjust; }
    // How far the sound given out lags the clock (smoothed; negative: it runs ahead).
    double LagSeconds() const { return m_lagSeconds; }
    // How often a gap or a surplus was made up at once (after the first second, in which the
    // sound is put in place at once anyway).
    long Jumps() const { return m_jumps; }
    // The time just past the last frame given out.
    std::int64_t EndNs() const;

    // The most the ratio leaves 1: 0.5 %, under a tenth of a semitone.
    static constexpr double kMaxAdjust = 0.005;
    // A lag the loop does not take out by resampling but at once.
    static constexpr double kJumpSeconds = 0.25;

private:
    float* Frame(std::size_t index) { return m_in.data() + index * std::size_t(m_channels); }
    void Emit(std::vector<float>& out);
    void Compact();

    int m_rate;
    int m_channels;
    bool m_started = false;
    std::int64_t m_startNs = 0;
    std::int64_t m_framesOut = 0;
    // Frames taken in and not yet passed; m_in[0] is frame m_inBase of the whole stream, and
    // the next frame given out is read at m_position (a fraction of a frame into m_in).
    std::vector<float> m_in;
    std::int64_t m_inBase = 0;
    double m_position = 0;
    double m_lagSeconds = 0;
    double m_integral = 0;
    double m_adjust = 0;
    long m_jumps = 0;
};

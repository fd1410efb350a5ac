#pragma once

#include <cstdint>
#include <vector>

namespace tessary::dsp {

// Look-ahead peak limiter for the ambient bus, stereo-linked so that a peak on one side
// does not shift the image. Its output never exceeds kCeiling.
//
// Per frame: the gain needed to keep that frame under the ceiling, r = min(1, ceiling / peak),
// is held at its minimum over the look-ahead window, so the gain drops as soon as a peak
// enters the window and rises again with the release time constant once it has left. A
// moving average over the window then turns the drop into a ramp that lands on r exactly
// when the peak frame leaves the delay line: no overshoot and no click. The gain path works
// in fixed point so the moving average stays exact however long the limiter runs. A clamp at
// the ceiling catches the last rounding of the final multiplication.
//
// The signal is delayed by latencyFrames() (the look-ahead, 576 frames at 48 kHz).
//
// Threads: prepare() allocates and may be called only while process() cannot run (before the
// render callback is installed or after it is removed). process() and reset() belong to the
// render thread; they neither allocate nor lock.
class PeakLimiter {
public:
    static constexpr float kAttackSeconds = 0.012f;  // look-ahead
    static constexpr float kReleaseSeconds = 0.024f; // time constant of the gain's recovery
    // -0.1 dBFS: just under full scale, so the sound server's conversion to integer samples
    // never wraps or clips.
    static constexpr float kCeiling = 0.98855309f;

    // Sizes every buffer for `sampleRate` (> 0) and for process() calls of up to `maxFrames`
    // (longer calls are split internally), then resets.
    void prepare(float sampleRate, int maxFrames);

    // Clears the delay line and the gain history: the next frames pass at unity until a peak
    // arrives. Render thread, or any thread while process() cannot run.
    void reset();

    // Limits `frames` frames in place in two non-interleaved channel buffers. Samples that are
    // not finite or beyond 1e15 in magnitude (a broken source, not audio) are treated as 0, so
    // they cannot poison the gain for a whole window; so are samples below 1e-15, which keeps
    // denormals out of the arithmetic without touching the thread's floating-point mode.
    // Requires prepare(). Render thread only.
    void process(float *left, float *right, int frames);

    int latencyFrames() const { return m_lookahead; }

private:
    void processChunk(float *left, float *right, int frames);

    // Set by prepare() while nothing renders.
    int m_lookahead = 0;     // delay and hold window, in frames
    int m_maxFrames = 0;     // size of one processing chunk
    double m_release = 0.0;  // one-pole coefficient of the recovery
    double m_boxScale = 0.0; // turns the fixed-point box sum into a gain
    std::vector<float> m_delayLeft;
    std::vector<float> m_delayRight;
    std::vector<std::int64_t> m_holdIndex; // monotonic deque of (frame, gain) in a fixed ring
    std::vector<std::int32_t> m_holdGain;
    std::vector<std::int32_t> m_box; // last window of smoothed gains, fixed point
    std::vector<float> m_gains;      // per-frame gain of the chunk being processed

    // Render thread only.
    int m_delayPos = 0;
    std::int64_t m_frame = 0; // frames seen since the last reset
    int m_holdHead = 0;
    int m_holdSize = 0;
    double m_smoothed = 0.0; // held gain after release, fixed-point units
    int m_boxPos = 0;
    std::int64_t m_boxSum = 0;
};

} // namespace tessary::dsp

#include "audio/dsp/PeakLimiter.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace tessary::dsp {

namespace {

// Gains run from 0 to 1 in steps of 2^-30: finer than a float near 1, and a window's worth
// of them sums without rounding in 64 bits.
constexpr std::int32_t kUnity = std::int32_t{1} << 30;

// Anything below -300 dBFS, above +300 dBFS or not finite becomes silence (see process()).
// Within these bounds neither ceiling / peak nor delayed sample x gain can be denormal.
inline float clean(float x)
{
    const float a = std::fabs(x);
    return (a >= 1e-15f && a <= 1e15f) ? x : 0.0f;
}

} // namespace

void PeakLimiter::prepare(float sampleRate, int maxFrames)
{
    assert(sampleRate > 0.0f && maxFrames > 0);
    m_lookahead = std::max(1, static_cast<int>(std::lround(kAttackSeconds * sampleRate)));
    m_maxFrames = std::max(1, maxFrames);
    m_release = 1.0 - std::exp(-1.0 / (double{kReleaseSeconds} * sampleRate));

    // The output at frame t is the input of frame t - N (N = look-ahead) times the average of
    // the held gains of frames t - N ... t, each the minimum over N + 1 frames. Every one of
    // those windows contains frame t - N, so the average can never exceed that frame's need.
    const int window = m_lookahead + 1;
    m_boxScale = 1.0 / (double(window) * double(kUnity));

    m_delayLeft.assign(std::size_t(m_lookahead), 0.0f);
    m_delayRight.assign(std::size_t(m_lookahead), 0.0f);
    m_holdIndex.assign(std::size_t(window), 0);
    m_holdGain.assign(std::size_t(window), 0);
    m_box.assign(std::size_t(window), kUnity);
    m_gains.assign(std::size_t(m_maxFrames), 1.0f);
    reset();
}

void PeakLimiter::reset()
{
    std::fill(m_delayLeft.begin(), m_delayLeft.end(), 0.0f);
    std::fill(m_delayRight.begin(), m_delayRight.end(), 0.0f);
    std::fill(m_box.begin(), m_box.end(), kUnity);
    m_delayPos = 0;
    m_frame = 0;
    m_holdHead = 0;
    m_holdSize = 0;
    m_smoothed = double(kUnity);
    m_boxPos = 0;
    m_boxSum = std::int64_t(m_box.size()) * kUnity;
}

void PeakLimiter::process(float *left, float *right, int frames)
{
    assert(frames >= 0 && m_lookahead > 0);
    if (m_lookahead == 0)
        return; // not prepared: pass through rather than touch unsized buffers
    while (frames > 0) {
        const int n = std::min(frames, m_maxFrames);
        processChunk(left, right, n);
        left += n;
        right += n;
        frames -= n;
    }
}

void PeakLimiter::processChunk(float *left, float *right, int frames)
{
    const int window = m_lookahead + 1;

    // Pass 1: the gain for each output frame, from the peaks entering the look-ahead.
    for (int i = 0; i < frames; ++i) {
        const float l = clean(left[i]);
        const float r = clean(right[i]);
        left[i] = l;
        right[i] = r;

        const float peak = std::max(std::fabs(l), std::fabs(r));
        const float need = peak > kCeiling ? kCeiling / peak : 1.0f;
        // Truncation rounds down, so the fixed-point gain never exceeds the need.
        const auto q = static_cast<std::int32_t>(need * float(kUnity));

        // Minimum over the last `window` frames: drop the expired front, then every entry at
        // the back that the new one makes irrelevant.
        const std::int64_t t = m_frame++;
        if (m_holdSize > 0 && m_holdIndex[std::size_t(m_holdHead)] <= t - window) {
            m_holdHead = m_holdHead + 1 == window ? 0 : m_holdHead + 1;
            --m_holdSize;
        }
        while (m_holdSize > 0) {
            int back = m_holdHead + m_holdSize - 1;
            if (back >= window)
                back -= window;
            if (m_holdGain[std::size_t(back)] < q)
                break;
            --m_holdSize;
        }
        int slot = m_holdHead + m_holdSize;
        if (slot >= window)
            slot -= window;
        m_holdIndex[std::size_t(slot)] = t;
        m_holdGain[std::size_t(slot)] = q;
        ++m_holdSize;
        const double held = m_holdGain[std::size_t(m_holdHead)];

        // Down at once, up with the release time constant.
        if (held < m_smoothed)
            m_smoothed = held;
        else
            m_smoothed += (held - m_smoothed) * m_release;

        // Truncating keeps the smoothed value at or below the held one (the double carries
        // far more precision than the 2^-30 steps).
        const auto s = static_cast<std::int32_t>(m_smoothed);
        m_boxSum += s - m_box[std::size_t(m_boxPos)];
        m_box[std::size_t(m_boxPos)] = s;
        m_boxPos = m_boxPos + 1 == window ? 0 : m_boxPos + 1;

        m_gains[std::size_t(i)] = static_cast<float>(double(m_boxSum) * m_boxScale);
    }

    // Pass 2: through the delay line and the gain, then the clamp.
    for (int i = 0; i < frames; ++i) {
        const float g = m_gains[std::size_t(i)];
        const float inL = left[i];
        const float inR = right[i];
        left[i] = std::clamp(m_delayLeft[std::size_t(m_delayPos)] * g, -kCeiling, kCeiling);
        right[i] = std::clamp(m_delayRight[std::size_t(m_delayPos)] * g, -kCeiling, kCeiling);
        m_delayLeft[std::size_t(m_delayPos)] = inL;
        m_delayRight[std::size_t(m_delayPos)] = inR;
        m_delayPos = m_delayPos + 1 == m_lookahead ? 0 : m_delayPos + 1;
    }
}

} // namespace tessary::dsp

// The look-ahead limiter: the ceiling holds, quiet material is untouched, the gain lands on
// what a peak needs and recovers with the release time constant.

#include "SignalTools.h"
#include "audio/dsp/NoiseSource.h"
#include "audio/dsp/PeakLimiter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

using namespace tessary::dsp;

namespace {

constexpr float kCeiling = PeakLimiter::kCeiling;

Stereo limit(PeakLimiter &limiter, Stereo s, std::vector<int> blocks = {512})
{
    for (std::size_t done = 0, b = 0; done < s.size(); ++b) {
        const auto n = std::min<std::size_t>(std::size_t(blocks[b % blocks.size()]), s.size() - done);
        limiter.process(s.left.data() + done, s.right.data() + done, int(n));
        done += n;
    }
    return s;
}

PeakLimiter prepared(int maxFrames = 512)
{
    PeakLimiter l;
    l.prepare(kRate, maxFrames);
    return l;
}

// Eight full-scale sources summed per channel (five sines, a square wave, white noise and
// clicks): peaks up to 8, +18 dBFS.
Stereo eightSources(std::size_t frames)
{
    Stereo s(frames);
    NoiseSource noise{12345};
    for (std::size_t i = 0; i < frames; ++i) {
        for (int ch = 0; ch < 2; ++ch) {
            const double t = double(i) / kRate * 2.0 * std::numbers::pi;
            double x = whiteSample(noise.next()) + (std::sin(60.0 * t + ch) >= 0 ? 1 : -1) + ((i + ch * 300u) % 1000 == 0);
            for (double hz : {50.0, 97.0, 220.0, 441.0, 1000.0})
                x += std::sin(hz * t + ch * hz / 100.0);
            (ch == 0 ? s.left : s.right)[i] = float(x);
        }
    }
    return s;
}

} // namespace

TEST(dsp_PeakLimiter, NeverExceedsTheCeilingWithEightFullScaleSourcesSummed)
{
    PeakLimiter limiter = prepared();
    const Stereo out = limit(limiter, eightSources(std::size_t(10 * kRate)));
    float peak = 0.0f;
    for (std::size_t i = 0; i < out.size(); ++i)
        peak = std::max({peak, std::fabs(out.left[i]), std::fabs(out.right[i])});
    EXPECT_LE(peak, kCeiling);
    EXPECT_GT(peak, 0.97f * kCeiling); // and it does not squash more than it must
}

TEST(dsp_PeakLimiter, BlockSizesDoNotChangeTheResult)
{
    PeakLimiter a = prepared(), b = prepared(), c = prepared(64);
    const Stereo in = eightSources(30000);
    const Stereo perFrame = limit(a, in, {1});
    EXPECT_EQ(perFrame, limit(b, in, {512, 3, 0, 77, 500}));
    EXPECT_EQ(perFrame, limit(c, in, {1000, 4096})); // longer than prepared for: split inside
}

TEST(dsp_PeakLimiter, QuietMaterialPassesBitExactAfterTheLookAhead)
{
    PeakLimiter limiter = prepared();
    const std::size_t delay = std::size_t(limiter.latencyFrames());
    EXPECT_EQ(delay, 576u); // 12 ms at 48 kHz
    Stereo in(24000);
    for (std::size_t i = 0; i < in.size(); ++i) {
        in.left[i] = kCeiling * float(std::sin(double(i) * 0.01));
        in.right[i] = -0.5f * float(std::cos(double(i) * 0.003));
    }
    Stereo expected(delay);
    expected.left.insert(expected.left.end(), in.left.begin(), in.left.end() - long(delay));
    expected.right.insert(expected.right.end(), in.right.begin(), in.right.end() - long(delay));
    EXPECT_EQ(limit(limiter, in, {100, 513}), expected);

    // Also after loud material and reset().
    limit(limiter, eightSources(4800));
    limiter.reset();
    EXPECT_EQ(limit(limiter, in), expected);

    // Broken and denormal samples come out as 0 and do not duck their neighbours.
    in.left[100] = std::numeric_limits<float>::quiet_NaN();
    in.left[200] = std::numeric_limits<float>::infinity();
    in.right[300] = 1e-40f;
    expected.left[100 + delay] = expected.left[200 + delay] = expected.right[300 + delay] = 0.0f;
    limiter.reset();
    EXPECT_EQ(limit(limiter, in), expected);
}

TEST(dsp_PeakLimiter, GainRampsDownToWhatAPeakNeedsAndRecoversWithTheReleaseTimeConstant)
{
    PeakLimiter limiter = prepared();
    const std::size_t n = std::size_t(limiter.latencyFrames()), spike = 5000, loudEnd = 48000;
    Stereo in(3 * 48000, 0.25f);
    in.right[spike] = -4.0f;                          // one frame needing ceiling / 4
    std::fill(in.left.begin() + 20000, in.left.begin() + loudEnd, 2.0f); // then +6 dBFS
    const Stereo out = limit(limiter, in);
    auto gain = [&](std::size_t outputFrame) { return out.right[outputFrame] / 0.25f; };

    // Linked stereo: the quiet side follows. Untouched until the spike enters the look-ahead,
    // then a ramp (not a step) that lands on the needed gain as the spike leaves.
    EXPECT_EQ(gain(spike - 1), 1.0f);
    for (std::size_t i = spike; i < spike + n; ++i)
        ASSERT_LT(out.left[i], out.left[i - 1]) << i;
    EXPECT_NEAR(out.left[spike + n], 0.25f * kCeiling / 4.0f, 1e-7f);
    EXPECT_NEAR(out.right[spike + n], -kCeiling, 1e-6f);

    // After the loud stretch: back over a few 24 ms time constants, without jumps.
    const std::size_t left = loudEnd - 1 + n; // output frame of the last loud input
    auto after = [&](double seconds) { return gain(left + std::size_t(seconds * kRate)); };
    EXPECT_NEAR(after(0.0), kCeiling / 2.0f, 1e-6f);
    EXPECT_LT(after(3 * 0.024), 0.99f);
    EXPECT_GT(after(3 * 0.024), 0.9f);
    EXPECT_GT(after(5 * 0.024 + 2 * 0.012), 0.99f);
    EXPECT_EQ(after(1.0), 1.0f);
    for (std::size_t i = left; i < out.size(); ++i)
        ASSERT_LE(std::fabs(gain(i) - gain(i - 1)), 0.005f) << i;
}

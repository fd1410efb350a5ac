// The brown-noise generator: exact reproducibility, the silent fast path and the loudness smoothing. The filters and the breath are in NoiseTest.

#include "SignalTools.h"
#include "audio/dsp/BrownNoiseGenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <vector>

using namespace tessary::dsp;

namespace {

// Renders `frames` frames in calls of the given sizes, cycling through them.
Stereo render(BrownNoiseGenerator &g, int frames, std::vector<int> blocks = {512})
{
    Stereo out(static_cast<std::size_t>(frames));
    for (int done = 0, b = 0; done < frames; ++b) {
        const int n = std::min(blocks[std::size_t(b) % blocks.size()], frames - done);
        g.render(out.left.data() + done, out.right.data() + done, n);
        done += n;
    }
    return out;
}

bool allZero(const Stereo &s) { return s == Stereo(s.size()); }

} // namespace

TEST(dsp_BrownNoiseGenerator, ReproducesTheReferenceSamplesForASeed)
{
    // Computed outside this code base by a model of the algorithm that rounds every
    // operation to single precision. The final state also pins the random budget: three
    // draws per sample, two more per breath goal.
    std::atomic<float> level{1.0f};
    BrownNoiseGenerator g;
    g.init(kRate, &level, 0x2545F491u);
    const Stereo out = render(g, 12000, {480});
    EXPECT_EQ(out.left[0], -0x1.24ced2p-31f);
    EXPECT_EQ(out.right[0], -0x1.704b86p-35f);
    EXPECT_EQ(out.left[3], -0x1.1bfc56p-22f);
    EXPECT_EQ(out.right[3], -0x1.1d4fbcp-21f);
    EXPECT_EQ(out.left[1000], 0x1.f19e88p-8f);
    EXPECT_EQ(out.right[1000], -0x1.c11a9ep-8f);
    EXPECT_EQ(out.left[11999], -0x1.2e08bcp-7f);
    EXPECT_EQ(out.right[11999], 0x1.09e37ap-3f);
    EXPECT_EQ(g.noise().state, 0x59a2b660u);
}

TEST(dsp_BrownNoiseGenerator, OneSeedGivesTheSameSamplesWhateverTheBlockSizes)
{
    std::atomic<float> level{0.7f};
    BrownNoiseGenerator a, b, c, fresh1, fresh2;
    a.init(kRate, &level, 42);
    b.init(kRate, &level, 42);
    c.init(kRate, &level, 43);
    EXPECT_EQ(render(a, 48000, {48000}), render(b, 48000, {1, 7, 128, 0, 1000, 333}));
    a.init(kRate, &level, 42);
    EXPECT_NE(render(a, 4800), render(c, 4800));

    // Without a seed each generator draws its own, never 0.
    fresh1.init(kRate, &level);
    fresh2.init(kRate, &level);
    EXPECT_NE(fresh1.noise().state, 0u);
    EXPECT_NE(render(fresh1, 480), render(fresh2, 480));
}

TEST(dsp_BrownNoiseGenerator, SilentCallsZeroTheBuffersAndTouchNoState)
{
    std::atomic<float> level{0.0f};
    BrownNoiseGenerator muted, twin, never;
    muted.init(kRate, &level, 5);
    Stereo garbage(300, NAN);
    muted.render(garbage.left.data(), garbage.right.data(), 300);
    EXPECT_TRUE(allZero(garbage));
    EXPECT_TRUE(allZero(render(never, 300))); // never initialised: silent, no crash
    EXPECT_TRUE(allZero(render(muted, 48000)));

    // Unmuted, it continues exactly where a generator that never went silent starts.
    std::atomic<float> on{0.5f};
    muted.init(kRate, &level, 5);
    render(muted, 10000);
    level = 0.5f;
    twin.init(kRate, &on, 5);
    EXPECT_EQ(render(muted, 4800), render(twin, 4800));

    // A call for no frames writes and changes nothing, not even the last trace of gain
    // that the fast path would clear.
    level = on = 0.0f;
    while (muted.gain() >= 1e-4f) {
        render(muted, 480);
        render(twin, 480);
    }
    ASSERT_GT(muted.gain(), 0.0f);
    float untouched = 3.0f;
    muted.render(&untouched, &untouched, 0);
    EXPECT_EQ(untouched, 3.0f);
    level = on = 0.25f;
    EXPECT_EQ(render(muted, 4800), render(twin, 4800));
}

TEST(dsp_BrownNoiseGenerator, GainFollowsTheLevelWithAPointThreeSecondTimeConstant)
{
    std::atomic<float> level{1.0f};
    BrownNoiseGenerator g;
    g.init(kRate, &level, 11);
    render(g, int(0.3f * kRate));
    EXPECT_NEAR(g.gain(), 1.0 - std::exp(-1.0), 0.003);
    render(g, int(2.7f * kRate)); // ten time constants in all
    EXPECT_NEAR(g.gain(), 1.0, 0.001);

    // Cut to 0: the noise decays through the same smoother, then the fast path takes over
    // once the gain is under 1e-4, about 2.76 s (ln 1e4 time constants) after the cut.
    level = 0.0f;
    const float fromGain = g.gain();
    render(g, int(0.3f * kRate));
    EXPECT_NEAR(g.gain(), fromGain * std::exp(-1.0), 0.003);
    int silentFrom = 300;
    for (int block = 30; block < 400; ++block) { // 10 ms blocks
        if (allZero(render(g, 480))) {
            silentFrom = block;
            break;
        }
    }
    EXPECT_NEAR(silentFrom * 0.01, 0.3 * std::log(1e4), 0.05);
    EXPECT_EQ(g.gain(), 0.0f);
}

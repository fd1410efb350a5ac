// The random stream, its float mappings, the noise filters and the breath.

#include "SignalTools.h"
#include "audio/dsp/BrownNoiseGenerator.h"

#include <gtest/gtest.h>

using namespace tessary::dsp;

// The xorshift steps themselves are pinned by the generator's reference samples and final state.
TEST(dsp_NoiseSource, WhiteAndUniformMappingsHitTheirEnds)
{
    EXPECT_EQ(whiteSample(0x80000000u), -1.0f);
    EXPECT_EQ(whiteSample(0xFFFFFFFFu), -0x1p-31f);
    // Rounding to float carries the top 64 integers onto exactly 1.
    EXPECT_EQ(whiteSample(0x7FFFFFFFu), 1.0f);
    EXPECT_EQ(whiteSample(0x7FFFFFC0u), 1.0f);
    EXPECT_EQ(whiteSample(0x7FFFFFBFu), 0x1.fffffep-1f);

    EXPECT_EQ(uniformSample(0xFFFFFFFFu), 0x1.fffffep-1f);
    EXPECT_EQ(uniformSample(0x100u), 0x1p-24f);
    EXPECT_EQ(uniformSample(0xFFu), 0.0f); // the low 8 bits are dropped
}

TEST(dsp_Filters, CutoffsAreThirtyAndSevenHundredHertzOrJustBelowNyquist)
{
    // A Q of 0.707 is -3 dB at a high-pass cutoff, a Q of 0.6 gives 0.6 at a low-pass cutoff;
    // second-order skirts fall 40 dB a decade (less at 7 kHz, where the low-pass already bends
    // towards its zero at Nyquist).
    struct Case {
        float rate;
        bool highPass;
        double hz, gain, tolerance;
    };
    for (const Case c : {Case{48000, true, 30, 0.707, 0.005}, Case{48000, true, 3, 0.01, 0.001},
                         Case{48000, true, 1000, 1.0, 0.002}, Case{48000, false, 700, 0.6, 0.005},
                         Case{48000, false, 70, 1.0, 0.01}, Case{48000, false, 7000, 0.0086, 0.001},
                         Case{1000, false, 450, 0.6, 0.01}, Case{1000, true, 30, 0.707, 0.01},
                         Case{40, true, 18, 0.707, 0.01}, Case{40, false, 18, 0.6, 0.01}}) {
        BrownNoiseGenerator g;
        g.init(c.rate, nullptr, 7);
        Biquad f = c.highPass ? g.highpass() : g.lowpass();
        EXPECT_NEAR(measuredGain([&f](float x) { return f.process(x); }, c.rate, c.hz), c.gain, c.tolerance)
            << c.rate << " Hz rate, " << (c.highPass ? "high" : "low") << "-pass at " << c.hz << " Hz";
    }
}

TEST(dsp_Breath, StaysWithinItsBoundsAndHoldsEachGoalFiveToTwelveSeconds)
{
    BrownNoiseGenerator g;
    g.init(48000.0f, nullptr, 0x9E3779B9u);
    Drift breath = g.breath();
    NoiseSource noise = g.noise();
    float low = 1.0f, high = 0.0f;
    long sinceGoal = -1, goals = 0;
    for (long i = 0; i < 48000L * 1200; ++i) { // twenty minutes
        const std::uint32_t before = noise.state;
        const float v = breath.next(noise);
        low = std::min(low, v);
        high = std::max(high, v);
        if (noise.state != before) { // a new goal consumed two draws
            ASSERT_TRUE(i == 0 || (sinceGoal >= 5 * 48000 && sinceGoal <= 12 * 48000)) << sinceGoal;
            sinceGoal = 0;
            ++goals;
        }
        ++sinceGoal;
    }
    EXPECT_GE(low, 0.82f);
    EXPECT_LE(high, 1.0f);
    EXPECT_GT(high - low, 0.1f); // it really breathes
    EXPECT_GT(goals, 1200 / 12);
    EXPECT_LT(goals, 1200 / 5 + 2);
}

#include "Filters.h"
#include "Modulation.h"
#include "Random.h"
#include "Signal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace tessary::soundgen {
namespace {

TEST(soundgen_LayerRandom, SameSeedAndLayerRepeatAndLayersAreIndependent)
{
    Random a(42, "rain/drops"), b(42, "rain/drops"), c(42, "rain/bed/L"), d(43, "rain/drops");
    bool differsFromOtherLayer = false, differsFromOtherSeed = false;
    for (int i = 0; i < 100; ++i) {
        const auto x = a.next();
        EXPECT_EQ(x, b.next());
        differsFromOtherLayer |= x != c.next();
        differsFromOtherSeed |= x != d.next();
    }
    EXPECT_TRUE(differsFromOtherLayer);
    EXPECT_TRUE(differsFromOtherSeed);
}

TEST(soundgen_LayerRandom, DistributionsStayInTheirRanges)
{
    Random r(7, "ranges");
    double sum = 0.0;
    for (int i = 0; i < 20000; ++i) {
        const double u = r.uniform();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
        sum += u;
        const double f = r.logUniform(800.0, 2000.0);
        ASSERT_GE(f, 800.0);
        ASSERT_LE(f, 2000.0);
        const int k = r.integer(3, 5);
        ASSERT_GE(k, 3);
        ASSERT_LE(k, 5);
    }
    EXPECT_NEAR(sum / 20000.0, 0.5, 0.01);
}

TEST(soundgen_CircularTimeline, AnEventCrossingTheEndContinuesAtTheStart)
{
    Channel loop(10, 0.0f);
    mixWrapped(loop, 8, Channel{1, 2, 3, 4}, 2.0f);
    EXPECT_EQ(loop, (Channel{6, 8, 0, 0, 0, 0, 0, 0, 2, 4}));
    // Negative starts and events longer than the loop wrap too.
    Channel small(3, 0.0f);
    mixWrapped(small, -1, Channel{1, 1, 1, 1}, 1.0f);
    EXPECT_EQ(small, (Channel{1, 1, 2}));
}

// A circular render of a filtered noise table must not care where the loop "starts":
// rotating the input rotates the output. A single pass from a zero state would not.
TEST(soundgen_CircularTimeline, FilteringTwoPeriodsMakesTheOutputRotationInvariant)
{
    constexpr std::size_t n = 48000;
    constexpr std::size_t shift = 12345;
    Random rng(1, "table");
    const Channel table = noiseTable(rng, n);
    const auto render = [&](std::size_t rotation) {
        BrownFilter brown;
        Biquad lp;
        lp.lowpass(300.0, 4.0);
        return renderCircular(n, [&](std::size_t i) { return lp(brown(table[(i + rotation) % n])); });
    };
    const Channel plain = render(0), rotated = render(shift);
    double worst = 0.0, level = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        worst = std::max(worst, double(std::fabs(rotated[i] - plain[(i + shift) % n])));
        level = std::max(level, double(std::fabs(plain[i])));
    }
    EXPECT_LT(worst, 1e-4 * level);
}

TEST(soundgen_PeriodicCurve, RepeatsEveryLoopSpansZeroToOneAndIsSmoothAcrossTheWrap)
{
    constexpr std::size_t n = 10 * kSampleRate + 17; // not a multiple of the table step
    Random rng(3, "curve");
    const PeriodicCurve curve(rng, n, 2, 9);
    double lo = 1.0, hi = 0.0, largestStep = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double v = curve(std::int64_t(i));
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        if (i > 0)
            largestStep = std::max(largestStep, std::fabs(v - curve(std::int64_t(i) - 1)));
        if (i % 997 == 0) {
            ASSERT_DOUBLE_EQ(v, curve(std::int64_t(i + n)));
        }
    }
    EXPECT_NEAR(lo, 0.0, 1e-9);
    EXPECT_NEAR(hi, 1.0, 1e-9);
    EXPECT_LE(std::fabs(curve(0) - curve(std::int64_t(n) - 1)), largestStep * 1.01);
}

TEST(soundgen_PeriodicCurve, WholeCyclesPerLoopRoundToTheNearestRate)
{
    EXPECT_EQ(cyclesPerLoop(0.11, 60 * kSampleRate), 7);
    EXPECT_EQ(cyclesPerLoop(0.1, 60 * kSampleRate), 6);
    EXPECT_EQ(cyclesPerLoop(0.01, 4 * kSampleRate), 1); // never zero
    EXPECT_NEAR(loopSine(3, 0.4, 0, 1000), loopSine(3, 0.4, 1000, 1000), 1e-12);
}

} // namespace
} // namespace tessary::soundgen

#include "Analysis.h"
#include "Mastering.h"
#include "SignalChecks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace tessary::soundgen {
namespace {

using testing::sine;

// BS.1770's calibration: a 997 Hz sine at -20 dBFS in both channels reads -20 LUFS
// (each channel's K-weighted mean square adds up, and the -0.691 offset cancels the weighting).
TEST(soundgen_Loudness, ReadsTheReferenceSineAtItsLevel)
{
    const Buffer stereo = sine(2, 3.0, 997.0, 0.1);
    EXPECT_NEAR(integratedLoudness(stereo, false), -20.0, 0.05);
    EXPECT_NEAR(integratedLoudness(stereo, true), -20.0, 0.05);
    EXPECT_NEAR(integratedLoudness(sine(1, 3.0, 997.0, 0.1), false), -23.01, 0.05);
    EXPECT_NEAR(maxMomentaryLoudness(stereo), -20.0, 0.05);
}

TEST(soundgen_Loudness, GatingIgnoresSilenceAndQuietStretches)
{
    Buffer withSilence = sine(2, 6.0, 997.0, 0.1);
    for (auto &c : withSilence.channels)
        std::fill(c.begin() + std::ptrdiff_t(c.size() / 2), c.end(), 0.0f);
    // Ungated, half silence would read 3 dB down; only the blocks straddling the change
    // (partly tone, so above both gates) pull it down a little.
    EXPECT_NEAR(integratedLoudness(withSilence, false), -20.0, 0.3);

    // A stretch 30 dB down falls under the relative gate (-10 LU) and does not count.
    Buffer withQuiet = sine(2, 6.0, 997.0, 0.1);
    for (auto &c : withQuiet.channels)
        for (std::size_t i = c.size() / 2; i < c.size(); ++i)
            c[i] *= 0.0316f;
    EXPECT_NEAR(integratedLoudness(withQuiet, false), -20.0, 0.3);
}

TEST(soundgen_Limiter, KeepsEveryPeakUnderTheCeilingAndLeavesQuietAudioAlone)
{
    Buffer b = sine(2, 1.0, 220.0, 0.3);
    b.left()[20000] = 1.8f;   // a spike well over full scale
    b.right()[30000] = -1.2f; // linked: both channels duck together
    const Buffer before = b;
    limitPeaks(b, -1.1, kLimiterWindow, false);
    EXPECT_LE(peakDb(b), -1.1 + 1e-5);
    // Far from the spikes nothing changes.
    EXPECT_EQ(b.left()[1000], before.left()[1000]);
    EXPECT_EQ(b.right()[45000], before.right()[45000]);
    // Around a spike the gain ramps rather than jumps: neighbours are ducked too, the other channel with them.
    EXPECT_LT(std::fabs(b.right()[20000 - 100]), std::fabs(before.right()[20000 - 100]));
}

// On a loop the gain curve is circular: limiting a rotated loop gives the rotated result,
// so a peak just before the wrap ducks the start as it should.
TEST(soundgen_Limiter, OnALoopTheGainWrapsAroundWithTheAudio)
{
    constexpr std::size_t shift = 7000;
    Buffer loop = sine(2, 0.5, 300.0, 0.5);
    const std::size_t n = loop.frames();
    loop.left()[n - 10] = 2.0f;
    Buffer rotated(2, n);
    for (int ch = 0; ch < 2; ++ch)
        for (std::size_t i = 0; i < n; ++i)
            rotated.channels[std::size_t(ch)][i] = loop.channels[std::size_t(ch)][(i + shift) % n];
    const float startBefore = loop.right()[100];
    limitPeaks(loop, -1.1, kLimiterWindow, true);
    limitPeaks(rotated, -1.1, kLimiterWindow, true);
    for (int ch = 0; ch < 2; ++ch)
        for (std::size_t i = 0; i < n; ++i)
            ASSERT_NEAR(rotated.channels[std::size_t(ch)][i], loop.channels[std::size_t(ch)][(i + shift) % n], 1e-6);
    EXPECT_LT(std::fabs(loop.right()[100]), std::fabs(startBefore));
}

TEST(soundgen_Normalisation, LoopsLandOnTheTargetEvenWhenTheLimiterHasToWork)
{
    Buffer loop = sine(2, 4.0, 440.0, 0.01);
    // Sparse clicks 30 dB over the tone: reaching -20 LUFS pushes them far over the ceiling.
    for (std::size_t i = 1000; i < loop.frames(); i += 9000)
        loop.left()[i] = 0.3f;
    EXPECT_NEAR(normaliseLoop(loop, kLoopLoudnessLufs), kLoopLoudnessLufs, 0.02);
    EXPECT_NEAR(integratedLoudness(loop, true), kLoopLoudnessLufs, 0.02);
    EXPECT_LE(peakDb(loop), kLimiterCeilingDb + 1e-4);
}

TEST(soundgen_Normalisation, AlertsAreScaledNotLimitedAndThePeakWins)
{
    Buffer quiet = sine(1, 0.3, 1000.0, 0.01);
    normaliseAlert(quiet, kAlertLoudnessLufs);
    EXPECT_NEAR(maxMomentaryLoudness(quiet), kAlertLoudnessLufs, 0.05);

    // A very peaky sound cannot reach the target without crossing the ceiling: it stops there.
    Buffer click(1, 24000);
    click.left()[100] = 0.5f;
    normaliseAlert(click, kAlertLoudnessLufs);
    EXPECT_NEAR(peakDb(click), kLimiterCeilingDb, 0.01);
}

TEST(soundgen_Pcm16, DitheredSamplesStayWithinOneStepAndAreReproducible)
{
    const Buffer b = sine(2, 0.1, 440.0, 0.5);
    Random d1(5, "dither"), d2(5, "dither");
    const auto pcm = toPcm16(b, d1);
    EXPECT_EQ(pcm, toPcm16(b, d2));
    ASSERT_EQ(pcm.size(), 2 * b.frames());
    for (std::size_t i = 0; i < b.frames(); ++i)
        ASSERT_LE(std::fabs(pcm[2 * i + 1] - b.right()[i] * 32768.0), 1.5);
}

} // namespace
} // namespace tessary::soundgen

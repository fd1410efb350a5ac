#include "Alerts.h"
#include "Analysis.h"
#include "FlacFile.h"
#include "Generator.h"
#include "Loops.h"
#include "Mastering.h"
#include "SignalChecks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// The files the build generated (full length, after 16-bit conversion), not re-rendered ones.
namespace tessary::soundgen {
namespace {

std::filesystem::path shippedDir() { return TESSARY_SOUNDS_DIR; }

class soundgen_ShippedLoop : public ::testing::TestWithParam<Loop> {};

TEST_P(soundgen_ShippedLoop, IsFullLengthStereoAtTheTargetAndSeamless)
{
    const auto path = shippedDir() / soundPath(std::string(loopName(GetParam())));
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << path << " not generated";
    int rate = 0;
    const auto b = readSoundFile(path, &rate);
    ASSERT_TRUE(b);
    EXPECT_EQ(rate, kSampleRate);
    ASSERT_EQ(b->channelCount(), 2);
    EXPECT_EQ(b->frames(), std::size_t(loopDefaultSeconds(GetParam()) * kSampleRate));
    EXPECT_LE(peakDb(*b), kPeakCeilingDb);
    EXPECT_NEAR(integratedLoudness(*b, true), kLoopLoudnessLufs, 0.1);
    testing::expectSeamless(*b);
}

INSTANTIATE_TEST_SUITE_P(Files, soundgen_ShippedLoop, ::testing::ValuesIn(kAllLoops),
                         [](const auto &info) { return std::string(loopName(info.param)); });

TEST(soundgen_ShippedAlerts, AreShortMonoAndUnclipped)
{
    for (const Alert a : kAllAlerts) {
        const auto path = shippedDir() / soundPath(std::string(alertName(a)));
        if (!std::filesystem::exists(path))
            GTEST_SKIP() << path << " not generated";
        int rate = 0;
        const auto b = readSoundFile(path, &rate);
        ASSERT_TRUE(b) << path;
        EXPECT_EQ(rate, kSampleRate);
        EXPECT_EQ(b->channelCount(), 1);
        EXPECT_LE(b->frames(), std::size_t(1.5 * kSampleRate));
        EXPECT_LE(peakDb(*b), kPeakCeilingDb) << path;
    }
}

} // namespace
} // namespace tessary::soundgen

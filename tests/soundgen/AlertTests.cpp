#include "Alerts.h"
#include "Analysis.h"
#include "Mastering.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tessary::soundgen {
namespace {

class soundgen_EveryAlert : public ::testing::TestWithParam<Alert> {};

// Mono, the upper length and the ceiling are checked on the shipped files.
TEST_P(soundgen_EveryAlert, IsAtTheAlertLevelStartsPromptlyWithoutAClickAndFadesToSilence)
{
    const Buffer b = renderAlert(GetParam(), 1);
    EXPECT_GT(b.frames(), std::size_t(kSampleRate / 10));
    EXPECT_NEAR(maxMomentaryLoudness(b), kAlertLoudnessLufs, 0.5);
    const Channel &c = b.channels.front();
    const double peak = std::pow(10.0, peakDb(b) / 20.0);
    EXPECT_EQ(c.front(), 0.0f);
    EXPECT_EQ(c.back(), 0.0f);
    // No step at the start: nothing begins at full amplitude, every sound fades in.
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_LT(std::fabs(c[i]), 0.3 * peak) << "at frame " << i;
    // Heard at once: a tenth of the peak is reached within 40 ms.
    std::size_t onset = 0;
    while (onset < c.size() && std::fabs(c[onset]) < 0.1 * peak)
        ++onset;
    EXPECT_LT(onset, std::size_t(0.04 * kSampleRate));
    // And gone at the end: the last 5 ms are 40 dB down.
    for (std::size_t i = c.size() - 240; i < c.size(); ++i)
        ASSERT_LT(std::fabs(c[i]), 0.01 * peak);
}

INSTANTIATE_TEST_SUITE_P(Alerts, soundgen_EveryAlert, ::testing::ValuesIn(kAllAlerts),
                         [](const auto &info) { return std::string(alertName(info.param)); });

// Each name must sound like something else: no two alerts share both length and brightness.
TEST(soundgen_Alerts, AreDistinctFromEachOther)
{
    for (std::size_t i = 0; i < kAllAlerts.size(); ++i) {
        const Buffer a = renderAlert(kAllAlerts[i], 1);
        for (std::size_t j = i + 1; j < kAllAlerts.size(); ++j) {
            const Buffer b = renderAlert(kAllAlerts[j], 1);
            const double lengthRatio = double(a.frames()) / double(b.frames());
            const double brightnessRatio = spectralCentroid(a) / spectralCentroid(b);
            const bool sameLength = std::fabs(std::log(lengthRatio)) < std::log(1.15);
            const bool sameBrightness = std::fabs(std::log(brightnessRatio)) < std::log(1.15);
            EXPECT_FALSE(sameLength && sameBrightness) << alertName(kAllAlerts[i]) << " vs " << alertName(kAllAlerts[j]);
        }
    }
}

TEST(soundgen_Alerts, NamesAreTheOnesTheAppPlays)
{
    std::string names;
    for (const Alert a : kAllAlerts)
        names += std::string(alertName(a)) + " ";
    EXPECT_EQ(names, "Glass Ping Pop Tink Submarine Purr Morse Hero beep ");
}

} // namespace
} // namespace tessary::soundgen

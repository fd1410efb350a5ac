#include "Fft.h"
#include "Figures.h"
#include "FlacFile.h"
#include "Generator.h"
#include "Loops.h"
#include "SignalChecks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <complex>
#include <filesystem>
#include <string>

namespace tessary::soundgen {
namespace {

// Every shipped loop measured as the analyser measures it, held to real recordings of its kind.
TEST(soundgen_Figures, ShippedLoopsMeasureLikeRecordingsOfTheirKind)
{
    for (const Loop loop : kAllLoops) {
        const std::string name(loopName(loop));
        const auto path = std::filesystem::path(TESSARY_SOUNDS_DIR) / soundPath(name);
        if (!std::filesystem::exists(path))
            GTEST_SKIP() << path << " not generated";
        const auto b = readSoundFile(path);
        ASSERT_TRUE(b) << path;
        const SoundFigures f = measureFigures(*b);
        SCOPED_TRACE(name);
        if (const auto ref = referenceFigures(name)) {
            const FiguresDistance d = figuresDistance(f, *ref);
            EXPECT_LT(d.spectrumRmsDb, 4.0);
            EXPECT_LT(d.modulationMad, 0.3);
            EXPECT_LT(d.modulationMax, 0.8) << SoundFigures::modulationName(d.worst);
        } else {
            // The stream: a burble carrying most of its power between 300 Hz and 3 kHz, its level
            // flickering with bubbles (8–50 Hz) far more than it swells (0.25–2 Hz).
            EXPECT_GT(bandEnergyShare(f, 300.0, 3000.0), 0.8);
            for (const std::size_t region : {0u, 1u}) {
                const std::size_t at = region * SoundFigures::kPerRegion;
                EXPECT_GT(f.modulation[at + 2], f.modulation[at] + 0.3) << SoundFigures::modulationName(at);
            }
        }
    }
}

TEST(soundgen_Figures, TheAnalyserReadsKnownSignals)
{
    // The transform at lengths with factors 2, 3, 5 and a prime agrees with a direct DFT.
    for (const std::size_t n : {30u, 14u}) {
        std::vector<std::complex<double>> x(n), y;
        for (std::size_t i = 0; i < n; ++i)
            x[i] = {std::sin(0.7 * double(i * i)), std::cos(1.3 * double(i))};
        y = x;
        fft(y);
        for (std::size_t k = 0; k < n; ++k) {
            std::complex<double> direct = 0.0;
            for (std::size_t i = 0; i < n; ++i)
                direct += x[i] * std::polar(1.0, -kTwoPi * double(k * i) / double(n));
            EXPECT_LT(std::abs(y[k] - direct), 1e-9) << "n " << n << " bin " << k;
        }
        fft(y, true);
        for (std::size_t i = 0; i < n; ++i)
            EXPECT_LT(std::abs(y[i] - x[i]), 1e-12);
    }

    // White noise: a flat shape and Gaussian kurtosis (log10 3) in every region.
    Random rng(5);
    Buffer noise(1, 12 * kSampleRate);
    for (auto &s : noise.left())
        s = float(rng.gaussian() * 0.1);
    const SoundFigures flat = measureFigures(noise);
    for (const double v : flat.shape)
        EXPECT_NEAR(v, 0.0, 1.0);
    for (std::size_t region = 0; region < SoundFigures::kRegions; ++region)
        EXPECT_NEAR(flat.modulation[region * SoundFigures::kPerRegion + 3], std::log10(3.0), 0.03);

    // A 1 kHz tone: all in the 1 kHz band, and a steady sine's kurtosis is 1.5.
    const SoundFigures tone = measureFigures(testing::sine(2, 12.0, 1000.0, 0.5));
    const auto peak = std::max_element(tone.shape.begin(), tone.shape.end());
    EXPECT_EQ(peak - tone.shape.begin(), 12);
    EXPECT_GT(*peak - tone.shape[10], 40.0);
    EXPECT_NEAR(tone.modulation[SoundFigures::kPerRegion + 3], std::log10(1.5), 0.01);
}

} // namespace
} // namespace tessary::soundgen

#pragma once

#include "Signal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

// Measurements the sound tests share.
namespace tessary::soundgen::testing {

inline Buffer sine(int channels, double seconds, double hz, double amplitude)
{
    Buffer b(channels, std::size_t(seconds * kSampleRate));
    for (auto &c : b.channels)
        for (std::size_t i = 0; i < c.size(); ++i)
            c[i] = float(amplitude * std::sin(kTwoPi * hz * double(i) / kSampleRate));
    return b;
}

inline double quantile(std::vector<double> v, double q)
{
    const auto k = std::size_t(q * double(v.size() - 1));
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(k), v.end());
    return v[k];
}

// How a loop's wrap compares with the inside of the loop, per channel:
// `jump` is |x[0] - x[n-1]| against the 99.9th percentile of |x[i+1] - x[i]|;
// `roughness` is the RMS second difference over 10 ms around the wrap against the 99th
// percentile of the same measure over windows spread through the loop; `levelStep` is the
// level change (dB) between the 50 ms before and after the wrap against the 99th percentile of
// changes between neighbouring 50 ms windows. A click or a filter restarting from zero shows in
// the first two, an event cut off at the end instead of wrapping in the third.
struct SeamReport {
    double jump, typicalJump;
    double roughness, typicalRoughness;
    double levelStep, typicalLevelStep;
};

inline SeamReport seam(const Channel &x)
{
    const std::size_t n = x.size();
    std::vector<double> steps(n - 1);
    for (std::size_t i = 0; i + 1 < n; ++i)
        steps[i] = std::fabs(double(x[i + 1]) - x[i]);
    const auto at = [&](std::int64_t i) { return double(x[wrapIndex(i, n)]); };
    const auto rough = [&](std::int64_t centre) {
        constexpr std::int64_t half = kSampleRate / 200;
        double sum = 0.0;
        for (std::int64_t i = centre - half; i < centre + half; ++i) {
            const double d2 = at(i + 1) - 2.0 * at(i) + at(i - 1);
            sum += d2 * d2;
        }
        return std::sqrt(sum / double(2 * half));
    };
    std::vector<double> windows;
    for (std::size_t c = kSampleRate / 100; c + kSampleRate / 100 < n; c += kSampleRate / 50)
        windows.push_back(rough(std::int64_t(c)));

    constexpr std::int64_t span = kSampleRate / 20;
    const auto levelDb = [&](std::int64_t from) {
        double sum = 1e-20;
        for (std::int64_t i = from; i < from + span; ++i)
            sum += at(i) * at(i);
        return 10.0 * std::log10(sum / double(span));
    };
    std::vector<double> levelSteps;
    for (std::int64_t from = span; from + span <= std::int64_t(n); from += span)
        levelSteps.push_back(std::fabs(levelDb(from) - levelDb(from - span)));

    return {std::fabs(double(x[0]) - x[n - 1]), quantile(steps, 0.999),
            rough(0), quantile(windows, 0.99),
            std::fabs(levelDb(0) - levelDb(-span)), quantile(levelSteps, 0.99)};
}

// Every channel wraps with no jump, roughness or level step beyond what the loop has inside.
inline void expectSeamless(const Buffer &b)
{
    for (const auto &c : b.channels) {
        const SeamReport s = seam(c);
        EXPECT_LE(s.jump, s.typicalJump);
        EXPECT_LE(s.roughness, s.typicalRoughness);
        EXPECT_LE(s.levelStep, s.typicalLevelStep);
    }
}

} // namespace tessary::soundgen::testing

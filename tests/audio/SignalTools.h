#pragma once

#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

// The output rate the tests render at.
constexpr float kRate = 48000.0f;

// Two non-interleaved channels.
struct Stereo {
    std::vector<float> left, right;
    explicit Stereo(std::size_t frames = 0, float fill = 0.0f) : left(frames, fill), right(frames, fill) {}
    std::size_t size() const { return left.size(); }
    bool operator==(const Stereo &) const = default;
};

// Steady-state gain of `process` (any float(float) callable) at `hz`: one second to settle,
// then projection onto sine and cosine over two seconds, a whole number of periods for
// every frequency with integer or half-integer hertz.
template <typename Process>
double measuredGain(Process process, double sampleRate, double hz)
{
    const auto n = static_cast<long>(sampleRate);
    double re = 0.0, im = 0.0;
    for (long i = 0; i < 3 * n; ++i) {
        const double phase = 2.0 * std::numbers::pi * hz * double(i) / sampleRate;
        const double y = process(static_cast<float>(std::sin(phase)));
        if (i >= n) {
            re += y * std::sin(phase);
            im += y * std::cos(phase);
        }
    }
    return 2.0 * std::hypot(re, im) / double(2 * n);
}

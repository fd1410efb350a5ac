#pragma once

#include "Random.h"
#include "Signal.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace tessary::soundgen {

// Whole cycles per loop nearest to `hz`, at least one: every LFO, gust and swell runs at k/T
// so it is back at its starting phase exactly at the loop point.
inline int cyclesPerLoop(double hz, std::size_t frames)
{
    return std::max(1, int(std::lround(hz * double(frames) / kSampleRate)));
}

// sin(2π k i / n + phase): periodic over the loop for integer k.
inline double loopSine(int k, double phase, std::size_t i, std::size_t n)
{
    return std::sin(kTwoPi * double(k) * double(i) / double(n) + phase);
}

// A smooth random curve that repeats exactly every loop: a sum of sinusoids with k cycles per
// loop for k in [kMin, kMax], random phases, amplitudes ∝ k^-tilt, scaled to span [0, 1].
// Evaluated from a control-rate table with linear interpolation (cheap, and the highest
// component is far below the table rate).
class PeriodicCurve {
public:
    PeriodicCurve(Random &rng, std::size_t frames, int kMin, int kMax, double tilt = 1.0)
        : m_frames(frames)
    {
        kMax = std::max(kMax, kMin);
        // At least 32 table points per cycle of the fastest component.
        m_step = std::clamp<std::size_t>(frames / std::size_t(32 * kMax), 1, 256);
        const std::size_t points = (frames + m_step - 1) / m_step;
        std::vector<double> amp, phase;
        for (int k = kMin; k <= kMax; ++k) {
            amp.push_back(std::pow(double(k), -tilt) * rng.uniform(0.5, 1.0));
            phase.push_back(rng.uniform(0.0, kTwoPi));
        }
        m_table.resize(points);
        for (std::size_t p = 0; p < points; ++p) {
            const double x = double(p * m_step) / double(frames);
            double v = 0.0;
            for (std::size_t j = 0; j < amp.size(); ++j)
                v += amp[j] * std::sin(kTwoPi * double(kMin + int(j)) * x + phase[j]);
            m_table[p] = v;
        }
        const auto [lo, hi] = std::minmax_element(m_table.begin(), m_table.end());
        const double low = *lo, span = std::max(*hi - *lo, 1e-12);
        for (auto &v : m_table)
            v = (v - low) / span;
    }

    // Value at frame i (any integer; wraps).
    double operator()(std::int64_t i) const
    {
        const std::size_t f = wrapIndex(i, m_frames);
        const std::size_t p = f / m_step;
        const std::size_t base = p * m_step;
        // The segment after the last table point runs back to point 0, the loop start.
        const bool last = base + m_step >= m_frames;
        const double next = last ? m_table[0] : m_table[p + 1];
        const double span = double((last ? m_frames : base + m_step) - base);
        return m_table[p] + (next - m_table[p]) * double(f - base) / span;
    }

private:
    std::size_t m_frames;
    std::size_t m_step = 1;
    std::vector<double> m_table;
};

} // namespace tessary::soundgen

#include "Events.h"

#include "Filters.h"

#include <algorithm>
#include <cmath>

namespace tessary::soundgen {

Channel renderBubble(const Bubble &b)
{
    const auto n = std::size_t(b.seconds * kSampleRate);
    const double decay = std::log(1000.0) / b.seconds; // -60 dB at the end
    const double attack = 0.0008 * kSampleRate;        // a sine starting at full slope clicks
    Channel out(n);
    double phase = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = double(i) / kSampleRate;
        const double f = b.frequency * std::exp(t / b.riseSeconds);
        phase += kTwoPi * std::min(f, 0.45 * kSampleRate) / kSampleRate;
        const double rise = i < attack ? 0.5 - 0.5 * std::cos(kPi * double(i) / attack) : 1.0;
        const double tail = double(n - i) / (0.002 * kSampleRate); // last 2 ms fade to 0
        out[i] = float(std::sin(phase) * std::exp(-decay * t) * rise * std::min(1.0, tail));
    }
    return out;
}

Channel renderBurst(Random &rng, const Burst &b)
{
    const double attack = std::max(1.0, b.attackSeconds * kSampleRate);
    const double decay = b.decaySeconds * kSampleRate;
    // Leave the band-pass time to ring out after the excitation ends.
    const double ring = 3.0 * b.q / (kPi * b.centre) * kSampleRate;
    const auto n = std::size_t(attack + decay + ring) + 1;
    Biquad filter;
    filter.bandpass(b.centre, b.q);
    Channel out(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = double(i);
        double env = 0.0;
        if (t < attack)
            env = t / attack;
        else if (b.squared)
            env = std::pow(std::max(0.0, 1.0 - (t - attack) / decay), 2.0);
        else if (t < attack + decay)
            env = std::exp(-4.0 * (t - attack) / decay) * std::min(1.0, (attack + decay - t) / (0.2 * decay));
        out[i] = float(filter(rng.bipolar() * env));
    }
    return out;
}

void mixPanned(Buffer &bus, std::int64_t start, const Channel &event, double gain, double panPosition)
{
    const PanGains g = pan(panPosition);
    mixWrapped(bus.left(), start, event, float(gain * g.left));
    mixWrapped(bus.right(), start, event, float(gain * g.right));
}

} // namespace tessary::soundgen

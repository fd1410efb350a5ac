#pragma once

#include "Random.h"
#include "Signal.h"

#include <cstdint>
#include <vector>

namespace tessary::soundgen {

// Frame positions in [0, frames) of a Poisson process whose rate (events/s) follows
// `rate(frame)`, which must stay at or below `maxRate` (thinning).
template <class Rate>
std::vector<std::int64_t> poissonEvents(Random &rng, std::size_t frames, double maxRate, Rate &&rate)
{
    std::vector<std::int64_t> events;
    const double seconds = double(frames) / kSampleRate;
    for (double t = rng.exponential(1.0 / maxRate); t < seconds; t += rng.exponential(1.0 / maxRate)) {
        const auto frame = std::int64_t(t * kSampleRate);
        if (rng.uniform() * maxRate < rate(frame))
            events.push_back(frame);
    }
    return events;
}

// A gas bubble in water (van den Doel): a damped sine whose pitch rises as it nears the
// surface. Frequency ∝ 1/radius; `riseSeconds` is the time for the pitch to grow by e.
struct Bubble {
    double frequency = 0.0;
    double seconds = 0.0;     // until the ring has decayed by 60 dB
    double riseSeconds = 1.0; // pitch × e after this long
};
Channel renderBubble(const Bubble &b);

// A short decaying noise burst through a band-pass: a drop hitting a leaf, a crackle.
// The envelope's decay is squared when `squared` is set (crackles), plain exponential otherwise.
struct Burst {
    double centre = 1000.0;
    double q = 1.0;
    double attackSeconds = 0.0;
    double decaySeconds = 0.0;
    bool squared = false;
};
Channel renderBurst(Random &rng, const Burst &b);

// Adds a mono event into a stereo bus at `start` (wrapping), panned and scaled.
void mixPanned(Buffer &bus, std::int64_t start, const Channel &event, double gain, double panPosition);

} // namespace tessary::soundgen

// Summer-night crickets: a chorus of field crickets, each chirping (a few ~40 Hz pulses of a
// 3–5 kHz tone) at its own steady rate. Each cricket's chirp period divides the loop exactly,
// so the chorus's phase pattern is the same at the end as at the start.
#include "Filters.h"
#include "Loops.h"
#include "Modulation.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace tessary::soundgen {
namespace {

struct Cricket {
    double carrier;
    double pulseRate;   // syllables per second within a chirp
    double syllable;    // s, shorter than 1/pulseRate
    int syllables;      // per chirp
    int chirpsPerLoop;
    double offset;      // s, first chirp
    double gain;
    double position;
};

// One chirp: `syllables` tone pulses with soft edges; the carrier has faint 2nd and 3rd harmonics.
Channel renderChirp(Random &rng, const Cricket &c)
{
    const double period = 1.0 / c.pulseRate;
    const auto n = std::size_t((period * (c.syllables - 1) + c.syllable) * kSampleRate) + 1;
    Channel out(n, 0.0f);
    const double edge = 0.003;
    double phase = rng.uniform(0.0, kTwoPi);
    const double carrier = c.carrier * (1.0 + 0.002 * rng.bipolar());
    for (std::size_t i = 0; i < n; ++i) {
        const double t = double(i) / kSampleRate;
        phase += kTwoPi * carrier / kSampleRate;
        const int k = std::min(c.syllables - 1, int(t / period));
        const double local = t - k * period;
        if (local >= c.syllable)
            continue;
        const double rise = std::min(1.0, local / edge);
        const double fall = std::min(1.0, (c.syllable - local) / edge);
        const double env = std::sin(kPi / 2 * rise) * std::sin(kPi / 2 * fall);
        // The middle syllables are the loudest.
        const double shape = 0.75 + 0.25 * std::sin(kPi * (k + 0.5) / c.syllables);
        out[i] = float(env * env * shape * (std::sin(phase) + 0.04 * std::sin(2.0 * phase) + 0.05 * std::sin(3.0 * phase)));
    }
    return out;
}

} // namespace

Buffer renderCrickets(const LoopContext &ctx)
{
    const std::size_t n = ctx.frames;
    const double seconds = ctx.seconds();
    Buffer out(2, n);

    Random chorus = ctx.layer("crickets/chorus");
    // The chorus swells and ebbs over a second or two as neighbours answer each other.
    Random swellRng = ctx.layer("crickets/swell");
    const PeriodicCurve swell(swellRng, n, std::max(1, int(seconds * 0.3)), std::max(2, int(seconds * 1.2)), 0.5);
    const int count = chorus.integer(7, 12);
    const double centre = chorus.logUniform(4050.0, 4250.0);
    for (int i = 0; i < count; ++i) {
        Random rng = ctx.layer("crickets/cricket/" + std::to_string(i));
        Cricket c;
        c.carrier = centre * (1.0 + rng.uniform(-0.03, 0.09));
        c.pulseRate = rng.uniform(32.0, 44.0);
        c.syllable = rng.uniform(0.45, 0.65) / c.pulseRate;
        c.syllables = rng.integer(3, 5);
        c.chirpsPerLoop = std::max(1, int(std::lround(seconds * rng.uniform(2.0, 4.0))));
        c.offset = rng.uniform(0.0, seconds / c.chirpsPerLoop);
        // A few crickets close by carry the rhythm; the rest are a distant chorus.
        c.gain = i < 3 ? rng.uniform(0.6, 1.0) : rng.uniform(0.12, 0.35);
        c.position = rng.uniform(-0.9, 0.9);
        const PanGains g = pan(c.position);
        const double period = seconds / c.chirpsPerLoop;
        for (int k = 0; k < c.chirpsPerLoop; ++k) {
            const double t = c.offset + k * period + rng.uniform(-0.004, 0.004);
            const Channel chirp = renderChirp(rng, c);
            const double level = c.gain * rng.uniform(0.85, 1.0) * (0.3 + 0.7 * swell(std::int64_t(t * kSampleRate)));
            mixWrapped(out.left(), std::int64_t(t * kSampleRate), chirp, float(level * g.left));
            mixWrapped(out.right(), std::int64_t(t * kSampleRate), chirp, float(level * g.right));
        }
    }

    // The night itself: a low hum of distant traffic and wind, a faint hiss of air.
    for (int ch = 0; ch < 2; ++ch) {
        Random rng = ctx.layer(ch == 0 ? "crickets/air/L" : "crickets/air/R");
        const Channel noise = noiseTable(rng, n);
        const Channel hum = noiseTable(rng, n);
        PinkFilter pink;
        BrownFilter brown;
        Biquad lp, lp2, humLow, humFloor;
        lp.lowpass(1500.0, 0.7);
        lp2.lowpass(2500.0, 0.7);
        humLow.lowpass(160.0, 0.7);
        humFloor.highpass(45.0, 0.7);
        // Far-off insects too many to tell apart: a thin 6–10 kHz haze, nothing above.
        Biquad haze, hazeTop1, hazeTop2;
        haze.bandpass(7500.0, 0.8);
        hazeTop1.lowpass(10500.0, 0.7);
        hazeTop2.lowpass(10500.0, 0.7);
        const Channel air = renderCircular(n, [&](std::size_t i) {
            const double h = haze(hazeTop1(hazeTop2(noise[i])));
            return lp2(lp(pink(noise[i]))) * 0.4 + humFloor(humLow(brown(hum[i]))) * 0.6 + h * 0.025;
        });
        mixWrapped(out.channels[std::size_t(ch)], 0, air, 1.0f);
    }
    return out;
}

} // namespace tessary::soundgen

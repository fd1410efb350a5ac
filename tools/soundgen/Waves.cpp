// Sea waves on a beach: each wave builds as a rising low-pass sweep, crashes broadband and
// washes out as high-passed fizz; smaller surges and backwash come and go between them; three
// slow surf engines (L/C/R) and a constant low layer keep the troughs from going silent.
#include "Filters.h"
#include "Loops.h"
#include "Modulation.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>

namespace tessary::soundgen {
namespace {

struct Wave {
    std::int64_t start;
    double build, crash, wash; // seconds
    double gain;
    double position;
    double topCutoff;
};

// Wave periods of 7–12 s, scaled so that they add up to the loop exactly.
std::vector<Wave> scheduleWaves(Random &rng, std::size_t frames)
{
    const double seconds = double(frames) / kSampleRate;
    const int count = std::max(1, int(std::lround(seconds / 9.5)));
    std::vector<double> periods(static_cast<std::size_t>(count));
    for (auto &p : periods)
        p = rng.uniform(7.0, 12.0);
    const double scale = seconds / std::accumulate(periods.begin(), periods.end(), 0.0);
    std::vector<Wave> waves;
    double t = rng.uniform(0.0, seconds);
    for (const double p : periods) {
        Wave w;
        w.start = std::int64_t(t * kSampleRate);
        w.build = rng.uniform(2.0, 4.0);
        w.crash = rng.uniform(0.3, 1.0);
        w.wash = rng.uniform(3.0, 6.0);
        w.gain = rng.uniform(0.55, 1.0);
        w.position = rng.uniform(-0.6, 0.6);
        w.topCutoff = rng.logUniform(1200.0, 2500.0);
        waves.push_back(w);
        t += p * scale;
    }
    return waves;
}

// One channel of one wave: noise through a swept low-pass (body) plus high-passed fizz.
Channel renderWave(Random &rng, const Wave &w)
{
    const double total = w.build + w.crash + w.wash;
    const auto n = std::size_t(total * kSampleRate);
    Svf body;
    // Breaking water thunders in the low mids; the deep lows belong to the distant swell.
    Biquad bodyFloor, fizzFilter, fizzSoften;
    bodyFloor.highpass(220.0, 0.7);
    fizzFilter.highpass(1800.0, 0.7);
    fizzSoften.lowpass(9000.0, 0.7);
    OnePoleLowpass flicker(35.0);
    Channel out(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = double(i) / kSampleRate;
        double cutoff, level, fizz;
        if (t < w.build) {
            const double x = t / w.build;
            cutoff = 200.0 * std::pow(w.topCutoff / 200.0, x * x);
            level = 0.5 - 0.5 * std::cos(kPi * x);
            level *= level;
            fizz = 0.0;
        } else if (t < w.build + w.crash) {
            const double x = (t - w.build) / w.crash;
            cutoff = w.topCutoff * (1.0 + 0.8 * std::sqrt(std::sin(kPi * x))); // the crash opens up further
            level = 1.0;
            fizz = 0.5 * x;
        } else {
            const double x = (t - w.build - w.crash) / w.wash;
            cutoff = w.topCutoff * std::pow(350.0 / w.topCutoff, std::sqrt(x));
            level = std::exp(-3.5 * x) * (1.0 - x);
            fizz = 0.5 * std::exp(-2.5 * x) * (1.0 - x);
        }
        if (i % 16 == 0)
            body.tune(cutoff, 0.8);
        const double white = rng.bipolar();
        // Foam: the fizz flickers as countless small bubbles burst.
        const double grain = std::clamp(std::fabs(flicker(rng.bipolar())) * 9.0, 0.2, 1.5);
        out[i] = float(body(bodyFloor(white)).low * level + fizzSoften(fizzFilter(rng.bipolar())) * fizz * grain);
    }
    return out;
}

} // namespace

Buffer renderWaves(const LoopContext &ctx)
{
    const std::size_t n = ctx.frames;
    Buffer out(2, n);

    Random waveRng = ctx.layer("waves/breakers");
    for (const Wave &w : scheduleWaves(waveRng, n)) {
        const PanGains g = pan(w.position);
        // Independent noise per side: a wave is wide, only its centre of weight moves.
        mixWrapped(out.left(), w.start, renderWave(waveRng, w), float(w.gain * g.left));
        mixWrapped(out.right(), w.start, renderWave(waveRng, w), float(w.gain * g.right));
    }

    // Between the breakers, small waves and the backwash surge up the sand and drain away in
    // a second or two: the sea never holds still for long.
    Random surgeRng = ctx.layer("waves/surges");
    const auto surgeRate = [](std::int64_t) { return 0.45; };
    for (const std::int64_t start : poissonEvents(surgeRng, n, 0.45, surgeRate)) {
        Wave w;
        w.start = start;
        w.build = surgeRng.uniform(0.4, 1.2);
        w.crash = surgeRng.uniform(0.1, 0.3);
        w.wash = surgeRng.uniform(1.0, 2.5);
        w.gain = surgeRng.uniform(0.15, 0.45);
        w.position = surgeRng.uniform(-0.8, 0.8);
        w.topCutoff = surgeRng.logUniform(700.0, 1500.0);
        const PanGains g = pan(w.position);
        mixWrapped(out.left(), w.start, renderWave(surgeRng, w), float(w.gain * g.left));
        mixWrapped(out.right(), w.start, renderWave(surgeRng, w), float(w.gain * g.right));
    }

    // Surf engines: resonant low-pass 300–800 Hz swept at ~0.1 Hz (k cycles per loop).
    const double positions[3] = {-0.85, 0.0, 0.85};
    const double rates[3] = {0.09, 0.1, 0.12};
    for (int e = 0; e < 3; ++e) {
        Random rng = ctx.layer("waves/engine/" + std::to_string(e));
        const Channel noise = noiseTable(rng, n);
        const int k = cyclesPerLoop(rates[e], n);
        const double phase = rng.uniform(0.0, kTwoPi);
        PinkFilter pink;
        Svf filter;
        Biquad floor;
        floor.highpass(180.0, 0.7);
        const Channel engine = renderCircular(n, [&](std::size_t i) {
            const double lfo = 0.5 + 0.5 * loopSine(k, phase, i, n);
            if (i % 32 == 0)
                filter.tune(300.0 + 500.0 * lfo, 1.6);
            return filter(floor(pink(noise[i]))).low * (0.25 + 0.35 * lfo);
        });
        const PanGains g = pan(positions[e]);
        mixWrapped(out.left(), 0, engine, g.left * 0.1f);
        mixWrapped(out.right(), 0, engine, g.right * 0.1f);
    }

    // The sea's constant low roar under everything.
    for (int ch = 0; ch < 2; ++ch) {
        Random rng = ctx.layer(ch == 0 ? "waves/low/L" : "waves/low/R");
        const Channel noise = noiseTable(rng, n);
        BrownFilter brown;
        Biquad lp1, lp2;
        lp1.lowpass(220.0, 0.54);
        lp2.lowpass(220.0, 1.31);
        const Channel low = renderCircular(n, [&](std::size_t i) { return lp2(lp1(brown(noise[i]))) * 0.008; });
        mixWrapped(out.channels[std::size_t(ch)], 0, low, 1.0f);
    }
    return out;
}

} // namespace tessary::soundgen

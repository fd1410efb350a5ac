// A forest stream: clusters of small bubbles over running water, where the water is brown
// noise through a sharply resonant high-pass whose cutoff wanders with slow random noise
// (the gurgle), independently in each channel.
#include "Events.h"
#include "Filters.h"
#include "Loops.h"
#include "Modulation.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace tessary::soundgen {
namespace {

// Slow brown noise, circular, scaled to roughly [-1, 1].
Channel wanderingNoise(Random &rng, std::size_t n, double cutoffHz)
{
    const Channel white = noiseTable(rng, n);
    BrownFilter brown;
    OnePoleLowpass smooth1(cutoffHz), smooth2(cutoffHz);
    DcBlocker dc;
    Channel c = renderCircular(n, [&](std::size_t i) { return smooth2(smooth1(dc(brown(white[i])))); });
    double sum = 0.0;
    for (const float v : c)
        sum += double(v) * v;
    const auto scale = float(1.0 / (2.5 * std::sqrt(sum / double(n)) + 1e-12));
    for (auto &v : c)
        v = std::clamp(v * scale, -1.0f, 1.0f);
    return c;
}

} // namespace

Buffer renderStream(const LoopContext &ctx)
{
    const std::size_t n = ctx.frames;
    Buffer bubbles(2, n);

    // Bubbles thicken and thin as the water tumbles over stones, but the stream never swells.
    Random clumpRng = ctx.layer("stream/clumps");
    const PeriodicCurve clumps(clumpRng, n, std::max(1, int(ctx.seconds() * 0.3)), std::max(2, int(ctx.seconds() * 3.0)),
                               0.5);
    constexpr double kMeanRate = 170.0;
    const auto rate = [&](std::int64_t f) { return kMeanRate * (0.6 + 0.8 * clumps(f)); };
    Random rng = ctx.layer("stream/bubbles");
    for (const std::int64_t start : poissonEvents(rng, n, kMeanRate * 1.4, rate)) {
        const double frequency = rng.logUniform(800.0, 2000.0);
        const Bubble b{frequency, rng.logUniform(0.01, 0.08), 0.1};
        // Larger (lower) bubbles are louder.
        const double gain = (900.0 / frequency) * rng.uniform(0.1, 1.0);
        mixPanned(bubbles, start, renderBubble(b), gain * 0.25, rng.uniform(-0.8, 0.8));
    }

    Buffer out(2, n);
    for (int ch = 0; ch < 2; ++ch) {
        const std::string side = ch == 0 ? "L" : "R";
        Random waterRng = ctx.layer("stream/water/" + side);
        Random driveRng = ctx.layer("stream/drive/" + side);
        const Channel water1 = noiseTable(waterRng, n);
        const Channel water2 = noiseTable(waterRng, n);
        const Channel spray = noiseTable(waterRng, n);
        const Channel splashes = noiseTable(driveRng, n);
        const Channel drive1 = wanderingNoise(driveRng, n, 6.0);
        const Channel drive2 = wanderingNoise(driveRng, n, 9.0);
        BrownFilter brown1, brown2;
        OnePoleLowpass soften1(1500.0), soften2(2500.0);
        Svf gurgle1, gurgle2;
        PinkFilter sprayPink;
        Svf sprayBand;
        sprayBand.tune(2800.0, 0.6);
        OnePoleLowpass splashRate(22.0);
        Biquad bubbleHighpass;
        bubbleHighpass.highpass(600.0, 0.7);
        const Channel &bubbleBus = bubbles.channels[std::size_t(ch)];
        out.channels[std::size_t(ch)] = renderCircular(n, [&](std::size_t i) {
            if (i % 8 == 0) {
                gurgle1.tune(500.0 + 400.0 * drive1[i], 33.0);
                gurgle2.tune(1000.0 + 800.0 * drive2[i], 33.0);
            }
            const double a = gurgle1(soften1(brown1(water1[i]))).high;
            const double b = gurgle2(soften2(brown2(water2[i]))).high;
            // Spray: the hiss of water breaking over stones, flickering with each splash.
            const double splash = std::min(1.5, std::fabs(splashRate(splashes[i])) * 12.0);
            const double hiss = sprayBand.bandNormalised(sprayPink(spray[i])) * (0.3 + splash);
            return 0.035 * a + 0.025 * b + 0.14 * hiss + bubbleHighpass(bubbleBus[i]);
        });
    }
    return out;
}

} // namespace tessary::soundgen

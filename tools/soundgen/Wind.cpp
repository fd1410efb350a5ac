// Wind in pines: a deep roar (pink noise low-passed near 300 Hz), the dark rush of air through
// the branches and a quieter hiss of needles (band-passed pink noise), all following slow gusts
// that flutter; twigs knock now and then in the strong ones. The right channel hears each gust
// a moment after the left.
#include "Events.h"
#include "Filters.h"
#include "Loops.h"
#include "Modulation.h"

#include <cmath>
#include <string>

namespace tessary::soundgen {
Buffer renderWind(const LoopContext &ctx)
{
    const std::size_t n = ctx.frames;
    const double seconds = ctx.seconds();

    // Gusts: smooth random curves with periods of 5–30 s, squared so calm stretches are long
    // and the gusts themselves short.
    Random gustRng = ctx.layer("wind/gusts");
    const int kMin = std::max(1, int(std::ceil(seconds / 30.0)));
    const int kMax = std::max(kMin, int(seconds / 5.0));
    const PeriodicCurve gustCurve(gustRng, n, kMin, kMax, 0.7);
    Random flutterRng = ctx.layer("wind/flutter");
    const PeriodicCurve flutter(flutterRng, n, std::max(1, int(seconds / 3.0)), std::max(2, int(seconds * 1.5)), 0.5);
    const auto lag = std::int64_t(ctx.layer("wind/lag").uniform(0.3, 1.0) * kSampleRate);

    // Twigs and cones knocking together when a gust bends the branches: rare, tiny, sharp.
    Buffer ticks(2, n);
    Random tickRng = ctx.layer("wind/ticks");
    const auto tickRate = [&](std::int64_t f) { return 3.0 * gustCurve(f) * gustCurve(f); };
    for (const std::int64_t start : poissonEvents(tickRng, n, 3.0, tickRate)) {
        Burst b;
        b.centre = tickRng.logUniform(3500.0, 9000.0);
        b.q = 1.2;
        b.attackSeconds = 0.0001;
        b.decaySeconds = tickRng.uniform(0.0005, 0.002);
        mixPanned(ticks, start, renderBurst(tickRng, b), tickRng.uniform(0.2, 1.0), tickRng.uniform(-0.9, 0.9));
    }

    Buffer out(2, n);
    for (int ch = 0; ch < 2; ++ch) {
        const std::string side = ch == 0 ? "L" : "R";
        Random bodyRng = ctx.layer("wind/body/" + side);
        Random needleRng = ctx.layer("wind/needles/" + side);
        Random airRng = ctx.layer("wind/air/" + side);
        const Channel bodyNoise = noiseTable(bodyRng, n);
        const Channel needleNoise = noiseTable(needleRng, n);
        const Channel airNoise = noiseTable(airRng, n);
        const std::int64_t offset = ch == 0 ? 0 : -lag;
        const auto gustAt = [&](std::size_t i) {
            const auto at = std::int64_t(i) + offset;
            const double g0 = 0.15 + 0.85 * gustCurve(at);
            return g0 * g0 * (0.7 + 0.6 * flutter(at));
        };

        PinkFilter bodyPink;
        Svf body;
        Biquad rumbleCut, bodyTop;
        rumbleCut.highpass(30.0, 0.7);
        bodyTop.lowpass(420.0, 0.7);
        const Channel low = renderCircular(n, [&](std::size_t i) {
            if (i % 16 == 0)
                body.tune(250.0 + 150.0 * gustAt(i), 1.0);
            return bodyTop(body(rumbleCut(bodyPink(bodyNoise[i]))).low);
        });

        PinkFilter pink;
        Svf needles, needlesHigh;
        Biquad soften;
        soften.lowpass(4000.0, 0.7);
        const Channel hiss = renderCircular(n, [&](std::size_t i) {
            const double gust = gustAt(i);
            if (i % 16 == 0) {
                needles.tune(800.0 * std::pow(3000.0 / 800.0, gust), 0.7 + 0.3 * gust);
                needlesHigh.tune(1.7 * 800.0 * std::pow(3000.0 / 800.0, gust), 1.0);
            }
            const double p = pink(needleNoise[i]);
            return soften(needles.bandNormalised(p) * (0.25 + gust) + 0.2 * needlesHigh.bandNormalised(p) * gust);
        });

        // The rush of air through the branches: dark, falling steeply with frequency.
        BrownFilter airBrown;
        OnePoleLowpass airDull(1500.0);
        Biquad airFloor;
        airFloor.highpass(300.0, 0.7);
        const Channel air = renderCircular(n, [&](std::size_t i) { return airDull(airFloor(airBrown(airNoise[i]))); });

        const Channel &tickBus = ticks.channels[std::size_t(ch)];
        Channel &mix = out.channels[std::size_t(ch)];
        mix.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            const double gust = gustAt(i);
            mix[i] = float(3.0 * low[i] * (0.3 + 0.7 * gust) + 0.2 * hiss[i] + 0.7 * air[i] * (0.3 + 0.7 * gust) +
                           0.25 * tickBus[i]);
        }
    }
    return out;
}

} // namespace tessary::soundgen

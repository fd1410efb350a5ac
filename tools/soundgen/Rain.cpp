// Rain on leaves: the wash of countless distant drops, a patter of nearer ones spread over the
// stereo field (a few falling into puddles as bubble "plinks"), now and then a big drop close
// by, and the low rumble of rain on the ground that flutters as the wind blows it in sheets.
#include "Events.h"
#include "Filters.h"
#include "Loops.h"
#include "Modulation.h"

#include <cmath>
#include <string>

namespace tessary::soundgen {

Buffer renderRain(const LoopContext &ctx)
{
    const std::size_t n = ctx.frames;
    const double seconds = ctx.seconds();
    Buffer drops(2, n);

    // Showers thicken and thin over tens of seconds.
    Random shape = ctx.layer("rain/intensity");
    const PeriodicCurve intensity(shape, n, 1, std::max(1, int(seconds / 8.0)));
    constexpr double kMeanRate = 900.0;
    const auto rate = [&](std::int64_t f) { return kMeanRate * (0.65 + 0.7 * intensity(f)); };

    // The patter: drops on leaves near enough to be heard one by one, each a short band-passed
    // burst whose pitch depends on the leaf it hits as much as on its size.
    Random rng = ctx.layer("rain/drops");
    for (const std::int64_t start : poissonEvents(rng, n, kMeanRate * 1.35, rate)) {
        const double diameter = 1.0 + 2.0 * std::pow(rng.uniform(), 2.0); // 1–3 mm, mostly small
        const double size = (diameter - 1.0) / 2.0;                      // 0…1
        Burst burst;
        burst.centre = rng.logUniform(800.0, 9000.0) * (1.15 - 0.3 * size);
        burst.q = rng.uniform(0.8, 1.6);
        burst.attackSeconds = 0.0002;
        burst.decaySeconds = 0.001 + 0.004 * size * rng.uniform(0.6, 1.0);
        // Softer the higher they ring, so the patter keeps the falling tilt of the wash.
        const double gain = std::pow(diameter / 3.0, 2.0) * rng.uniform(0.3, 1.0) * std::sqrt(1500.0 / burst.centre);
        const double position = rng.bipolar();
        mixPanned(drops, start, renderBurst(rng, burst), gain, position);

        if (rng.chance(0.07)) {
            // A drop into standing water: a small bubble, radius 1.5–4 mm.
            const double radiusMm = rng.uniform(1.5, 4.0);
            const Bubble plink{6500.0 / radiusMm, rng.uniform(0.015, 0.045), rng.uniform(0.08, 0.2)};
            mixPanned(drops, start + std::int64_t(rng.uniform(0.0005, 0.003) * kSampleRate), renderBubble(plink),
                      gain * rng.uniform(0.12, 0.35), position);
        }
    }

    // Sheets of rain: the rumble flutters at 0.3–1.5 Hz as the wind blows, and shakes drops loose.
    Random sheetRng = ctx.layer("rain/sheets");
    const PeriodicCurve sheets(sheetRng, n, std::max(1, int(seconds * 0.3)), std::max(2, int(seconds * 1.5)), 0.5);

    // Big drops falling from the canopy onto leaves right by the listener: rare, loud and sharp,
    // shaken down in bunches by the same gusts.
    Random bigRng = ctx.layer("rain/big");
    for (const std::int64_t start : poissonEvents(bigRng, n, 14.0, [&](std::int64_t f) { return 7.0 * (0.2 + 1.6 * sheets(f)); })) {
        Burst burst;
        burst.centre = bigRng.logUniform(3000.0, 11000.0);
        burst.q = bigRng.uniform(0.5, 0.9);
        burst.attackSeconds = 0.0001;
        burst.decaySeconds = bigRng.uniform(0.0008, 0.003);
        mixPanned(drops, start, renderBurst(bigRng, burst), bigRng.uniform(0.3, 1.0) * 2.0, bigRng.uniform(-0.8, 0.8));
    }

    Buffer out(2, n);
    for (int ch = 0; ch < 2; ++ch) {
        const char *side = ch == 0 ? "L" : "R";
        Random bedRng = ctx.layer(std::string("rain/bed/") + side);
        Random rumbleRng = ctx.layer(std::string("rain/rumble/") + side);
        const Channel bedNoise = noiseTable(bedRng, n);
        const Channel rumbleNoise = noiseTable(rumbleRng, n);
        const Channel &dropBus = drops.channels[std::size_t(ch)];
        PinkFilter pink;
        BrownFilter brown;
        Biquad rumbleLow, body, master1, master2;
        body.bandpass(600.0, 0.5); // the drumming on the ground and on broad leaves
        Biquad washFloor;
        washFloor.highpass(150.0, 0.6);
        // Far drops reach us dulled; the brightness is the near patter's.
        OnePoleLowpass washTop(9000.0);
        rumbleLow.lowpass(250.0, 0.7);
        master1.lowpass(18000.0, 0.54);
        master2.lowpass(18000.0, 1.31);
        out.channels[std::size_t(ch)] = renderCircular(n, [&](std::size_t i) {
            const double swell = 0.65 + 0.7 * intensity(std::int64_t(i));
            const double flutter = 0.8 + 0.4 * sheets(std::int64_t(i));
            const double p = pink(bedNoise[i]);
            const double wash = washTop(washFloor(p + 0.3 * body(p))) * 0.3 * swell;
            const double low = rumbleLow(brown(rumbleNoise[i])) * 0.08 * swell * flutter * flutter;
            return master2(master1(0.5 * dropBus[i] + wash + low));
        });
    }
    return out;
}

} // namespace tessary::soundgen

// Rain on leaves: thousands of tiny band-passed noise bursts spread over the stereo field,
// a few of them falling into puddles as bubble "plinks", over a faint hiss and a low rumble.
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
    Buffer drops(2, n);

    // Showers thicken and thin over tens of seconds.
    Random shape = ctx.layer("rain/intensity");
    const PeriodicCurve intensity(shape, n, 1, std::max(1, int(ctx.seconds() / 8.0)));
    constexpr double kMeanRate = 1100.0;
    const auto rate = [&](std::int64_t f) { return kMeanRate * (0.65 + 0.7 * intensity(f)); };

    Random rng = ctx.layer("rain/drops");
    for (const std::int64_t start : poissonEvents(rng, n, kMeanRate * 1.35, rate)) {
        const double diameter = 1.0 + 2.0 * std::pow(rng.uniform(), 2.0); // 1–3 mm, mostly small
        const double size = (diameter - 1.0) / 2.0;                      // 0…1
        Burst burst;
        burst.centre = rng.logUniform(1500.0, 6000.0) * (1.15 - 0.3 * size);
        burst.q = rng.uniform(1.0, 2.0);
        burst.attackSeconds = 0.0002;
        burst.decaySeconds = 0.001 + 0.004 * size * rng.uniform(0.6, 1.0);
        const double gain = std::pow(diameter / 3.0, 2.0) * rng.uniform(0.3, 1.0);
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

    Buffer out(2, n);
    for (int ch = 0; ch < 2; ++ch) {
        const char *side = ch == 0 ? "L" : "R";
        Random bedRng = ctx.layer(std::string("rain/bed/") + side);
        Random rumbleRng = ctx.layer(std::string("rain/rumble/") + side);
        const Channel bedNoise = noiseTable(bedRng, n);
        const Channel rumbleNoise = noiseTable(rumbleRng, n);
        const Channel &dropBus = drops.channels[std::size_t(ch)];
        PinkFilter pink;
        Biquad rumble, rumbleLow, master1, master2;
        rumble.bandpass(333.0, 0.9);
        rumbleLow.lowpass(900.0, 0.7);
        master1.lowpass(12000.0, 0.54);
        master2.lowpass(12000.0, 1.31);
        out.channels[std::size_t(ch)] = renderCircular(n, [&](std::size_t i) {
            const double swell = 0.65 + 0.7 * intensity(std::int64_t(i));
            const double bed = pink(bedNoise[i]) * 0.05 * swell;
            const double low = rumbleLow(rumble(rumbleNoise[i])) * 0.12 * swell;
            return master2(master1(dropBus[i] + bed + low));
        });
    }
    return out;
}

} // namespace tessary::soundgen

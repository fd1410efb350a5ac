// A campfire: sharp crackles (high band-passed clicks with squared decays, mostly faint, now
// and then a loud pop, often in bursts), a steady hiss and sizzle that swells a little, and the
// low lapping roar of flames (30 Hz band-passed noise driven into clipping).
#include "Events.h"
#include "Filters.h"
#include "Loops.h"
#include "Modulation.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace tessary::soundgen {

Buffer renderFire(const LoopContext &ctx)
{
    const std::size_t n = ctx.frames;
    Buffer crackles(2, n);

    Random moodRng = ctx.layer("fire/mood");
    const PeriodicCurve mood(moodRng, n, std::max(1, int(ctx.seconds() / 10.0)), std::max(2, int(ctx.seconds() / 1.5)), 0.8);
    constexpr double kMeanRate = 5.0;
    const auto rate = [&](std::int64_t f) { return kMeanRate * (0.3 + 1.4 * mood(f)); };
    Random rng = ctx.layer("fire/crackles");
    for (const std::int64_t start : poissonEvents(rng, n, kMeanRate * 1.7, rate)) {
        // Wood splits in short runs of snaps.
        const int snaps = rng.chance(0.35) ? rng.integer(2, 5) : 1;
        const double position = rng.uniform(-0.7, 0.7);
        std::int64_t at = start;
        for (int s = 0; s < snaps; ++s) {
            Burst b;
            b.centre = rng.logUniform(4000.0, 16000.0);
            b.q = 1.0;
            b.attackSeconds = 0.0001;
            b.decaySeconds = rng.logUniform(0.001, 0.012);
            b.squared = true;
            const double gain = std::pow(rng.uniform(), 4.0) * (s == 0 ? 1.0 : 0.6);
            mixPanned(crackles, at, renderBurst(rng, b), gain, position + 0.1 * rng.bipolar());
            at += std::int64_t(rng.logUniform(0.005, 0.06) * kSampleRate);
        }
    }

    Buffer out(2, n);
    for (int ch = 0; ch < 2; ++ch) {
        const std::string side = ch == 0 ? "L" : "R";
        Random hissRng = ctx.layer("fire/hiss/" + side);
        Random flameRng = ctx.layer("fire/flames/" + side);
        Random slowRng = ctx.layer("fire/slow/" + side);
        const Channel hissNoise = noiseTable(hissRng, n);
        const Channel flameNoise = noiseTable(flameRng, n);
        const Channel slowNoise = noiseTable(slowRng, n);

        // The hiss swell: (slow noise × 4)³, slow noise being white low-passed at ~1 Hz.
        OnePoleLowpass slow1(1.0), slow2(1.0);
        Channel swell = renderCircular(n, [&](std::size_t i) { return slow2(slow1(slowNoise[i])); });
        double sum = 0.0;
        for (const float v : swell)
            sum += double(v) * v;
        const double scale = 0.25 / std::sqrt(sum / double(n) + 1e-30); // std 0.25 before ×4
        for (auto &v : swell)
            v = float(std::min(4.0, std::pow(std::fabs(v * scale * 4.0), 3.0)));

        Biquad hissHighpass, hissSoften, flameBand, flameSmooth1, flameSmooth2;
        hissHighpass.highpass(300.0, 0.5);
        hissSoften.lowpass(14000.0, 0.7);
        flameBand.bandpass(30.0, 1.0);
        // Sap boiling out of the wood: a bright sizzle around 10 kHz over the hiss.
        Biquad sizzle;
        sizzle.bandpass(10000.0, 0.8);
        // The roar stays low: what clipping adds above a few hundred hertz would only buzz.
        flameSmooth1.lowpass(150.0, 0.7);
        flameSmooth2.lowpass(150.0, 0.7);
        DcBlocker dc;
        const Channel &crackleBus = crackles.channels[std::size_t(ch)];
        out.channels[std::size_t(ch)] = renderCircular(n, [&](std::size_t i) {
            const double h = hissNoise[i];
            const double hiss = (hissSoften(hissHighpass(h)) + 1.5 * sizzle(h)) * (0.7 + 0.3 * std::min(1.0, double(swell[i]))) * 0.12;
            const double flames = flameSmooth2(flameSmooth1(dc(std::clamp(flameBand(flameNoise[i]) * 100.0, -0.9, 0.9))));
            // Our crackle bursts carry less energy than the impulses the classic mix was balanced
            // for, so they get a larger share here.
            return 0.2 * 12.0 * crackleBus[i] + 0.3 * hiss + 0.6 * flames * 0.13;
        });
    }
    return out;
}

} // namespace tessary::soundgen

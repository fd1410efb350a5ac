// Wind in pines: a low body of brown noise and a hiss of needles (band-passed pink noise) that
// both follow slow gusts; the right channel hears each gust a moment after the left.
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

    Buffer out(2, n);
    for (int ch = 0; ch < 2; ++ch) {
        const std::string side = ch == 0 ? "L" : "R";
        Random bodyRng = ctx.layer("wind/body/" + side);
        Random needleRng = ctx.layer("wind/needles/" + side);
        const Channel bodyNoise = noiseTable(bodyRng, n);
        const Channel needleNoise = noiseTable(needleRng, n);
        const std::int64_t offset = ch == 0 ? 0 : -lag;
        PinkFilter bodyPink, pink;
        Svf body, needles, needlesHigh;
        Biquad rumbleCut, soften;
        rumbleCut.highpass(70.0, 0.7);
        soften.lowpass(9000.0, 0.7);
        out.channels[std::size_t(ch)] = renderCircular(n, [&](std::size_t i) {
            const auto at = std::int64_t(i) + offset;
            const double g0 = 0.15 + 0.85 * gustCurve(at);
            const double gust = g0 * g0 * (0.85 + 0.3 * flutter(at));
            if (i % 16 == 0) {
                body.tune(300.0 + 200.0 * gust, 0.7);
                needles.tune(800.0 * std::pow(3000.0 / 800.0, gust), 0.7 + 0.3 * gust);
                needlesHigh.tune(1.7 * 800.0 * std::pow(3000.0 / 800.0, gust), 1.0);
            }
            const double low = body(rumbleCut(bodyPink(bodyNoise[i]))).low * (0.3 + 0.7 * gust);
            const double p = pink(needleNoise[i]);
            const double hiss = needles.bandNormalised(p) * gust + 0.5 * needlesHigh.bandNormalised(p) * gust * gust;
            return 1.2 * low + soften(hiss);
        });
    }
    return out;
}

} // namespace tessary::soundgen

// Render-thread cost of the audio arithmetic, per 512-frame callback at 48 kHz.
// "xRealTime" is how many times faster than playback one core renders.

#include "audio/dsp/BrownNoiseGenerator.h"
#include "audio/dsp/NoiseSource.h"
#include "audio/dsp/PeakLimiter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

using namespace tessary::dsp;

namespace {

constexpr float kRate = 48000.0f;
constexpr int kBlock = 512;

void report(benchmark::State &state, int framesPerIteration)
{
    const double frames = double(state.iterations()) * framesPerIteration;
    state.SetItemsProcessed(std::int64_t(frames));
    state.counters["frames/s"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["xRealTime"] = benchmark::Counter(frames / kRate, benchmark::Counter::kIsRate);
}

void BM_BrownNoise(benchmark::State &state)
{
    std::atomic<float> level{float(state.range(0)) / 100.0f};
    BrownNoiseGenerator g;
    g.init(kRate, &level, 1);
    std::vector<float> left(kBlock), right(kBlock);
    for (auto _ : state) {
        g.render(left.data(), right.data(), kBlock);
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
        benchmark::ClobberMemory();
    }
    report(state, kBlock);
}

// Arg: peak level of the input in percent of full scale; 800 is eight full-scale sources.
// The figure includes copying the 2 x 512 input samples (under 5 % of the time).
void BM_PeakLimiter(benchmark::State &state)
{
    const float peak = float(state.range(0)) / 100.0f;
    PeakLimiter limiter;
    limiter.prepare(kRate, kBlock);
    NoiseSource noise{7};
    std::vector<float> sourceLeft(48000), sourceRight(48000);
    for (std::size_t i = 0; i < sourceLeft.size(); ++i) {
        const float swell = float(0.5 + 0.5 * std::sin(double(i) * 0.0005));
        sourceLeft[i] = peak * swell * whiteSample(noise.next());
        sourceRight[i] = peak * swell * whiteSample(noise.next());
    }
    std::vector<float> left(kBlock), right(kBlock);
    std::size_t at = 0;
    for (auto _ : state) {
        std::copy_n(sourceLeft.begin() + std::ptrdiff_t(at), kBlock, left.begin());
        std::copy_n(sourceRight.begin() + std::ptrdiff_t(at), kBlock, right.begin());
        at = (at + kBlock) % (sourceLeft.size() - kBlock);
        limiter.process(left.data(), right.data(), kBlock);
        benchmark::DoNotOptimize(left.data());
        benchmark::ClobberMemory();
    }
    report(state, kBlock);
}

} // namespace

BENCHMARK(BM_BrownNoise)->Arg(70)->Arg(0)->ArgName("level%");
BENCHMARK(BM_PeakLimiter)->Arg(50)->Arg(800)->ArgName("peak%");

BENCHMARK_MAIN();

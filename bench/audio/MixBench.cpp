// The full ambient mix: seven streamed loops (one needing rate conversion) plus the brown
// noise, bus gain and limiter, rendered as the output would pull it. Reported as the share of
// one core that real-time playback at 48 kHz costs, streaming included.

#include "audio/AmbientPlayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <ctime>
#include <random>
#include <vector>

using namespace tessary;
using namespace tessary::audio;

namespace {

class NullOutput final : public AudioOutputBackend {
public:
    int preferredSampleRate() override { return 48000; }
    bool start(int, RenderSource *, QString *) override { return true; }
    void stop() override {}
    void setConfigurationChangedHandler(std::function<void()>) override {}
};

class MiddleRandom final : public RandomSource {
public:
    std::int64_t uniform(std::int64_t lower, std::int64_t upper) override { return lower + (upper - lower) / 3; }
};

// Everything runs on this thread (streaming is pumped here), so its CPU time is the cost.
double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Noise-like FLAC loops, like the generated beds, ten seconds each.
void writeLoop(const QString &path, int rate, unsigned seed)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    SNDFILE *file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
    std::minstd_rand random(seed);
    std::uniform_real_distribution<float> sample(-0.3f, 0.3f);
    std::vector<float> data(std::size_t(rate) * 2 * 10);
    for (float &s : data)
        s = sample(random);
    sf_writef_float(file, data.data(), sf_count_t(data.size() / 2));
    sf_close(file);
}

void BM_FullAmbientMix(benchmark::State &state)
{
    QTemporaryDir sounds;
    QDir(sounds.path()).mkpath(QStringLiteral("Ambient"));
    AmbientLevels levels;
    levels.master = 0.7f;
    unsigned seed = 1;
    for (const AmbientSound sound : allCases<AmbientSound>()) {
        levels.sounds[static_cast<std::size_t>(sound)] = 0.5f;
        if (sound != AmbientSound::brownNoise)
            writeLoop(sounds.filePath(QStringLiteral("Ambient/%1.flac").arg(enumLabel(sound))),
                      sound == AmbientSound::birds ? 44100 : 48000, seed++);
    }
    MiddleRandom random;
    AmbientPlayer player(sounds.path(), {}, random, std::make_unique<NullOutput>(), AudioEngine::Streaming::manual);
    player.setLevels(levels);
    player.play();
    for (int i = 0; i < 400; ++i)
        player.stepVolumes();

    constexpr int kBlock = 882; // a 20 ms period at 44.1 kHz, as the PulseAudio sink pulls
    std::vector<float> out(std::size_t(kBlock) * 2);
    std::int64_t frames = 0;
    const double cpuBefore = threadCpuSeconds();
    for (auto _ : state) {
        // Streaming and completions share the measured time: they are part of the cost.
        player.engine().pumpStreaming();
        QCoreApplication::processEvents();
        player.engine().renderOffline(out.data(), kBlock);
        benchmark::DoNotOptimize(out.data());
        frames += kBlock;
    }
    const double cpu = threadCpuSeconds() - cpuBefore;
    state.SetItemsProcessed(frames);
    // CPU time per second of audio played at 48 kHz: the share of one core that playback costs.
    state.counters["core_percent"] = cpu / (double(frames) / 48000.0) * 100.0;
}
BENCHMARK(BM_FullAmbientMix)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

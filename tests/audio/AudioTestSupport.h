#pragma once

// Fakes and helpers shared by the audio graph tests: an output that never touches a device,
// a random source with a chosen draw, short recordings written with libsndfile, and levels.

#include "LogCapture.h"
#include "audio/AudioEngine.h"
#include "engine/Services.h"
#include "records/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace tessary::audio::test {

using fakes::LogCapture;

// Renders nothing by itself: tests call AudioEngine::renderOffline() as its thread would.
class FakeOutput final : public AudioOutputBackend {
public:
    struct State {
        int rate = 48000;
        bool canStart = true;
        bool running = false;
        int starts = 0;
        std::function<void()> changed;
    };
    explicit FakeOutput(State &state) : m_state(state) {}
    int preferredSampleRate() override { return m_state.rate; }
    bool start(int, RenderSource *, QString *error) override
    {
        if (!m_state.canStart) {
            *error = QStringLiteral("no output in this test");
            return false;
        }
        m_state.running = true;
        ++m_state.starts;
        return true;
    }
    void stop() override { m_state.running = false; }
    void setConfigurationChangedHandler(std::function<void()> handler) override { m_state.changed = std::move(handler); }

private:
    State &m_state;
};

class FixedRandom final : public RandomSource {
public:
    double fraction = 0.0; // where in lower…upper the draws land
    std::int64_t uniform(std::int64_t lower, std::int64_t upper) override
    {
        return lower + std::int64_t(fraction * double(upper - lower));
    }
};

// Writes a FLAC (or WAV for a ".wav" path) whose frame i holds sample(i, channel).
inline bool writeRecording(const QString &path, int frames, int rate, int channels,
                           const std::function<float(int, int)> &sample)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = path.endsWith(QStringLiteral(".wav")) ? (SF_FORMAT_WAV | SF_FORMAT_FLOAT)
                                                        : (SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    SNDFILE *file = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    std::vector<float> data(std::size_t(frames) * std::size_t(channels));
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            data[std::size_t(i * channels + c)] = sample(i, c);
    sf_writef_float(file, data.data(), frames);
    sf_close(file);
    return true;
}

// The seven recorded sounds as "Ambient/<name>.<extension>" under `dir`, stereo, `frames` long,
// at 48 kHz except `converted`, at 44.1 kHz so that the rate converter runs too.
inline bool writeAmbientRecordings(const QString &dir, const char *extension, int frames,
                                   const std::function<float(int, int)> &sample,
                                   AmbientSound converted = AmbientSound::brownNoise)
{
    QDir(dir).mkpath(QStringLiteral("Ambient"));
    for (const AmbientSound sound : allCases<AmbientSound>()) {
        const QString name = QStringLiteral("Ambient/%1.%2").arg(enumLabel(sound), QLatin1String(extension));
        const int rate = sound == converted ? 44100 : 48000;
        if (sound != AmbientSound::brownNoise && !writeRecording(QDir(dir).filePath(name), frames, rate, 2, sample))
            return false;
    }
    return true;
}

// The master and the named sounds at the given levels, every other sound off.
inline AmbientLevels ambientLevels(float master, std::initializer_list<std::pair<AmbientSound, float>> sounds)
{
    AmbientLevels l;
    l.master = master;
    for (auto [sound, level] : sounds)
        l.sounds[static_cast<std::size_t>(sound)] = level;
    return l;
}

// Renders `frames` frames in blocks, streaming and delivering completions between blocks as
// the threads would; returns the left channel.
inline std::vector<float> renderLeft(AudioEngine &engine, int frames, int block = 512)
{
    std::vector<float> left;
    std::vector<float> out(std::size_t(block) * 2);
    for (int done = 0; done < frames; done += block) {
        engine.pumpStreaming();
        QCoreApplication::processEvents();
        engine.renderOffline(out.data(), block);
        for (int i = 0; i < block; ++i)
            left.push_back(out[std::size_t(2 * i)]);
    }
    return left;
}

inline float peakOf(const std::vector<float> &samples)
{
    return std::fabs(*std::ranges::max_element(samples, {}, [](float s) { return std::fabs(s); }));
}

} // namespace tessary::audio::test

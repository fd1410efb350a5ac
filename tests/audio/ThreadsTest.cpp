// The three threads of a playing mix at once, as on a device: an output thread pulling blocks,
// the engine's streaming thread decoding, and the main thread changing levels, playing,
// stopping, ramping and reconnecting. Run under ThreadSanitizer, this is what proves the
// sharing between them; in the normal suite it proves that nothing breaks or overshoots.

#include "AudioTestSupport.h"
#include "audio/AmbientPlayer.h"
#include "audio/dsp/PeakLimiter.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

using namespace tessary;
using namespace tessary::audio;
using namespace tessary::audio::test;

namespace {

// Pulls from its own thread between start() and stop(), as QAudioSink's callback does.
class ThreadedOutput final : public AudioOutputBackend {
public:
    struct Pulled {
        std::atomic<long> frames{0};
        std::atomic<float> peak{0.0f};
        std::atomic<bool> finite{true};
    };
    explicit ThreadedOutput(Pulled &pulled) : m_pulled(pulled) {}
    ~ThreadedOutput() override { stop(); }

    int preferredSampleRate() override { return 48000; }
    bool start(int, RenderSource *source, QString *) override
    {
        stop();
        m_stop.store(false);
        m_thread = std::thread([this, source] {
            std::array<float, 2 * 240> block;
            while (!m_stop.load()) {
                source->render(block.data(), 240);
                float peak = m_pulled.peak.load();
                for (float v : block) {
                    if (!std::isfinite(v))
                        m_pulled.finite.store(false);
                    peak = std::max(peak, std::abs(v));
                }
                m_pulled.peak.store(peak);
                m_pulled.frames += 240;
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        });
        return true;
    }
    void stop() override
    {
        m_stop.store(true);
        if (m_thread.joinable())
            m_thread.join();
    }
    void setConfigurationChangedHandler(std::function<void()>) override {}

private:
    Pulled &m_pulled;
    std::atomic<bool> m_stop{true};
    std::thread m_thread;
};

} // namespace

TEST(audio_Threads, TheMixPlaysOnWhileTheMainThreadChangesEverything)
{
    QTemporaryDir sounds;
    QTemporaryDir user;
    // Short loaded recordings, so the streaming thread wraps and refills all the time; one at
    // another rate, so the converter runs too.
    ASSERT_TRUE(writeAmbientRecordings(sounds.path(), "wav", 4800,
                                       [](int i, int c) { return std::sin(float(i) * (0.01f + 0.02f * float(c))); },
                                       AmbientSound::fire));
    FixedRandom random;
    ThreadedOutput::Pulled pulled;
    AmbientPlayer player(sounds.path(), user.path(), random, std::make_unique<ThreadedOutput>(pulled),
                         AudioEngine::Streaming::thread);

    for (int i = 0; i < 600; ++i) {
        AmbientLevels levels;
        levels.master = 1.0f;
        for (std::size_t s = 0; s < kAmbientSoundCount; ++s)
            levels.sounds[s] = (i / 20 + int(s)) % 3 == 0 ? 1.0f : 0.0f;
        player.setLevels(levels);
        if (i % 150 == 0)
            player.play();
        else if (i % 150 == 120)
            player.stop();
        if (i % 200 == 199)
            player.recoverFromConfigurationChange();
        player.stepVolumes();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    player.stop();
    while (player.isRampRunning())
        player.stepVolumes();

    EXPECT_GT(pulled.frames.load(), 48000 / 10);
    EXPECT_TRUE(pulled.finite.load());
    EXPECT_LE(pulled.peak.load(), dsp::PeakLimiter::kCeiling);
    EXPECT_GT(pulled.peak.load(), 0.01f);
}

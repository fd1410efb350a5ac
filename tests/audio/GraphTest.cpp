// The graph below the mixer: the lock-free ring, file streaming into it, gapless looping
// across the end of a recording, rate conversion, and stopping.

#include "AudioTestSupport.h"
#include "audio/AmbientPlayer.h"
#include "audio/SoundFile.h"
#include "audio/SpscRing.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <numbers>
#include <thread>

using namespace tessary::audio;
using namespace tessary::audio::test;

namespace {
constexpr int kLatency = 576; // the limiter's look-ahead at 48 kHz
} // namespace

TEST(audio_Ring, KeepsOrderAcrossTheWrapBetweenTwoThreads)
{
    SpscRing<float> ring(1000); // rounds up to 1024: the indices wrap many times below
    ASSERT_EQ(ring.capacity(), 1024u);
    constexpr int kCount = 200000;
    std::thread producer([&] {
        float chunk[37];
        int next = 0;
        while (next < kCount) {
            const int n = std::min(37, kCount - next);
            for (int i = 0; i < n; ++i)
                chunk[i] = float(next + i);
            next += int(ring.write(chunk, std::size_t(n)));
            if (ring.writeAvailable() == 0)
                std::this_thread::yield();
        }
    });
    int expected = 0;
    bool inOrder = true;
    float chunk[53];
    while (expected < kCount) {
        const std::size_t got = ring.read(chunk, 53);
        for (std::size_t i = 0; i < got; ++i)
            inOrder = inOrder && chunk[i] == float(expected++);
        if (got == 0)
            std::this_thread::yield();
    }
    producer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(ring.readAvailable(), 0u);
}

class audio_Streaming : public ::testing::Test {
protected:
    QTemporaryDir dir;
    FakeOutput::State output;
    AudioEngine engine{std::make_unique<FakeOutput>(output), AudioEngine::Streaming::manual};

    void SetUp() override
    {
        engine.connectOutput();
        engine.setBusVolume(1.0f);
    }
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
};

// Frame i of a recording of n frames holds i / n / 2 on both sides, so every output sample
// tells which frame it came from.
TEST_F(audio_Streaming, LoopRunsGaplesslyThroughTheEndOfTheFileForSeveralPasses)
{
    constexpr int kLength = 9000;
    ASSERT_TRUE(writeRecording(path("ramp.wav"), kLength, 48000, 2,
                               [](int i, int) { return float(i) / kLength / 2; }));
    auto track = LoopingTrack::open(engine, path("ramp.wav"));
    ASSERT_TRUE(track);
    EXPECT_EQ(track->length(), kLength);
    constexpr int kStart = 6000;
    track->generation = 1;
    track->schedule(kStart, 1);
    track->schedule(0, 1);
    track->node()->setVolume(1.0f);
    track->node()->play();

    const auto left = renderLeft(engine, 4 * kLength);
    // Past the fade-in of the first block, each sample is the next frame, wrapping at the end:
    // three more passes only arrive if each completion queued the next one.
    int mismatches = 0;
    for (std::size_t i = 2048; i < left.size(); ++i) {
        const int frame = int((kStart + i - kLatency) % kLength);
        if (std::fabs(left[i] - float(frame) / kLength / 2) > 1e-4f)
            ++mismatches;
    }
    EXPECT_EQ(mismatches, 0);
}

// A sine whose period divides the loop exactly, recorded at 44.1 kHz and played at 48 kHz:
// neither the converter nor the wrap may leave a step in the waveform.
TEST_F(audio_Streaming, ConvertedLoopHasNoStepAtTheWrap)
{
    constexpr int kLength = 22000; // 220 whole periods
    constexpr double kHz = 441.0;
    ASSERT_TRUE(writeRecording(path("sine.flac"), kLength, 44100, 1, [](int i, int) {
        return float(0.5 * std::sin(2 * std::numbers::pi * kHz * i / 44100));
    }));
    auto track = LoopingTrack::open(engine, path("sine.flac"));
    ASSERT_TRUE(track);
    track->generation = 1;
    track->schedule(kLength / 3, 1);
    track->schedule(0, 1);
    track->node()->setVolume(1.0f);
    track->node()->play();

    const auto left = renderLeft(engine, 48000 * 2); // over four passes
    // The largest step a 0.5-amplitude sine of this pitch takes between samples at 48 kHz.
    const double slope = 0.5 * 2 * std::numbers::pi * kHz / 48000;
    double largest = 0;
    double peak = 0;
    for (std::size_t i = 4096; i < left.size(); ++i) {
        largest = std::max(largest, double(std::fabs(left[i] - left[i - 1])));
        peak = std::max(peak, double(std::fabs(left[i])));
    }
    EXPECT_NEAR(peak, 0.5, 0.01);
    EXPECT_LT(largest, slope * 1.05);
}

TEST_F(audio_Streaming, StopDropsBufferedAudioAndTheDroppedSegmentsCompletion)
{
    ASSERT_TRUE(writeRecording(path("one.wav"), 48000, 48000, 2, [](int, int) { return 0.25f; }));
    PlayerNode *node = engine.createPlayerNode();
    int completions = 0;
    node->scheduleSegment(path("one.wav"), 0, 48000, [&] { ++completions; });
    node->setVolume(1.0f);
    node->play();
    renderLeft(engine, 2048);
    ASSERT_GT(node->bufferedFrames(), 0);

    node->stop();
    const auto afterStop = renderLeft(engine, 4096);
    EXPECT_EQ(afterStop.back(), 0.0f);
    QCoreApplication::processEvents();
    EXPECT_EQ(node->bufferedFrames(), 0);
    EXPECT_TRUE(node->isIdle());
    EXPECT_EQ(completions, 1); // the first pass had been read whole before the stop

    // A new start plays the new segment, not what was buffered before.
    ASSERT_TRUE(writeRecording(path("two.wav"), 4800, 48000, 2, [](int, int) { return -0.125f; }));
    node->scheduleSegment(path("two.wav"), 0, 4800, {});
    node->play();
    const auto again = renderLeft(engine, 4096);
    EXPECT_NEAR(again[2000], -0.125f, 1e-4f);
}

TEST(audio_Recordings, UsersFileOfTheSameNameWinsInAnyFormat)
{
    QTemporaryDir ours;
    QTemporaryDir users;
    for (const char *name : {"rain.flac", "wind.flac"})
        ASSERT_TRUE(writeRecording(ours.filePath(QLatin1String(name)), 100, 48000, 2, [](int, int) { return 0.0f; }));
    const QString userRain = users.filePath(QStringLiteral("rain.ogg"));
    ASSERT_TRUE(QFile(userRain).open(QIODevice::WriteOnly)); // found by its name alone
    EXPECT_EQ(findRecording(QStringLiteral("rain"), users.path(), ours.path()), userRain);
    EXPECT_EQ(findRecording(QStringLiteral("wind"), users.path(), ours.path()),
              ours.filePath(QStringLiteral("wind.flac")));
    EXPECT_EQ(findRecording(QStringLiteral("fire"), users.path(), ours.path()), QString());
    // "rainfall.flac" is not rain.
    EXPECT_EQ(findRecording(QStringLiteral("rainfall"), users.path(), ours.path()), QString());
}

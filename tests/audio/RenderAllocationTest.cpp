// Counts heap allocations while the mix renders (sources, brown noise, limiter), to prove the
// render path never allocates.

#include "AudioTestSupport.h"
#include "CountingAllocator.h"
#include "audio/AmbientPlayer.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessary;
using namespace tessary::audio;
using namespace tessary::audio::test;
using tessary::test::allocationsIn;

TEST(audio_RenderPath, FullMixRendersWithoutAllocating)
{
    QTemporaryDir sounds;
    // One at 44.1 kHz, so the converter runs too.
    ASSERT_TRUE(writeAmbientRecordings(sounds.path(), "flac", 20000,
                                       [](int i, int c) { return ((i * 7 + c) % 100) / 400.0f; }, AmbientSound::rain));
    AmbientLevels levels;
    levels.master = 1.0f;
    levels.sounds.fill(0.3f);
    FakeOutput::State output;
    FixedRandom random;
    AmbientPlayer player(sounds.path(), {}, random, std::make_unique<FakeOutput>(output), AudioEngine::Streaming::manual);
    player.setLevels(levels);
    ASSERT_TRUE(player.play());
    std::vector<float> out(8192);

    ASSERT_EQ(allocationsIn([] { ::operator delete(::operator new(16)); }), 1); // the counter counts

    long allocations = 0;
    for (int round = 0; round < 60; ++round) {
        player.stepVolumes();
        if (round == 30) { // a stop, so the render thread's flush runs, and the noise fading into its silent path
            levels.sounds[0] = 0.0f;
            levels.sounds[std::size_t(AmbientSound::brownNoise)] = 0.0f;
            player.setLevels(levels);
        }
        player.engine().pumpStreaming();
        QCoreApplication::processEvents();
        allocations += allocationsIn([&] {
            for (int frames : {1, 256, 4096, 0, 1000})
                player.engine().renderOffline(out.data(), frames);
        });
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_GT(peakOf(out), 0.01f); // it really mixed something
}

// Counts heap allocations while the mix renders, to prove the render path never allocates.

#include "AudioTestSupport.h"
#include "CountingAllocator.h"
#include "audio/AmbientPlayer.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

using namespace tessary;
using namespace tessary::audio;
using namespace tessary::audio::test;
using tessary::test::allocationsIn;

TEST(audio_RenderPath, FullMixRendersWithoutAllocating)
{
    QTemporaryDir sounds;
    QDir(sounds.path()).mkpath(QStringLiteral("Ambient"));
    AmbientLevels levels;
    levels.master = 1.0f;
    for (const AmbientSound sound : allCases<AmbientSound>()) {
        levels.sounds[static_cast<std::size_t>(sound)] = 0.3f;
        if (sound != AmbientSound::brownNoise) { // one at 44.1 kHz, so the converter runs too
            ASSERT_TRUE(writeRecording(sounds.filePath(QStringLiteral("Ambient/%1.flac").arg(enumLabel(sound))), 20000,
                                       sound == AmbientSound::rain ? 44100 : 48000, 2,
                                       [](int i, int c) { return ((i * 7 + c) % 100) / 400.0f; }));
        }
    }
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
        if (round == 30) { // a stop on the way, so the render thread's flush runs too
            levels.sounds[0] = 0.0f;
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
    float peak = 0;
    for (float s : out)
        peak = std::max(peak, std::fabs(s));
    EXPECT_GT(peak, 0.01f); // it really mixed something
}

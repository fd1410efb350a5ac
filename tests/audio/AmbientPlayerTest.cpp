// The ambient mixer driven tick by tick: fades with the three coefficients, starting and
// stopping sources, idling, failures and recovery after an output change.

#include "AudioTestSupport.h"
#include "audio/AmbientPlayer.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessary;
using namespace tessary::audio;
using namespace tessary::audio::test;

namespace {

constexpr int kLength = 48000;

class audio_Ambient : public ::testing::Test {
protected:
    QTemporaryDir sounds;
    QTemporaryDir user;
    FakeOutput::State output;
    FixedRandom random;
    std::unique_ptr<AmbientPlayer> player;

    void SetUp() override
    {
        // Frame i holds i / length / 2: a rendered sample tells its frame.
        ASSERT_TRUE(writeAmbientRecordings(sounds.path(), "wav", kLength,
                                           [](int i, int) { return float(i) / kLength / 2; }));
        player = std::make_unique<AmbientPlayer>(sounds.path(), user.path(), random, std::make_unique<FakeOutput>(output),
                                                 AudioEngine::Streaming::manual);
    }

    // The output reports a change, delivered as the event loop would.
    void outputChanges()
    {
        output.changed();
        QCoreApplication::processEvents();
    }

    // Ticks until the ramp stops itself; returns how many ticks that took.
    int settle(int limit = 2000)
    {
        int ticks = 0;
        while (player->isRampRunning() && ticks < limit) {
            player->stepVolumes();
            ++ticks;
        }
        return ticks;
    }
    // Plays `levels` and waits until the fade-in is done.
    void playSettled(const AmbientLevels &levels)
    {
        player->setLevels(levels);
        ASSERT_TRUE(player->play());
        settle();
    }
    int generation(AmbientSound s) const { return player->track(s) ? player->track(s)->generation : -1; }
    bool trackPlays(AmbientSound s) const { return player->track(s) && player->track(s)->isPlaying; }
};

} // namespace

TEST_F(audio_Ambient, MasterFadesInWithTheRisingCoefficientAndOutWithTheFallingOne)
{
    player->setLevels(ambientLevels(0.5f, {}));
    EXPECT_EQ(player->engine().busVolume(), 0.0f); // the bus starts silent
    ASSERT_TRUE(player->play());                   // nothing selected still plays
    EXPECT_TRUE(output.running);
    player->stepVolumes();
    EXPECT_FLOAT_EQ(player->masterVolume(), 0.5f * AmbientPlayer::kMasterRising);
    EXPECT_FLOAT_EQ(player->engine().busVolume(), player->masterVolume());

    const int ticks = settle();
    EXPECT_FALSE(player->isRampRunning());
    EXPECT_NEAR(player->masterVolume(), 0.5f, 0.0005f);
    // 0.8 s time constant: ln(0.5 / 0.0005) * 0.8 s * 60 ≈ 332 ticks.
    EXPECT_NEAR(ticks, 332, 3);

    player->stop();
    const float before = player->masterVolume();
    player->stepVolumes();
    EXPECT_FLOAT_EQ(player->masterVolume(), before - before * AmbientPlayer::kMasterFalling);
    settle();
    EXPECT_FALSE(player->isRampRunning());
    EXPECT_EQ(player->masterVolume(), 0.0f);
    EXPECT_FALSE(output.running); // idle: the engine stopped itself
}

TEST_F(audio_Ambient, SelectedTrackStartsAtARandomPlaceInTheFirst95PercentAndFadesIn)
{
    random.fraction = 0.5;
    player->setLevels(ambientLevels(1.0f, {{AmbientSound::rain, 1.0f}}));
    ASSERT_TRUE(player->play());
    ASSERT_TRUE(trackPlays(AmbientSound::rain));
    EXPECT_EQ(player->volume(AmbientSound::rain), 0.0f);
    player->stepVolumes();
    EXPECT_FLOAT_EQ(player->volume(AmbientSound::rain), AmbientPlayer::kTrack);
    settle();
    EXPECT_NEAR(player->volume(AmbientSound::rain), 1.0f, 0.0005f);

    // Nothing was rendered during the ticks, so the first frames out are the start frame's.
    const auto left = renderLeft(player->engine(), 4096);
    const int start = int(0.5 * 0.95 * kLength);
    const int frame = start + 3000 - 576; // the limiter's look-ahead
    EXPECT_NEAR(left[3000], float(frame) / kLength / 2, 1e-3f);
}

TEST_F(audio_Ambient, DeselectedTrackStopsOnlyOnceBelowOneThousandth)
{
    playSettled(ambientLevels(1.0f, {{AmbientSound::waves, 0.8f}}));
    player->engine().pumpStreaming(); // reads a pass whose completion is then still on its way
    player->setLevels(ambientLevels(1.0f, {}));
    int ticks = 0;
    while (trackPlays(AmbientSound::waves) && ticks < 1000) {
        EXPECT_GE(player->volume(AmbientSound::waves), 0.001f);
        player->stepVolumes();
        ++ticks;
    }
    EXPECT_LT(player->volume(AmbientSound::waves), 0.001f);
    // 0.3 s time constant from 0.8 to 0.001: ln(800) * 0.3 s * 60 ≈ 121 ticks.
    EXPECT_NEAR(ticks, 121, 3);
    const PlayerNode *node = player->track(AmbientSound::waves)->node();
    EXPECT_FALSE(node->isPlaying());
    EXPECT_FALSE(player->isRampRunning());
    EXPECT_TRUE(output.running); // the master still plays
    // The late completion belongs to the old generation and must not queue another pass.
    renderLeft(player->engine(), 2048);
    EXPECT_TRUE(node->isIdle());
}

TEST_F(audio_Ambient, ReselectingDuringTheFadeOutRampsBackWithoutRestarting)
{
    playSettled(ambientLevels(1.0f, {{AmbientSound::wind, 0.6f}}));
    const int started = generation(AmbientSound::wind);
    player->setLevels(ambientLevels(1.0f, {}));
    for (int i = 0; i < 10; ++i)
        player->stepVolumes();
    player->setLevels(ambientLevels(1.0f, {{AmbientSound::wind, 0.6f}}));
    settle();
    EXPECT_EQ(generation(AmbientSound::wind), started);
    EXPECT_NEAR(player->volume(AmbientSound::wind), 0.6f, 0.0005f);
}

TEST_F(audio_Ambient, PlayDuringTheFadeOutKeepsTracksButAfterIdlingRestartsThem)
{
    playSettled(ambientLevels(0.7f, {{AmbientSound::fire, 0.5f}, {AmbientSound::birds, 0.5f}}));
    const int fire = generation(AmbientSound::fire);
    player->stop();
    for (int i = 0; i < 20; ++i)
        player->stepVolumes();
    const float fading = player->masterVolume();
    ASSERT_TRUE(player->play());
    EXPECT_EQ(generation(AmbientSound::fire), fire);
    player->stepVolumes();
    EXPECT_GT(player->masterVolume(), fading);
    settle();

    player->stop();
    settle();
    EXPECT_FALSE(output.running);
    EXPECT_FALSE(trackPlays(AmbientSound::fire));
    EXPECT_FALSE(trackPlays(AmbientSound::birds));
    ASSERT_TRUE(player->play());
    EXPECT_EQ(output.starts, 2);
    EXPECT_TRUE(trackPlays(AmbientSound::fire));
    EXPECT_EQ(player->volume(AmbientSound::fire), 0.0f);
    EXPECT_GT(generation(AmbientSound::fire), fire + 1);
}

TEST_F(audio_Ambient, BrownNoiseAttachesOnceAndItsLevelGoesStraightToTheGenerator)
{
    player->setLevels(ambientLevels(1.0f, {{AmbientSound::brownNoise, 0.4f}}));
    EXPECT_FLOAT_EQ(player->noiseLevel(), 0.4f);
    EXPECT_FALSE(player->hasNoise()); // nothing is attached before the engine runs
    ASSERT_TRUE(player->play());
    EXPECT_TRUE(player->hasNoise());
    settle();
    EXPECT_GT(peakOf(renderLeft(player->engine(), 48000)), 0.01f);
    player->setLevels(ambientLevels(1.0f, {{AmbientSound::brownNoise, 0.1f}}));
    EXPECT_FLOAT_EQ(player->noiseLevel(), 0.1f);
    EXPECT_TRUE(player->hasNoise());
}

TEST_F(audio_Ambient, FailuresAreLoggedAndTheOtherSoundsStillPlay)
{
    LogCapture log;
    QFile::remove(sounds.filePath(QStringLiteral("Ambient/rain.wav")));
    player->setLevels(ambientLevels(1.0f, {{AmbientSound::rain, 0.5f}, {AmbientSound::stream, 0.5f}}));
    output.canStart = false;
    EXPECT_FALSE(player->play());
    ASSERT_EQ(log.lines.size(), 1);
    EXPECT_EQ(log.lines[0], QStringLiteral("Tessary ambient engine failed: no output in this test"));

    output.canStart = true;
    EXPECT_TRUE(player->play());
    EXPECT_FALSE(player->track(AmbientSound::rain));
    EXPECT_TRUE(trackPlays(AmbientSound::stream));
    ASSERT_EQ(log.lines.size(), 2);
    EXPECT_EQ(log.lines[1], QStringLiteral("Tessary ambient recording missing: rain"));
    // Tried again on each later start.
    player->stop();
    settle();
    EXPECT_TRUE(player->play());
    EXPECT_EQ(log.lines.size(), 3);
}

TEST_F(audio_Ambient, OutputChangeReconnectsWhileIdleAndRestartsEverySelectedSourceWhilePlaying)
{
    LogCapture log;
    output.rate = 44100;
    outputChanges();
    EXPECT_EQ(player->engine().sampleRate(), 44100.0);
    EXPECT_FALSE(output.running);

    playSettled(ambientLevels(1.0f, {{AmbientSound::crickets, 0.5f}, {AmbientSound::brownNoise, 0.5f}}));
    const int before = generation(AmbientSound::crickets);
    const float master = player->masterVolume();

    output.rate = 96000;
    outputChanges();
    EXPECT_EQ(player->engine().sampleRate(), 96000.0);
    EXPECT_TRUE(output.running);
    EXPECT_EQ(generation(AmbientSound::crickets), before + 2); // stopped, then started again
    EXPECT_EQ(player->volume(AmbientSound::crickets), 0.0f);
    EXPECT_TRUE(player->hasNoise());
    EXPECT_EQ(player->masterVolume(), master); // the master continues from where it was
    EXPECT_TRUE(player->isRampRunning());

    output.canStart = false;
    outputChanges();
    ASSERT_EQ(log.lines.size(), 1);
    EXPECT_EQ(log.lines[0], QStringLiteral("Tessary ambient engine restart failed: no output in this test"));
    EXPECT_FALSE(trackPlays(AmbientSound::crickets));
}

// The alert sounds: an unknown name plays the beep, and a sound that still plays restarts.

#include "AudioTestSupport.h"
#include "audio/AlertPlayer.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessary::audio;
using namespace tessary::audio::test;

TEST(audio_Alerts, PlayingAgainStartsFromTheBeginningAndTheOutputClosesWhenQuiet)
{
    QTemporaryDir sounds;
    // Frame i holds i / 96000: the output tells how far into the sound it is.
    ASSERT_TRUE(writeRecording(sounds.filePath(QStringLiteral("beep.flac")), 24000, 48000, 1,
                               [](int i, int) { return float(i) / 96000; }));
    FakeOutput::State output;
    AlertPlayer alerts(sounds.path(), std::make_unique<FakeOutput>(output), AudioEngine::Streaming::manual);
    alerts.play(QStringLiteral("unknown"));
    ASSERT_TRUE(output.running);
    auto left = renderLeft(alerts.engine(), 8192);
    EXPECT_NEAR(left[8000], (8000 - 576) / 96000.0f, 1e-3f);

    alerts.play(QStringLiteral("unknown"));
    left = renderLeft(alerts.engine(), 8192);
    // The old pass is gone; the new one began from frame 0 within the few blocks the stop took.
    EXPECT_LT(left[8000], (8000 - 576) / 96000.0f);
    EXPECT_GT(left[8000], 0.0f);

    renderLeft(alerts.engine(), 48000);
    alerts.checkIdle();
    EXPECT_TRUE(output.running); // one quiet check is not enough
    alerts.checkIdle();
    EXPECT_FALSE(output.running);
}

// Through a real sound server: a private PulseAudio with a null sink, whose monitor we record.
// Skips where no PulseAudio can be started.

#include "AudioTestSupport.h"
#include "audio/AmbientPlayer.h"
#include "audio/QtAudioOutput.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QMediaDevices>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <numeric>
#include <vector>

using namespace tessary;
using namespace tessary::audio;
using namespace tessary::audio::test;

namespace {

// A PulseAudio of our own in a private runtime directory; stopped when this goes away.
class PrivateSoundServer {
public:
    PrivateSoundServer()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty() || !m_runtime.isValid())
            return;
        QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
        qunsetenv("PULSE_SERVER");
        if (run(QStringLiteral("pulseaudio"),
                {QStringLiteral("-D"), QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--disallow-exit"),
                 QStringLiteral("-n"), QStringLiteral("--load=module-null-sink sink_name=test"),
                 QStringLiteral("--load=module-native-protocol-unix")})
            != 0)
            return;
        m_started = true;
        const QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired())
            if (pactl({QStringLiteral("info")}) == 0) {
                m_ready = true;
                return;
            }
    }
    ~PrivateSoundServer()
    {
        if (!m_started)
            return;
        run(QStringLiteral("pulseaudio"), {QStringLiteral("--kill")});
        // --kill only signals; wait (bounded) until the server has really gone.
        const QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired() && pactl({QStringLiteral("info")}) == 0)
            QThread::msleep(50);
    }
    bool ready() const { return m_ready; }

    static int run(const QString &program, const QStringList &arguments)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, arguments);
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    static int pactl(const QStringList &arguments) { return run(QStringLiteral("pactl"), arguments); }

    // The RMS level of one second recorded from `source`'s monitor, at `rate`.
    static double recordedLevel(const QString &source, int rate)
    {
        QProcess parec;
        parec.start(QStringLiteral("parec"),
                    {QStringLiteral("-d"), source, QStringLiteral("--format=float32le"),
                     QStringLiteral("--rate=%1").arg(rate), QStringLiteral("--channels=2"), QStringLiteral("--raw")});
        QByteArray data;
        const qsizetype wanted = qsizetype(rate) * 8 * 3 / 2; // the first half second is dropped
        const QDeadlineTimer deadline(8000);
        while (data.size() < wanted && !deadline.hasExpired()) {
            QCoreApplication::processEvents(); // the player's ramp keeps running meanwhile
            if (parec.waitForReadyRead(20))
                data += parec.readAllStandardOutput();
        }
        parec.kill();
        parec.waitForFinished();
        if (data.size() < wanted)
            return -1;
        const qsizetype first = qsizetype(rate) * 8 / 2;
        std::vector<float> s(std::size_t(data.size() - first) / sizeof(float));
        std::memcpy(s.data(), data.constData() + first, s.size() * sizeof(float));
        return std::sqrt(std::inner_product(s.begin(), s.end(), s.begin(), 0.0) / double(s.size()));
    }

private:
    QTemporaryDir m_runtime;
    bool m_started = false;
    bool m_ready = false;
};

} // namespace

TEST(audio_Device, AmbientMixReachesTheSinkAndFollowsANewDefaultOutput)
{
    PrivateSoundServer server;
    if (!server.ready())
        GTEST_SKIP() << "no private PulseAudio could be started here";
    ASSERT_TRUE(QTest::qWaitFor([] { return !QMediaDevices::audioOutputs().isEmpty(); }, 5000));

    QTemporaryDir sounds;
    QDir(sounds.path()).mkpath(QStringLiteral("Ambient"));
    // A 1 kHz sine at 0.5 (RMS 0.354), 48 kHz while the null sink runs at 44.1 kHz.
    ASSERT_TRUE(writeRecording(sounds.filePath(QStringLiteral("Ambient/rain.flac")), 48000, 48000, 2, [](int i, int) {
        return float(0.5 * std::sin(2 * std::numbers::pi * 1000.0 * i / 48000));
    }));
    FixedRandom random;
    AmbientPlayer player(sounds.path(), {}, random, std::make_unique<QtAudioOutput>());
    player.setLevels(ambientLevels(1.0f, {{AmbientSound::rain, 1.0f}}));
    ASSERT_TRUE(player.play());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player.isRampRunning(); }, 10000)); // faded in

    const int rate = int(player.engine().sampleRate());
    const double level = PrivateSoundServer::recordedLevel(QStringLiteral("test.monitor"), rate);
    EXPECT_NEAR(level, 0.5 / std::numbers::sqrt2, 0.03);

    // A new default output: the player rebuilds and restarts on it.
    const int generation = player.track(AmbientSound::rain)->generation;
    ASSERT_EQ(PrivateSoundServer::pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                                         QStringLiteral("sink_name=other")}),
              0);
    ASSERT_EQ(PrivateSoundServer::pactl({QStringLiteral("set-default-sink"), QStringLiteral("other")}), 0);
    const bool recovered =
        QTest::qWaitFor([&] { return player.track(AmbientSound::rain)->generation > generation; }, 5000);
    EXPECT_TRUE(recovered) << "no configuration change arrived after the default sink changed";
    if (recovered) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !player.isRampRunning(); }, 10000));
        const double moved = PrivateSoundServer::recordedLevel(QStringLiteral("other.monitor"), rate);
        EXPECT_NEAR(moved, 0.5 / std::numbers::sqrt2, 0.03);
    }

    player.stop();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !player.isRampRunning(); }, 10000));
    EXPECT_FALSE(player.engine().isRunning());
}

TEST(audio_Device, PlayFailsAndLogsWhereThereIsNoSoundServer)
{
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    qputenv("PULSE_SERVER", QByteArray("unix:") + runtime.filePath(QStringLiteral("none")).toLocal8Bit());
    QTemporaryDir sounds;
    FixedRandom random;
    LogCapture log;
    AmbientPlayer player(sounds.path(), {}, random, std::make_unique<QtAudioOutput>());
    EXPECT_EQ(player.engine().sampleRate(), 48000.0); // no device: the standard rate
    EXPECT_FALSE(player.play());
    EXPECT_FALSE(player.engine().isRunning());
    EXPECT_TRUE(log.lines.contains(QStringLiteral(
        "Tessary ambient engine failed: no audio output device or sound server is available")))
        << log.lines.join(QLatin1Char('\n')).toStdString();
}

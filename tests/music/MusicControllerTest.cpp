// The music controller against players on a private session bus: fake MPRIS services
// for every rule, and a real mpv with its MPRIS plugin.

#include "PrivateBus.h"
#include "StoreHarness.h"
#include "music/MusicController.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

#include <optional>

using namespace tessary;
using namespace tessary::music;

namespace {

// A dbus-daemon of our own for one test.
using fakes::PrivateBus;

struct FakePlaylist {
    QDBusObjectPath path;
    QString name;
    QString icon;
};
QDBusArgument &operator<<(QDBusArgument &a, const FakePlaylist &p)
{
    a.beginStructure();
    a << p.path << p.name << p.icon;
    a.endStructure();
    return a;
}
const QDBusArgument &operator>>(const QDBusArgument &a, FakePlaylist &p)
{
    a.beginStructure();
    a >> p.path >> p.name >> p.icon;
    a.endStructure();
    return a;
}

} // namespace

Q_DECLARE_METATYPE(FakePlaylist)

namespace {

// What a fake player does and remembers.
struct FakeState {
    QString status = QStringLiteral("Stopped");
    QVariantMap metadata;
    bool shuffle = false;
    QStringList calls;              // "Next", "Play", "Shuffle", "Activate /p/2", in order
    QList<Timestamp> callTimes;
    int playsAfterCalls = 1;        // plays once this many Next/Play calls arrived; 0: never
    QList<QVariantMap> tracks;      // what Next moves through
    std::function<void()> onNext;   // runs inside Next (for a player that vanishes)
    const fakes::ManualClock *clock = nullptr;

    void record(const QString &what)
    {
        calls.append(what);
        callTimes.append(clock->t);
    }
    int controlCalls() const { return int(calls.count(QStringLiteral("Next")) + calls.count(QStringLiteral("Play"))); }
};

class PlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(bool Shuffle READ shuffle WRITE setShuffle) // CanControl, CanPlay, CanGoNext: absent, so true
public:
    PlayerAdaptor(QObject *parent, FakeState &s) : QDBusAbstractAdaptor(parent), m_s(s) {}
    QString playbackStatus() const { return m_s.status; }
    QVariantMap metadata() const { return m_s.metadata; }
    bool shuffle() const { return m_s.shuffle; }
    void setShuffle(bool v)
    {
        m_s.shuffle = v;
        m_s.record(QStringLiteral("Shuffle"));
    }
public slots:
    void Next()
    {
        m_s.record(QStringLiteral("Next"));
        if (!m_s.tracks.isEmpty())
            m_s.metadata = m_s.tracks.takeFirst();
        if (m_s.onNext)
            m_s.onNext();
        maybePlay();
    }
    void Play()
    {
        m_s.record(QStringLiteral("Play"));
        maybePlay();
    }

private:
    void maybePlay()
    {
        if (m_s.playsAfterCalls > 0 && m_s.controlCalls() >= m_s.playsAfterCalls)
            m_s.status = QStringLiteral("Playing");
    }
    FakeState &m_s;
};

class PlaylistsAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Playlists")
    Q_PROPERTY(uint PlaylistCount READ playlistCount)
public:
    PlaylistsAdaptor(QObject *parent, FakeState &s, QList<FakePlaylist> lists)
        : QDBusAbstractAdaptor(parent), m_s(s), m_lists(std::move(lists))
    {
    }
    uint playlistCount() const { return uint(m_lists.size()); }
public slots:
    QList<FakePlaylist> GetPlaylists(uint index, uint maxCount, const QString &, bool)
    {
        return m_lists.mid(index, maxCount);
    }
    void ActivatePlaylist(const QDBusObjectPath &path) { m_s.record(QStringLiteral("Activate ") + path.path()); }

private:
    FakeState &m_s;
    QList<FakePlaylist> m_lists;
};

// One fake player on its own connection to the private bus; it records calls at the test's clock.
class FakePlayer {
public:
    FakePlayer(const PrivateBus &bus, const fakes::ManualClock &clock, const QString &name,
               std::optional<QList<FakePlaylist>> playlists = std::nullopt)
        : m_name(QStringLiteral("org.mpris.MediaPlayer2.") + name), m_conn(bus.connect(QStringLiteral("fake-") + name))
    {
        state.clock = &clock;
        new PlayerAdaptor(&m_object, state);
        if (playlists)
            new PlaylistsAdaptor(&m_object, state, *playlists);
    }
    ~FakePlayer() { QDBusConnection::disconnectFromBus(m_conn.name()); }
    void appear()
    {
        m_conn.registerObject(QStringLiteral("/org/mpris/MediaPlayer2"), &m_object, QDBusConnection::ExportAdaptors);
        m_conn.registerService(m_name);
    }
    void vanish() { m_conn.unregisterService(m_name); }

    FakeState state;

private:
    QString m_name;
    QDBusConnection m_conn;
    QObject m_object;
};

// A player that answers every call, whatever it is, with a lone integer.
class GarbagePlayer : public QDBusVirtualObject {
public:
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        connection.send(message.createReply(QVariantList{42}));
        return true;
    }
};

class FakeApps final : public DesktopApps {
public:
    QString defaultPlayer;
    QString netEase;
    QStringList launched;
    void defaultAudioPlayer(QObject *, std::function<void(const QString &)> done) override { done(defaultPlayer); }
    QString netEaseClient() override { return netEase; }
    bool launch(const QString &what) override
    {
        launched.append(what);
        return true;
    }
};

QVariantMap track(const QString &title, const QString &artist, int id)
{
    return {{QStringLiteral("xesam:title"), title},
            {QStringLiteral("xesam:artist"), QStringList{artist}},
            {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(QStringLiteral("/track/%1").arg(id)))}};
}

// What playRandom answered, readable in a failure message.
struct Answer {
    bool ok = false;
    QString text;
    bool operator==(const Answer &) const = default;
    friend void PrintTo(const Answer &a, std::ostream *os) { *os << (a.ok ? "ok " : "no ") << a.text.toStdString(); }
};
Answer played(const char *text) { return {true, QString::fromUtf8(text)}; }
Answer failed(const char *text) { return {false, QString::fromUtf8(text)}; }

MusicRequest library() { return MusicRequest{MusicService::appleMusic, MusicSource::library, QString()}; }
MusicRequest playlist(const QString &name) { return MusicRequest{MusicService::appleMusic, MusicSource::playlist, name}; }
MusicRequest netEase() { return MusicRequest{MusicService::netEase, MusicSource::library, QString()}; }

// The controller on a private bus with a manual clock: it runs until it answers,
// moving time on 0.2 s whenever it is waiting for time and nothing else.
class MusicPlayer : public ::testing::Test {
protected:
    PrivateBus bus;
    fakes::ManualClock clock;
    fakes::ManualScheduler scheduler{clock};
    FakeApps apps;
    QDBusConnection client = bus.connect(QStringLiteral("client"));
    MusicController controller{client, clock, scheduler, apps};
    std::optional<Answer> answer; // a member: a job that never answered may still answer later
    Timestamp startedAt;

    void SetUp() override
    {
        if (bus.address.isEmpty() || !client.isConnected())
            GTEST_SKIP() << "no dbus-daemon here";
    }
    ~MusicPlayer() override { QDBusConnection::disconnectFromBus(client.name()); }

    Answer play(MusicRequest request, const std::function<void(double elapsed)> &eachStep = {})
    {
        answer.reset();
        startedAt = clock.t;
        controller.playRandom(request, [this](bool ok, const QString &text) { answer = Answer{ok, text}; });
        for (int step = 0; step < 300 && !answer; ++step) {
            if (!QTest::qWaitFor([&] { return answer || scheduler.hasPending(); }, 5000))
                return failed("(the controller stalled)");
            if (answer)
                break;
            clock.t = clock.t.addMSecs(200);
            if (eachStep)
                eachStep(elapsed());
            scheduler.runDue();
        }
        return answer.value_or(failed("(no answer)"));
    }
    double elapsed() const { return clock.t.secondsSince(startedAt); }
};
using MusicNetEase = MusicPlayer;

} // namespace

TEST(MusicChoice, DedicatedPlayersBeforeBrowsersThenPlayingBeforeStopped)
{
    EXPECT_TRUE(MusicController::isNetEasePlayer(QStringLiteral("org.mpris.MediaPlayer2.netease-cloud-music")));
    EXPECT_TRUE(MusicController::isNetEasePlayer(QStringLiteral("org.mpris.MediaPlayer2.NeteaseCloudMusicGtk4")));
    EXPECT_FALSE(MusicController::isNetEasePlayer(QStringLiteral("org.mpris.MediaPlayer2.rhythmbox")));
    // Browsers by name: each choice below goes wrong if either is not recognised.
    const auto S = QStringLiteral("Stopped"), P = QStringLiteral("Playing"), Z = QStringLiteral("Paused");
    auto n = [](const char *s) { return QStringLiteral("org.mpris.MediaPlayer2.") + QLatin1String(s); };
    EXPECT_EQ(MusicController::choosePlayer({{n("chromium.instance1"), P}, {n("elisa"), S}}), n("elisa"));
    EXPECT_EQ(MusicController::choosePlayer({{n("elisa"), S}, {n("vlc"), Z}}), n("vlc"));
    EXPECT_EQ(MusicController::choosePlayer({{n("firefox.instance_1"), S}, {n("chromium.instance2"), P}}), n("chromium.instance2"));
    EXPECT_EQ(MusicController::choosePlayer({}), QString());
}

TEST(MusicDesktopEntry, ExecLineWithoutFieldCodes)
{
    EXPECT_EQ(XdgDesktopApps::execCommand(QStringLiteral(
                  "[Desktop Entry]\nExec=env LANG=zh_CN.UTF-8 \"/opt/My Player/bin/player\" --hidden %F 100%%\n"
                  "[Desktop Action new]\nExec=player --new-window\n")),
              (QStringList{QStringLiteral("env"), QStringLiteral("LANG=zh_CN.UTF-8"), QStringLiteral("/opt/My Player/bin/player"),
                           QStringLiteral("--hidden"), QStringLiteral("100%")}));
    EXPECT_TRUE(XdgDesktopApps::execCommand(QStringLiteral("[Desktop Entry]\nName=No exec\n")).isEmpty());
}

TEST_F(MusicPlayer, ShufflesSkipsPlaysAndNamesTheNewTrack)
{
    FakePlayer player(bus, clock, QStringLiteral("rhythmbox"));
    player.state.metadata = track(QStringLiteral("旧歌"), QStringLiteral("某人"), 1);
    player.state.tracks = {track(QStringLiteral("晴天"), QStringLiteral("周杰伦"), 2)};
    player.state.playsAfterCalls = 2; // Next, then Play
    player.appear();
    EXPECT_EQ(play(library()), played("晴天 — 周杰伦"));
    EXPECT_EQ(player.state.calls, (QStringList{QStringLiteral("Shuffle"), QStringLiteral("Next"), QStringLiteral("Play")}));
    EXPECT_TRUE(player.state.shuffle);
}

TEST_F(MusicPlayer, PrefersTheDedicatedPlayerAndReportsWhatFails)
{
    FakePlayer browser(bus, clock, QStringLiteral("chromium.instance77"));
    browser.state.status = QStringLiteral("Playing");
    browser.appear();
    FakePlayer elisa(bus, clock, QStringLiteral("elisa"));
    elisa.state.playsAfterCalls = 2;
    elisa.appear();
    // Playing, but the metadata never arrives: after 2 s the plain text.
    EXPECT_EQ(play(library()), played("已开始随机播放"));
    EXPECT_TRUE(browser.state.calls.isEmpty());
    EXPECT_EQ(elisa.state.controlCalls(), 2);

    // An empty library: nothing plays within 6 s.
    elisa.state.status = QStringLiteral("Stopped");
    elisa.state.playsAfterCalls = 0;
    EXPECT_EQ(play(library()), failed("这个范围里没有可播放的歌曲"));
    EXPECT_NEAR(elapsed(), 6.0, 0.5);

    // Gone between two calls.
    elisa.state.onNext = [&] { elisa.vanish(); };
    EXPECT_EQ(play(library()), failed("音乐播放器已经退出或没有响应"));
}

TEST_F(MusicPlayer, PlaylistsByExactName)
{
    qDBusRegisterMetaType<FakePlaylist>();
    qDBusRegisterMetaType<QList<FakePlaylist>>();
    FakePlayer player(bus, clock, QStringLiteral("lollypop"),
                      QList<FakePlaylist>{{QDBusObjectPath(QStringLiteral("/p/1")), QStringLiteral("深夜"), QString()},
                                          {QDBusObjectPath(QStringLiteral("/p/2")), QStringLiteral("专注 \"晨\" \\ 1"), QString()}});
    player.state.tracks = {track(QStringLiteral("夜曲"), QStringLiteral("周杰伦"), 3)};
    player.appear();
    EXPECT_EQ(play(playlist(QStringLiteral("专注 \"晨\" \\ 1"))), played("夜曲 — 周杰伦"));
    EXPECT_EQ(player.state.calls.value(0), QStringLiteral("Activate /p/2"));
    EXPECT_EQ(play(playlist(QStringLiteral("深夜 "))), failed("找不到播放列表“深夜 ”"));

    FakePlayer plain(bus, clock, QStringLiteral("audacious"));
    player.vanish();
    plain.appear();
    EXPECT_EQ(play(playlist(QStringLiteral("深夜"))), failed("这个播放器不支持按播放列表播放"));
}

TEST_F(MusicPlayer, NoneRunningStartsTheDefaultPlayerAndWaitsForIt)
{
    EXPECT_EQ(play(library()), failed("没有找到可以控制的音乐播放器")); // none configured

    apps.defaultPlayer = QStringLiteral("org.gnome.Rhythmbox3.desktop");
    FakePlayer player(bus, clock, QStringLiteral("rhythmbox"));
    player.state.tracks = {track(QStringLiteral("稻香"), QStringLiteral("周杰伦"), 4)};
    const Answer slowStart = play(library(), [&](double elapsed) {
        if (elapsed >= 8.0 && elapsed < 8.1) // a slow start, well inside the long deadline
            player.appear();
    });
    EXPECT_EQ(slowStart, played("稻香 — 周杰伦"));
    EXPECT_EQ(apps.launched, QStringList{QStringLiteral("org.gnome.Rhythmbox3.desktop")});

    player.vanish(); // launched again, and this time nothing appears
    EXPECT_EQ(play(library()), failed("没有找到可以控制的音乐播放器"));
    EXPECT_NEAR(elapsed(), 25.0, 0.5);
}

TEST_F(MusicNetEase, AlreadyPlayingWarmAndColdStarts)
{
    EXPECT_EQ(play(netEase()), failed("没有找到网易云音乐客户端"));

    FakePlayer client(bus, clock, QStringLiteral("netease-cloud-music"));
    client.state.status = QStringLiteral("Playing");
    client.appear();
    EXPECT_EQ(play(netEase()), played("网易云音乐（原本就在播放）"));
    EXPECT_TRUE(client.state.calls.isEmpty());

    // Running, paused, a queue that starts on the second Next.
    client.state.status = QStringLiteral("Paused");
    client.state.playsAfterCalls = 2;
    EXPECT_EQ(play(netEase()), played("网易云音乐的下一首"));
    EXPECT_EQ(client.state.calls, (QStringList{QStringLiteral("Next"), QStringLiteral("Next")}));
    EXPECT_GE(client.state.callTimes[1].secondsSince(client.state.callTimes[0]), 3.0);

    // Running but silent whatever we send: 6 s, then the queue is probably empty.
    const QStringList nextNextPlay{QStringLiteral("Next"), QStringLiteral("Next"), QStringLiteral("Play")};
    client.state.calls.clear();
    client.state.status = QStringLiteral("Stopped");
    client.state.playsAfterCalls = 0;
    EXPECT_EQ(play(netEase()), failed("已发送播放指令，但网易云音乐没有开始播放（播放队列可能为空）"));
    EXPECT_NEAR(elapsed(), 6.0, 0.5);
    EXPECT_EQ(client.state.calls, nextNextPlay);

    // Not running: launched, on the bus after 10 s, playing after Next, Next, Play.
    client.vanish();
    client.state.calls.clear();
    client.state.playsAfterCalls = 3;
    apps.netEase = QStringLiteral("netease-cloud-music.desktop");
    const Answer coldStart = play(netEase(), [&](double elapsed) {
        if (elapsed >= 10.0 && elapsed < 10.1)
            client.appear();
    });
    EXPECT_EQ(coldStart, played("网易云音乐的下一首"));
    EXPECT_EQ(apps.launched, QStringList{QStringLiteral("netease-cloud-music.desktop")});
    EXPECT_EQ(client.state.calls, nextNextPlay);
    EXPECT_GT(elapsed(), 16.0); // three calls 3 s apart after the 10 s start: past the short deadline

    // Launched, never appears: the last problem at 25 s.
    client.vanish();
    EXPECT_EQ(play(netEase()), failed("网易云音乐还没有准备好"));
    EXPECT_NEAR(elapsed(), 25.0, 0.5);
}

TEST_F(MusicPlayer, AnswersOfTheWrongShapeEndAsAFailureLine)
{
    QDBusConnection conn = bus.connect(QStringLiteral("garbage"));
    GarbagePlayer garbage;
    conn.registerVirtualObject(QStringLiteral("/org/mpris/MediaPlayer2"), &garbage);
    conn.registerService(QStringLiteral("org.mpris.MediaPlayer2.garbage"));
    EXPECT_EQ(play(library()), failed("音乐播放器的回答无法识别"));
    EXPECT_EQ(play(playlist(QStringLiteral("深夜"))), failed("音乐播放器的回答无法识别"));
    QDBusConnection::disconnectFromBus(conn.name());
}

TEST(MusicBus, WithoutASessionBusEveryCallFailsInOneLine)
{
    fakes::ManualClock clock;
    fakes::ManualScheduler scheduler(clock);
    FakeApps apps;
    const QDBusConnection none = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("none"));
    ASSERT_FALSE(none.isConnected());
    MusicController controller(none, clock, scheduler, apps);
    std::optional<Answer> answer;
    controller.playRandom(netEase(), [&](bool ok, const QString &t) { answer = Answer{ok, t}; });
    EXPECT_FALSE(answer); // answered later, never inside the call
    scheduler.runDue();
    EXPECT_EQ(answer, failed("无法连接桌面会话总线"));
    EXPECT_TRUE(apps.launched.isEmpty());
}

// --- A real player -------------------------------------------------------------

namespace {

bool writeTaggedFile(const QString &path, const char *title, const char *artist)
{
    SF_INFO info{};
    info.samplerate = 8000;
    info.channels = 1;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SNDFILE *f = sf_open(path.toLocal8Bit().constData(), SFM_WRITE, &info);
    if (!f)
        return false;
    sf_set_string(f, SF_STR_TITLE, title);
    sf_set_string(f, SF_STR_ARTIST, artist);
    std::vector<short> silence(8000 * 30, 0); // long enough that no track ends during the test
    sf_write_short(f, silence.data(), sf_count_t(silence.size()));
    sf_close(f);
    return true;
}

QString mprisPlugin()
{
    for (const char *p : {"/usr/lib/mpv-mpris/mpris.so", "/etc/mpv/scripts/mpris.so"})
        if (QFileInfo::exists(QString::fromLatin1(p)))
            return QString::fromLatin1(p);
    return {};
}

} // namespace

TEST(MusicWithMpv, EndingARoundLeavesMpvPlayingAndNamesTheTrack)
{
    if (QStandardPaths::findExecutable(QStringLiteral("mpv")).isEmpty() || mprisPlugin().isEmpty())
        GTEST_SKIP() << "mpv with its MPRIS plugin is not installed";
    PrivateBus bus;
    if (bus.address.isEmpty())
        GTEST_SKIP() << "no dbus-daemon here";
    QTemporaryDir dir;
    QStringList files, expected;
    const std::pair<const char *, const char *> tags[] = {{"第一首", "甲"}, {"第二首", "乙"}, {"第三首", "丙"}};
    for (const auto &[title, artist] : tags) {
        files.append(dir.filePath(QStringLiteral("track%1.flac").arg(files.size())));
        ASSERT_TRUE(writeTaggedFile(files.back(), title, artist));
        expected.append(QString::fromUtf8(title) + QStringLiteral(" — ") + QString::fromUtf8(artist));
    }
    QProcess mpv;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address);
    mpv.setProcessEnvironment(env);
    mpv.start(QStringLiteral("mpv"), QStringList{QStringLiteral("--no-config"), QStringLiteral("--idle=yes"),
                                                 QStringLiteral("--ao=null"), QStringLiteral("--vo=null"),
                                                 QStringLiteral("--no-terminal"), QStringLiteral("--pause"),
                                                 QStringLiteral("--script=") + mprisPlugin()} + files);
    ASSERT_TRUE(mpv.waitForStarted(5000));
    QDBusConnection client = bus.connect(QStringLiteral("mpv-client"));
    auto mpvOnBus = [&] {
        const QDBusReply<QStringList> names = client.interface()->registeredServiceNames();
        for (const QString &n : names.value())
            if (n.startsWith(QLatin1String("org.mpris.MediaPlayer2.mpv")))
                return n;
        return QString();
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return !mpvOnBus().isEmpty(); }, 15000)) << "mpv never appeared on the bus";

    // The application's own clock and timers: mpv plays in real time.
    SystemClock clock;
    TimerScheduler scheduler;
    FakeApps apps;
    MusicController controller(client, clock, scheduler, apps);
    std::optional<Answer> answer;
    controller.playRandom(library(), [&](bool ok, const QString &t) { answer = Answer{ok, t}; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, 15000));
    EXPECT_TRUE(answer->ok && expected.contains(answer->text)) << qPrintable(answer->text);

    auto status = QDBusMessage::createMethodCall(mpvOnBus(), QStringLiteral("/org/mpris/MediaPlayer2"),
                                                 QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    status.setArguments({QStringLiteral("org.mpris.MediaPlayer2.Player"), QStringLiteral("PlaybackStatus")});
    const QDBusMessage reply = client.call(status, QDBus::Block, 3000);
    EXPECT_EQ(reply.arguments().value(0).value<QDBusVariant>().variant().toString(), QStringLiteral("Playing"));

    mpv.terminate();
    if (!mpv.waitForFinished(3000))
        mpv.kill();
    QDBusConnection::disconnectFromBus(client.name());
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "MusicControllerTest.moc"

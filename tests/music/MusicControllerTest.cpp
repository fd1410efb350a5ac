// The music controller against players on a private session bus: fake MPRIS services
// for every rule, and a real mpv with its MPRIS plugin.

#include "PrivateBus.h"
#include "StoreHarness.h"
#include "music/MusicController.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
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

// A playlist as the Playlists interface lists it: (oss). The fake only sends them.
struct FakePlaylist {
    QDBusObjectPath path;
    QString name, icon;
};
QDBusArgument &operator<<(QDBusArgument &a, const FakePlaylist &p)
{
    a.beginStructure();
    a << p.path << p.name << p.icon;
    a.endStructure();
    return a;
}
const QDBusArgument &operator>>(const QDBusArgument &a, FakePlaylist &) { return a; }

} // namespace

Q_DECLARE_METATYPE(FakePlaylist)

namespace {

// One fake MPRIS player on a connection of its own: a map of properties behind the Properties
// calls, and every call recorded at the test's clock.
class FakePlayer final : public QDBusVirtualObject {
public:
    QVariantMap props{{u"PlaybackStatus"_qs, u"Stopped"_qs}}; // CanControl, CanPlay, CanGoNext: absent, so true
    QStringList calls;              // "Next", "Play", "Shuffle", "Activate /p/2", in order
    QList<Timestamp> callTimes;
    int playsAfterCalls = 1;        // plays once this many Next/Play calls arrived; 0: never
    QList<QVariantMap> tracks;      // what Next moves through
    std::function<void()> onNext;   // runs inside Next (for a player that vanishes)
    std::optional<QList<FakePlaylist>> playlists; // the Playlists interface, where it has one
    bool garbage = false;           // answers every call with a lone integer

    FakePlayer(const PrivateBus &bus, const fakes::ManualClock &clock, const QString &name)
        : m_clock(clock), m_name(u"org.mpris.MediaPlayer2."_qs + name), m_conn(bus.connect(u"fake-"_qs + name))
    {
    }
    ~FakePlayer() override { QDBusConnection::disconnectFromBus(m_conn.name()); }
    void appear()
    {
        m_conn.registerVirtualObject(u"/org/mpris/MediaPlayer2"_qs, this);
        m_conn.registerService(m_name);
    }
    void vanish() { m_conn.unregisterService(m_name); }
    void status(const char *s) { props[u"PlaybackStatus"_qs] = QString::fromLatin1(s); }
    int controlCalls() const { return int(calls.count(u"Next"_qs) + calls.count(u"Play"_qs)); }
    void record(const QString &what) { calls.append(what); callTimes.append(m_clock.t); }

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &m, const QDBusConnection &c) override
    {
        const QVariantList args = m.arguments();
        const QString member = m.member(), property = args.value(1).toString();
        QVariantList out;
        if (garbage) {
            out = {42};
        } else if (member == u"GetAll") {
            out = {props};
        } else if (member == u"Get" && property == u"PlaylistCount" && playlists) {
            out = {QVariant::fromValue(QDBusVariant(uint(playlists->size())))};
        } else if (member == u"Get" && props.contains(property)) {
            out = {QVariant::fromValue(QDBusVariant(props[property]))};
        } else if (member == u"Set") {
            props[property] = args.value(2).value<QDBusVariant>().variant();
            record(property);
        } else if (member == u"GetPlaylists" && playlists) {
            out = {QVariant::fromValue(playlists->mid(args.value(0).toUInt(), args.value(1).toUInt()))};
        } else if (member == u"ActivatePlaylist" && playlists) {
            record(u"Activate "_qs + args.value(0).value<QDBusObjectPath>().path());
        } else if (member == u"Next" || member == u"Play") {
            record(member);
            if (member == u"Next" && !tracks.isEmpty())
                props[u"Metadata"_qs] = tracks.takeFirst();
            if (member == u"Next" && onNext)
                onNext();
            if (playsAfterCalls > 0 && controlCalls() >= playsAfterCalls)
                status("Playing");
        } else {
            return c.send(m.createErrorReply(QDBusError::UnknownMethod, member));
        }
        return c.send(m.createReply(out));
    }

private:
    const fakes::ManualClock &m_clock;
    QString m_name;
    QDBusConnection m_conn;
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
    return {{u"xesam:title"_qs, title}, {u"xesam:artist"_qs, QStringList{artist}},
            {u"mpris:trackid"_qs, QVariant::fromValue(QDBusObjectPath(u"/track/%1"_qs.arg(id)))}};
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

MusicRequest library() { return {MusicService::appleMusic, MusicSource::library, QString()}; }
MusicRequest playlist(const QString &name) { return {MusicService::appleMusic, MusicSource::playlist, name}; }
MusicRequest netEase() { return {MusicService::netEase, MusicSource::library, QString()}; }

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
    EXPECT_EQ(MusicController::choosePlayer({{n("firefox.instance_1"), S}, {n("chromium.i2"), P}}), n("chromium.i2"));
    EXPECT_EQ(MusicController::choosePlayer({}), QString());
}

TEST(MusicDesktopEntry, ExecLineWithoutFieldCodes)
{
    EXPECT_EQ(XdgDesktopApps::execCommand(QStringLiteral(
                  "[Desktop Entry]\nExec=env LANG=zh_CN.UTF-8 \"/opt/My Player/bin/player\" --hidden %F 100%%\n"
                  "[Desktop Action new]\nExec=player --new-window\n")),
              (QStringList{u"env"_qs, u"LANG=zh_CN.UTF-8"_qs, u"/opt/My Player/bin/player"_qs, u"--hidden"_qs,
                           u"100%"_qs}));
    EXPECT_TRUE(XdgDesktopApps::execCommand(QStringLiteral("[Desktop Entry]\nName=No exec\n")).isEmpty());
}

// The dedicated player over a playing browser; then each way a start can end.
TEST_F(MusicPlayer, ShufflesSkipsPlaysNamesTheNewTrackAndReportsWhatFails)
{
    FakePlayer browser(bus, clock, u"chromium.instance77"_qs);
    browser.status("Playing");
    browser.appear();
    FakePlayer player(bus, clock, u"rhythmbox"_qs);
    player.props[u"Metadata"_qs] = track(u"旧歌"_qs, u"某人"_qs, 1);
    player.tracks = {track(u"晴天"_qs, u"周杰伦"_qs, 2)};
    player.playsAfterCalls = 2; // Next, then Play
    player.appear();
    EXPECT_EQ(play(library()), played("晴天 — 周杰伦"));
    EXPECT_EQ(player.calls, (QStringList{u"Shuffle"_qs, u"Next"_qs, u"Play"_qs}));
    EXPECT_EQ(player.props[u"Shuffle"_qs], QVariant(true));
    EXPECT_TRUE(browser.calls.isEmpty());

    // Playing, but no title ever arrives: after 2 s the plain text.
    player.props.remove(u"Metadata"_qs);
    EXPECT_EQ(play(library()), played("已开始随机播放"));

    // An empty library: nothing plays within 6 s.
    player.status("Stopped");
    player.playsAfterCalls = 0;
    EXPECT_EQ(play(library()), failed("这个范围里没有可播放的歌曲"));
    EXPECT_NEAR(elapsed(), 6.0, 0.5);

    // Gone between two calls.
    player.onNext = [&] { player.vanish(); };
    EXPECT_EQ(play(library()), failed("音乐播放器已经退出或没有响应"));
}

TEST_F(MusicPlayer, PlaylistsByExactNameAndAnswersOfTheWrongShape)
{
    qDBusRegisterMetaType<FakePlaylist>();
    qDBusRegisterMetaType<QList<FakePlaylist>>();
    FakePlayer player(bus, clock, u"lollypop"_qs);
    player.playlists = {{QDBusObjectPath(u"/p/1"_qs), u"深夜"_qs, QString()},
                        {QDBusObjectPath(u"/p/2"_qs), u"专注 \"晨\" \\ 1"_qs, QString()}};
    player.tracks = {track(u"夜曲"_qs, u"周杰伦"_qs, 3)};
    player.appear();
    EXPECT_EQ(play(playlist(u"专注 \"晨\" \\ 1"_qs)), played("夜曲 — 周杰伦"));
    EXPECT_EQ(player.calls.value(0), u"Activate /p/2"_qs);
    EXPECT_EQ(play(playlist(u"深夜 "_qs)), failed("找不到播放列表“深夜 ”"));
    player.playlists.reset();
    EXPECT_EQ(play(playlist(u"深夜"_qs)), failed("这个播放器不支持按播放列表播放"));

    // Answers of the wrong shape, to every call.
    player.garbage = true;
    EXPECT_EQ(play(library()), failed("音乐播放器的回答无法识别"));
    EXPECT_EQ(play(playlist(u"深夜"_qs)), failed("音乐播放器的回答无法识别"));
}

TEST_F(MusicPlayer, NoneRunningStartsTheDefaultPlayerAndWaitsForIt)
{
    EXPECT_EQ(play(library()), failed("没有找到可以控制的音乐播放器")); // none configured

    apps.defaultPlayer = u"org.gnome.Rhythmbox3.desktop"_qs;
    FakePlayer player(bus, clock, u"rhythmbox"_qs);
    player.tracks = {track(u"稻香"_qs, u"周杰伦"_qs, 4)};
    const Answer slowStart = play(library(), [&](double elapsed) {
        if (elapsed >= 8.0 && elapsed < 8.1) // a slow start, well inside the long deadline
            player.appear();
    });
    EXPECT_EQ(slowStart, played("稻香 — 周杰伦"));
    EXPECT_EQ(apps.launched, QStringList{u"org.gnome.Rhythmbox3.desktop"_qs});

    player.vanish(); // launched again, and this time nothing appears
    EXPECT_EQ(play(library()), failed("没有找到可以控制的音乐播放器"));
    EXPECT_NEAR(elapsed(), 25.0, 0.5);
}

TEST_F(MusicNetEase, AlreadyPlayingWarmAndColdStarts)
{
    EXPECT_EQ(play(netEase()), failed("没有找到网易云音乐客户端"));

    FakePlayer client(bus, clock, u"netease-cloud-music"_qs);
    client.status("Playing");
    client.appear();
    EXPECT_EQ(play(netEase()), played("网易云音乐（原本就在播放）")); // and nothing sent

    // Running, paused, a queue that starts on the second Next.
    client.status("Paused");
    client.playsAfterCalls = 2;
    EXPECT_EQ(play(netEase()), played("网易云音乐的下一首"));
    EXPECT_EQ(client.calls, (QStringList{u"Next"_qs, u"Next"_qs}));
    EXPECT_GE(client.callTimes[1].secondsSince(client.callTimes[0]), 3.0);

    // Running but silent whatever we send: 6 s, then the queue is probably empty.
    const QStringList nextNextPlay{u"Next"_qs, u"Next"_qs, u"Play"_qs};
    client.calls.clear();
    client.status("Stopped");
    client.playsAfterCalls = 0;
    EXPECT_EQ(play(netEase()), failed("已发送播放指令，但网易云音乐没有开始播放（播放队列可能为空）"));
    EXPECT_NEAR(elapsed(), 6.0, 0.5);
    EXPECT_EQ(client.calls, nextNextPlay);

    // Not running: launched, on the bus after 10 s, playing after Next, Next, Play.
    client.vanish();
    client.calls.clear();
    client.playsAfterCalls = 3;
    apps.netEase = u"netease-cloud-music.desktop"_qs;
    const Answer coldStart = play(netEase(), [&](double elapsed) {
        if (elapsed >= 10.0 && elapsed < 10.1)
            client.appear();
    });
    EXPECT_EQ(coldStart, played("网易云音乐的下一首"));
    EXPECT_EQ(apps.launched, QStringList{u"netease-cloud-music.desktop"_qs});
    EXPECT_EQ(client.calls, nextNextPlay);
    EXPECT_GT(elapsed(), 16.0); // three calls 3 s apart after the 10 s start: past the short deadline

    // Launched, never appears: the last problem at 25 s.
    client.vanish();
    EXPECT_EQ(play(netEase()), failed("网易云音乐还没有准备好"));
    EXPECT_NEAR(elapsed(), 25.0, 0.5);
}

TEST_F(MusicPlayer, WithoutASessionBusEveryCallFailsInOneLine)
{
    MusicController offline(QDBusConnection(QString()), clock, scheduler, apps);
    offline.playRandom(netEase(), [&](bool ok, const QString &t) { answer = Answer{ok, t}; });
    EXPECT_FALSE(answer); // answered later, never inside the call
    scheduler.runDue();
    EXPECT_EQ(answer, failed("无法连接桌面会话总线"));
    EXPECT_TRUE(apps.launched.isEmpty());
}

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
    env.insert(u"DBUS_SESSION_BUS_ADDRESS"_qs, bus.address);
    mpv.setProcessEnvironment(env);
    const QString options = u"--no-config --idle=yes --ao=null --vo=null --no-terminal --pause --script="_qs;
    mpv.start(u"mpv"_qs, (options + mprisPlugin()).split(u' ') + files);
    ASSERT_TRUE(mpv.waitForStarted(5000));
    QDBusConnection client = bus.connect(QStringLiteral("mpv-client"));
    auto mpvOnBus = [&] {
        return client.interface()->registeredServiceNames().value().filter(u"org.mpris.MediaPlayer2.mpv"_qs).value(0);
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

    // A plain Get: a QDBusInterface would leave Qt's introspection cache behind for LeakSanitizer.
    auto status = QDBusMessage::createMethodCall(mpvOnBus(), u"/org/mpris/MediaPlayer2"_qs,
                                                 u"org.freedesktop.DBus.Properties"_qs, u"Get"_qs);
    status.setArguments({u"org.mpris.MediaPlayer2.Player"_qs, u"PlaybackStatus"_qs});
    const QDBusMessage reply = client.call(status, QDBus::Block, 3000);
    EXPECT_EQ(reply.arguments().value(0).value<QDBusVariant>().variant().toString(), u"Playing"_qs);
    mpv.kill();
    mpv.waitForFinished();
    QDBusConnection::disconnectFromBus(client.name());
}


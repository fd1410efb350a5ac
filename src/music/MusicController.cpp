#include "MusicController.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

#include <algorithm>
#include <optional>

namespace tessary::music {

namespace {

const QString kPrefix = QStringLiteral("org.mpris.MediaPlayer2.");
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kPlaylists = QStringLiteral("org.mpris.MediaPlayer2.Playlists");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr int kCallTimeoutMs = 3000; // a player that hangs is a player that failed
constexpr int kPollMs = 200;

const QString kNoBus = QStringLiteral("无法连接桌面会话总线");
const QString kNoPlayer = QStringLiteral("没有找到可以控制的音乐播放器");
const QString kPlayerGone = QStringLiteral("音乐播放器已经退出或没有响应");
const QString kGarbage = QStringLiteral("音乐播放器的回答无法识别");
const QString kNothingPlays = QStringLiteral("这个范围里没有可播放的歌曲");
const QString kNoPlaylists = QStringLiteral("这个播放器不支持按播放列表播放");
const QString kNoNetEase = QStringLiteral("没有找到网易云音乐客户端");
const QString kNetEaseNotStarted = QStringLiteral("网易云音乐客户端无法启动");
const QString kNetEaseNotReady = QStringLiteral("网易云音乐还没有准备好");
const QString kNetEaseSilent = QStringLiteral("已发送播放指令，但网易云音乐没有开始播放（播放队列可能为空）");

bool playerVanished(const QDBusMessage &reply)
{
    const QString e = reply.errorName();
    return e == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
           || e == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")
           || e == QLatin1String("org.freedesktop.DBus.Error.NoReply")
           || e == QLatin1String("org.freedesktop.DBus.Error.Disconnected")
           || e == QLatin1String("org.freedesktop.DBus.Error.Timeout");
}

// The player's properties from a GetAll reply; nothing when the reply is not a{sv}.
std::optional<QVariantMap> propertiesOf(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1
        || reply.signature() != QLatin1String("a{sv}"))
        return std::nullopt;
    return qdbus_cast<QVariantMap>(reply.arguments().front());
}

QVariantMap metadataOf(const QVariantMap &properties)
{
    const QVariant m = properties.value(QStringLiteral("Metadata"));
    if (m.canConvert<QDBusArgument>())
        return qdbus_cast<QVariantMap>(m.value<QDBusArgument>());
    return m.toMap();
}

// "标题 — 艺人" from MPRIS metadata; "" without a title.
QString trackText(const QVariantMap &metadata)
{
    const QString title = metadata.value(QStringLiteral("xesam:title")).toString().trimmed();
    if (title.isEmpty())
        return {};
    const QVariant a = metadata.value(QStringLiteral("xesam:artist"));
    QString artist = a.toStringList().value(0);
    if (artist.isEmpty())
        artist = a.toString();
    artist = artist.trimmed();
    return artist.isEmpty() ? title : title + QStringLiteral(" — ") + artist;
}

// What identifies a track for "did it change": its id, else its title.
QString trackKey(const QVariantMap &metadata)
{
    const QVariant id = metadata.value(QStringLiteral("mpris:trackid"));
    const QString path = id.canConvert<QDBusObjectPath>() ? id.value<QDBusObjectPath>().path() : id.toString();
    return path + u'\x1f' + metadata.value(QStringLiteral("xesam:title")).toString();
}

// One playRandom call, from the first question to its one answer; it deletes itself.
class Job : public QObject {
public:
    Job(MusicController *owner, QDBusConnection bus, Clock &clock, Scheduler &scheduler, DesktopApps &apps,
        std::function<void(bool, const QString &)> done)
        : QObject(owner), m_bus(std::move(bus)), m_clock(clock), m_scheduler(scheduler), m_apps(apps), m_done(std::move(done))
    {
    }

protected:
    void finish(bool ok, const QString &text)
    {
        if (!m_done)
            return;
        auto done = std::move(m_done);
        m_done = nullptr;
        deleteLater();
        done(ok, text);
    }
    bool finished() const { return !m_done; }

    void call(const QDBusMessage &message, std::function<void(const QDBusMessage &)> then)
    {
        auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message, kCallTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, then = std::move(then)] {
            watcher->deleteLater();
            if (!finished())
                then(watcher->reply());
        });
    }
    static QDBusMessage method(const QString &service, const QString &interface, const QString &name,
                               const QVariantList &args = {})
    {
        auto m = QDBusMessage::createMethodCall(service, kPath, interface, name);
        m.setArguments(args);
        return m;
    }
    void listPlayers(std::function<void(const QStringList &)> then)
    {
        auto m = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListNames"));
        call(m, [this, then](const QDBusMessage &reply) {
            if (reply.type() != QDBusMessage::ReplyMessage) {
                finish(false, kNoBus);
                return;
            }
            QStringList players;
            for (const QString &name : reply.arguments().value(0).toStringList())
                if (name.startsWith(kPrefix))
                    players.append(name);
            players.sort();
            then(players);
        });
    }
    void getProperty(const QString &player, const QString &interface, const QString &name,
                     std::function<void(const QDBusMessage &)> then)
    {
        auto m = QDBusMessage::createMethodCall(player, kPath, kProperties, QStringLiteral("Get"));
        m.setArguments({interface, name});
        call(m, std::move(then));
    }
    void getAll(const QString &player, const QString &interface, std::function<void(const QDBusMessage &)> then)
    {
        auto m = QDBusMessage::createMethodCall(player, kPath, kProperties, QStringLiteral("GetAll"));
        m.setArguments({interface});
        call(m, std::move(then));
    }
    void after(int ms, std::function<void()> work) { m_scheduler.after(ms, this, std::move(work)); }
    Timestamp now() const { return m_clock.now(); }
    bool past(Timestamp deadline) const { return now() > deadline; }

    QDBusConnection m_bus;
    Clock &m_clock;
    Scheduler &m_scheduler;
    DesktopApps &m_apps;

private:
    std::function<void(bool, const QString &)> m_done;
};

// "音乐播放器": any MPRIS player.
class PlayerJob final : public Job {
public:
    using Job::Job;
    void start(const MusicRequest &request)
    {
        m_request = request;
        listPlayers([this](const QStringList &players) {
            if (players.isEmpty())
                launchDefault();
            else
                choose(players);
        });
    }

private:
    void launchDefault()
    {
        m_apps.defaultAudioPlayer(this, [this](const QString &id) {
            if (id.isEmpty() || !m_apps.launch(id)) {
                finish(false, kNoPlayer);
                return;
            }
            m_launched = true;
            m_deadline = now().addSecs(25);
            waitForPlayer();
        });
    }
    void waitForPlayer()
    {
        listPlayers([this](const QStringList &players) {
            if (!players.isEmpty())
                choose(players);
            else if (past(m_deadline))
                finish(false, kNoPlayer);
            else
                after(kPollMs, [this] { waitForPlayer(); });
        });
    }
    void choose(const QStringList &players)
    {
        if (players.size() == 1) {
            use(players.front());
            return;
        }
        auto statuses = std::make_shared<QList<std::pair<QString, QString>>>();
        for (const QString &p : players) {
            getProperty(p, kPlayer, QStringLiteral("PlaybackStatus"), [this, p, statuses, total = players.size()](const QDBusMessage &reply) {
                statuses->append({p, reply.arguments().value(0).value<QDBusVariant>().variant().toString()});
                if (statuses->size() == total)
                    use(MusicController::choosePlayer(*statuses));
            });
        }
    }
    void use(const QString &player)
    {
        m_player = player;
        if (!m_launched)
            m_deadline = now().addSecs(6);
        if (m_request.source == MusicSource::playlist)
            findPlaylist();
        else
            startPlaying();
    }
    void findPlaylist()
    {
        getProperty(m_player, kPlaylists, QStringLiteral("PlaylistCount"), [this](const QDBusMessage &reply) {
            if (reply.type() != QDBusMessage::ReplyMessage) {
                finish(false, playerVanished(reply) ? kPlayerGone : kNoPlaylists);
                return;
            }
            const uint count = reply.arguments().value(0).value<QDBusVariant>().variant().toUInt();
            call(method(m_player, kPlaylists, QStringLiteral("GetPlaylists"),
                        {QVariant::fromValue(0u), QVariant::fromValue(count), QStringLiteral("Alphabetical"), false}),
                 [this](const QDBusMessage &lists) { activatePlaylist(lists); });
        });
    }
    void activatePlaylist(const QDBusMessage &reply)
    {
        if (reply.type() != QDBusMessage::ReplyMessage) {
            finish(false, playerVanished(reply) ? kPlayerGone : kNoPlaylists);
            return;
        }
        if (reply.signature() != QLatin1String("a(oss)")) {
            finish(false, kGarbage);
            return;
        }
        std::optional<QDBusObjectPath> found;
        const QDBusArgument arg = reply.arguments().front().value<QDBusArgument>();
        arg.beginArray();
        while (!arg.atEnd()) {
            QDBusObjectPath path;
            QString name, icon;
            arg.beginStructure();
            arg >> path >> name >> icon;
            arg.endStructure();
            if (!found && name == m_request.playlistName) // exactly that name
                found = path;
        }
        arg.endArray();
        if (!found) {
            finish(false, QStringLiteral("找不到播放列表“") + m_request.playlistName + QStringLiteral("”"));
            return;
        }
        call(method(m_player, kPlaylists, QStringLiteral("ActivatePlaylist"), {QVariant::fromValue(*found)}),
             [this](const QDBusMessage &r) {
                 if (playerVanished(r))
                     finish(false, kPlayerGone);
                 else
                     startPlaying();
             });
    }
    void startPlaying()
    {
        getAll(m_player, kPlayer, [this](const QDBusMessage &reply) {
            const auto props = propertiesOf(reply);
            if (!props) {
                finish(false, playerVanished(reply) || reply.type() == QDBusMessage::ErrorMessage ? kPlayerGone : kGarbage);
                return;
            }
            m_before = trackKey(metadataOf(*props));
            auto next = [this] {
                call(method(m_player, kPlayer, QStringLiteral("Next")), [this](const QDBusMessage &r) {
                    if (playerVanished(r)) {
                        finish(false, kPlayerGone);
                        return;
                    }
                    call(method(m_player, kPlayer, QStringLiteral("Play")), [this](const QDBusMessage &p) {
                        if (playerVanished(p))
                            finish(false, kPlayerGone);
                        else
                            poll();
                    });
                });
            };
            if (props->value(QStringLiteral("CanControl"), true).toBool()) {
                // A random track: shuffle where the player has it; refusals do not matter.
                auto m = QDBusMessage::createMethodCall(m_player, kPath, kProperties, QStringLiteral("Set"));
                m.setArguments({kPlayer, QStringLiteral("Shuffle"), QVariant::fromValue(QDBusVariant(true))});
                call(m, [next](const QDBusMessage &) { next(); });
            } else {
                next();
            }
        });
    }
    void poll()
    {
        getAll(m_player, kPlayer, [this](const QDBusMessage &reply) {
            const auto props = propertiesOf(reply);
            if (!props) {
                finish(false, reply.type() == QDBusMessage::ErrorMessage ? kPlayerGone : kGarbage);
                return;
            }
            if (props->value(QStringLiteral("PlaybackStatus")).toString() == QLatin1String("Playing")) {
                if (!m_playingSince)
                    m_playingSince = now();
                const QVariantMap metadata = metadataOf(*props);
                const QString key = trackKey(metadata);
                // The new track's name once the metadata has moved on and held still for one
                // poll (a player may show the file name before its tags); 2 s at most.
                const bool settled = key != m_before && key == m_lastSeen;
                m_lastSeen = key;
                if (settled || now().secondsSince(*m_playingSince) >= 2.0) {
                    const QString text = trackText(metadata);
                    finish(true, text.isEmpty() ? QStringLiteral("已开始随机播放") : text);
                    return;
                }
            } else if (past(m_deadline)) {
                finish(false, kNothingPlays);
                return;
            }
            after(kPollMs, [this] { poll(); });
        });
    }

    MusicRequest m_request;
    QString m_player;
    bool m_launched = false;
    Timestamp m_deadline;
    QString m_before;
    QString m_lastSeen;
    std::optional<Timestamp> m_playingSince;
};

// "网易云音乐": the NetEase client's player, found by name.
class NetEaseJob final : public Job {
public:
    using Job::Job;
    void start()
    {
        listPlayers([this](const QStringList &players) {
            m_player = netEaseIn(players);
            if (m_player.isEmpty()) {
                const QString client = m_apps.netEaseClient();
                if (client.isEmpty()) {
                    finish(false, kNoNetEase);
                    return;
                }
                if (!m_apps.launch(client)) {
                    finish(false, kNetEaseNotStarted);
                    return;
                }
                m_deadline = now().addSecs(25); // a cold start loads its queue slowly
            } else {
                m_deadline = now().addSecs(6);
            }
            poll();
        });
    }

private:
    static QString netEaseIn(const QStringList &players)
    {
        for (const QString &p : players)
            if (MusicController::isNetEasePlayer(p))
                return p;
        return {};
    }
    void poll()
    {
        if (m_player.isEmpty()) {
            listPlayers([this](const QStringList &players) {
                m_player = netEaseIn(players);
                if (m_player.isEmpty()) {
                    m_lastProblem = kNetEaseNotReady;
                    next();
                } else {
                    poll();
                }
            });
            return;
        }
        getAll(m_player, kPlayer, [this](const QDBusMessage &reply) {
            const auto props = propertiesOf(reply);
            if (!props) {
                // Remembered, and polling goes on: a client still starting answers badly.
                if (playerVanished(reply))
                    m_player.clear();
                m_lastProblem = reply.type() == QDBusMessage::ErrorMessage ? kNetEaseNotReady : kGarbage;
                next();
                return;
            }
            if (props->value(QStringLiteral("PlaybackStatus")).toString() == QLatin1String("Playing")) {
                finish(true, m_calls == 0 ? QStringLiteral("网易云音乐（原本就在播放）") : QStringLiteral("网易云音乐的下一首"));
                return;
            }
            const bool canPlay = props->value(QStringLiteral("CanPlay"), true).toBool();
            const bool canNext = props->value(QStringLiteral("CanGoNext"), true).toBool();
            if (canPlay && (!m_lastCall || now().secondsSince(*m_lastCall) >= 3.0)) {
                // Next for the first two calls (a fresh track), then Play so something sounds.
                const QString what = m_calls < 2 && canNext ? QStringLiteral("Next") : QStringLiteral("Play");
                ++m_calls;
                m_lastCall = now();
                call(method(m_player, kPlayer, what), [this](const QDBusMessage &) { next(); });
                return;
            }
            next();
        });
    }
    void next()
    {
        if (past(m_deadline)) {
            finish(false, m_calls == 0 ? m_lastProblem : kNetEaseSilent);
            return;
        }
        after(kPollMs, [this] { poll(); });
    }

    QString m_player;
    Timestamp m_deadline;
    int m_calls = 0;
    std::optional<Timestamp> m_lastCall;
    QString m_lastProblem = kNetEaseNotReady;
};

} // namespace

MusicController::MusicController(QDBusConnection bus, Clock &clock, Scheduler &scheduler, DesktopApps &apps, QObject *parent)
    : QObject(parent), m_bus(std::move(bus)), m_clock(clock), m_scheduler(scheduler), m_apps(apps)
{
}

void MusicController::playRandom(const MusicRequest &request, std::function<void(bool, const QString &)> done)
{
    if (!m_bus.isConnected()) {
        // Answered later, as every call is, so callers see one order of events.
        m_scheduler.after(0, this, [done] { done(false, kNoBus); });
        return;
    }
    if (request.service == MusicService::netEase) {
        auto *job = new NetEaseJob(this, m_bus, m_clock, m_scheduler, m_apps, std::move(done));
        job->start();
    } else {
        auto *job = new PlayerJob(this, m_bus, m_clock, m_scheduler, m_apps, std::move(done));
        job->start(request);
    }
}

bool MusicController::isNetEasePlayer(const QString &busName)
{
    return busName.startsWith(kPrefix) && busName.mid(kPrefix.size()).contains(QLatin1String("netease"), Qt::CaseInsensitive);
}

bool MusicController::isBrowserPlayer(const QString &busName)
{
    static const char *const browsers[] = {"chromium", "chrome", "firefox", "brave", "vivaldi", "opera", "microsoft-edge",
                                           "plasma-browser-integration"};
    const QString rest = busName.mid(kPrefix.size());
    return std::any_of(std::begin(browsers), std::end(browsers),
                       [&](const char *b) { return rest.startsWith(QLatin1String(b), Qt::CaseInsensitive); });
}

QString MusicController::choosePlayer(const QList<std::pair<QString, QString>> &players)
{
    QString best;
    int bestRank = -1;
    for (const auto &[name, status] : players) {
        const int rank = (isBrowserPlayer(name) ? 0 : 2)
                         + (status == QLatin1String("Playing") || status == QLatin1String("Paused") ? 1 : 0);
        if (rank > bestRank) { // ties keep the first, in name order
            best = name;
            bestRank = rank;
        }
    }
    return best;
}

} // namespace tessary::music

#pragma once

#include "DesktopApps.h"
#include "engine/Services.h"

#include <QDBusConnection>
#include <QObject>

// End-of-round music through the desktop's media players: every Linux music player
// speaks MPRIS (org.mpris.MediaPlayer2) on the session bus.
//
// "音乐播放器" (the stored `appleMusic`): the MPRIS player that runs (a dedicated
// player over a browser, then one playing or paused over a stopped one), else the
// desktop's default audio player, launched. Shuffle on where allowed, Next, Play;
// for a playlist, first the Playlists interface's playlist of exactly that name.
// "网易云音乐" (`netEase`): the NetEase client's player, polled every 0.2 s until a
// deadline (25 s after launching it, else 6 s), Next for the first two calls and
// Play from the third, at most one call every 3 s.
//
// Every D-Bus call is asynchronous; waiting uses the injected clock and scheduler.
// Main thread only.
namespace tessary::music {

class MusicController final : public QObject, public MusicStarter {
    Q_OBJECT
public:
    // `bus` is the session bus (a disconnected one when there is none). The
    // clock, scheduler and apps must outlive the controller.
    MusicController(QDBusConnection bus, Clock &clock, Scheduler &scheduler, DesktopApps &apps, QObject *parent = nullptr);

    void playRandom(const MusicRequest &request, std::function<void(bool ok, const QString &text)> done) override;

    // The rules of choosing, public for tests.
    static bool isNetEasePlayer(const QString &busName);
    static bool isBrowserPlayer(const QString &busName);
    // Among running players (with their PlaybackStatus), the one to use; "" for none.
    static QString choosePlayer(const QList<std::pair<QString, QString>> &playersWithStatus);

private:
    QDBusConnection m_bus;
    Clock &m_clock;
    Scheduler &m_scheduler;
    DesktopApps &m_apps;
};

} // namespace tessary::music

#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class QDBusServiceWatcher;

namespace tessary {
class AppStore;
}

namespace tessary::desktop {

// Time away from the computer is not focus: with the pauseOnLock setting on, a round that is
// focusing (or in a micro-break, which is ended first) is paused the moment the screen locks or
// the machine is about to sleep, and on return the toast says why it is paused.
//
// It listens to whatever the desktop offers: logind on the system bus (the manager's
// PrepareForSleep, our session's Lock/Unlock and LockedHint) and the screensaver's ActiveChanged
// (org.freedesktop.ScreenSaver, org.gnome.ScreenSaver) on the session bus. While a round runs with
// the setting on, it holds a logind "delay" inhibitor so the pause is taken before the machine
// sleeps rather than after it wakes.
class LockWatcher : public QObject {
    Q_OBJECT
    // Whether any of those sources is there; without one the settings switch is disabled.
    Q_PROPERTY(bool available READ isAvailable NOTIFY availableChanged)
public:
    LockWatcher(QDBusConnection systemBus, QDBusConnection sessionBus, AppStore &store, QObject *parent = nullptr);

    bool isAvailable() const { return m_logind || m_saverOwners != 0; }
    // The logind session whose lock state is followed; empty until known.
    QString sessionPath() const { return m_sessionPath; }
    bool holdsSleepInhibitor() const { return m_inhibitor.isValid(); }

    static QString returnToastText();
    // For the screenshot tool, which draws the settings screen as desktops with and without
    // lock notices show it.
    void pretendAvailable(bool available) { setAvailability(available, available ? 1u : 0u); }

signals:
    void availableChanged();
    // A logind session was found and its signals are followed (tests wait for this).
    void sessionFollowed();

private slots:
    void onPrepareForSleep(bool sleeping);
    void onSessionLock();
    void onSessionUnlock();
    void onSessionPropertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &);
    void onFreedesktopScreenSaver(bool active);
    void onGnomeScreenSaver(bool active);

private:
    enum Away : unsigned { sleeping = 1, lockRequested = 2, lockedHint = 4, freedesktopSaver = 8, gnomeSaver = 16 };

    void findLogind();
    void followSession(const QString &path);
    void watchScreenSavers();
    void setAway(Away source, bool on);
    void pauseRound();
    void updateInhibitor();
    void setAvailability(bool logind, unsigned saverOwners);

    QDBusConnection m_system;
    QDBusConnection m_session;
    AppStore &m_store;
    QDBusServiceWatcher *m_saverWatcher = nullptr;
    bool m_logind = false;
    unsigned m_saverOwners = 0; // bit 0: org.freedesktop.ScreenSaver, bit 1: org.gnome.ScreenSaver
    QString m_sessionPath;
    unsigned m_away = 0;
    bool m_pausedWhileAway = false;
    QDBusUnixFileDescriptor m_inhibitor;
    bool m_inhibitRequested = false;
};

} // namespace tessary::desktop

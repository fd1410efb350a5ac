#include "LockWatcher.h"

#include "engine/AppStore.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

namespace tessary::desktop {

namespace {
const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kFreedesktopSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kGnomeSaver = QStringLiteral("org.gnome.ScreenSaver");
constexpr int kCallTimeoutMs = 5000;

// Errors that mean nobody answered, as opposed to logind answering "no such session".
bool nobodyThere(const QDBusError &error)
{
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
    case QDBusError::Disconnected:
    case QDBusError::NoServer:
    case QDBusError::UnknownObject:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownMethod:
        return true;
    default:
        return false;
    }
}
} // namespace

LockWatcher::LockWatcher(QDBusConnection systemBus, QDBusConnection sessionBus, AppStore &store, QObject *parent)
    : QObject(parent), m_system(std::move(systemBus)), m_session(std::move(sessionBus)), m_store(store)
{
    connect(&m_store, &AppStore::phaseChanged, this, &LockWatcher::updateInhibitor);
    connect(&m_store, &AppStore::settingsChanged, this, &LockWatcher::updateInhibitor);
    if (m_system.isConnected()) {
        m_system.connect(kLogind, kLogindPath, kManager, QStringLiteral("PrepareForSleep"), this,
                         SLOT(onPrepareForSleep(bool)));
        findLogind();
    }
    if (m_session.isConnected()) {
        m_session.connect(kFreedesktopSaver, QStringLiteral("/org/freedesktop/ScreenSaver"), kFreedesktopSaver,
                          QStringLiteral("ActiveChanged"), this, SLOT(onFreedesktopScreenSaver(bool)));
        m_session.connect(kGnomeSaver, QStringLiteral("/org/gnome/ScreenSaver"), kGnomeSaver,
                          QStringLiteral("ActiveChanged"), this, SLOT(onGnomeScreenSaver(bool)));
        watchScreenSavers();
    }
}

QString LockWatcher::returnToastText() { return QStringLiteral("离开期间已暂停，准备好后继续。"); }

void LockWatcher::findLogind()
{
    // "auto" is the caller's session or, for a program started outside one (a systemd user
    // service), the user's graphical session; very old logind only knows the PID lookup.
    QDBusMessage byName = QDBusMessage::createMethodCall(kLogind, kLogindPath, kManager, QStringLiteral("GetSession"));
    byName << QStringLiteral("auto");
    auto *watcher = new QDBusPendingCallWatcher(m_system.asyncCall(byName, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (!reply.isError()) {
            followSession(reply.value().path());
            return;
        }
        if (nobodyThere(reply.error()))
            return; // no logind on this machine
        QDBusMessage byPid =
            QDBusMessage::createMethodCall(kLogind, kLogindPath, kManager, QStringLiteral("GetSessionByPID"));
        byPid << uint(QCoreApplication::applicationPid());
        auto *second = new QDBusPendingCallWatcher(m_system.asyncCall(byPid, kCallTimeoutMs), this);
        connect(second, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w2) {
            w2->deleteLater();
            const QDBusPendingReply<QDBusObjectPath> r = *w2;
            if (!r.isError())
                followSession(r.value().path());
            else if (!nobodyThere(r.error()))
                setAvailability(true, m_saverOwners); // logind, but we are in no session: suspend only
        });
    });
}

void LockWatcher::followSession(const QString &path)
{
    m_sessionPath = path;
    m_system.connect(kLogind, path, kSession, QStringLiteral("Lock"), this, SLOT(onSessionLock()));
    m_system.connect(kLogind, path, kSession, QStringLiteral("Unlock"), this, SLOT(onSessionUnlock()));
    m_system.connect(kLogind, path, kProperties, QStringLiteral("PropertiesChanged"), this,
                     SLOT(onSessionPropertiesChanged(QString, QVariantMap, QStringList)));
    setAvailability(true, m_saverOwners);
    emit sessionFollowed();
}

void LockWatcher::watchScreenSavers()
{
    m_saverWatcher = new QDBusServiceWatcher(this);
    m_saverWatcher->setConnection(m_session);
    m_saverWatcher->setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
    m_saverWatcher->setWatchedServices({kFreedesktopSaver, kGnomeSaver});
    connect(m_saverWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &name, const QString &, const QString &newOwner) {
                const unsigned bit = name == kGnomeSaver ? 2u : 1u;
                const unsigned owners = newOwner.isEmpty() ? (m_saverOwners & ~bit) : (m_saverOwners | bit);
                // A screensaver that went away while active cannot report the unlock any more.
                if (newOwner.isEmpty())
                    setAway(bit == 2u ? gnomeSaver : freedesktopSaver, false);
                setAvailability(m_logind, owners);
            });
    // Who is there already.
    for (const QString &name : {kFreedesktopSaver, kGnomeSaver}) {
        QDBusMessage ask = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                          QStringLiteral("/org/freedesktop/DBus"),
                                                          QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
        ask << name;
        auto *watcher = new QDBusPendingCallWatcher(m_session.asyncCall(ask, kCallTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, name](QDBusPendingCallWatcher *w) {
            w->deleteLater();
            const QDBusPendingReply<bool> reply = *w;
            if (!reply.isError() && reply.value())
                setAvailability(m_logind, m_saverOwners | (name == kGnomeSaver ? 2u : 1u));
        });
    }
}

void LockWatcher::setAvailability(bool logind, unsigned saverOwners)
{
    const bool before = isAvailable();
    const bool logindAppeared = logind && !m_logind;
    m_logind = logind;
    m_saverOwners = saverOwners;
    if (logindAppeared)
        updateInhibitor();
    if (before != isAvailable())
        emit availableChanged();
}

void LockWatcher::onPrepareForSleep(bool goingToSleep) { setAway(sleeping, goingToSleep); }

void LockWatcher::onSessionLock() { setAway(lockRequested, true); }

void LockWatcher::onSessionUnlock() { setAway(lockRequested, false); }

void LockWatcher::onSessionPropertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &)
{
    if (interface != kSession)
        return;
    const auto it = changed.constFind(QStringLiteral("LockedHint"));
    if (it == changed.cend())
        return;
    const bool locked = it->toBool();
    if (!locked)
        m_away &= ~unsigned(lockRequested); // the desktop says it is unlocked, whatever asked for the lock
    setAway(lockedHint, locked);
}

void LockWatcher::onFreedesktopScreenSaver(bool active)
{
    if (!active)
        m_away &= ~unsigned(lockRequested);
    setAway(freedesktopSaver, active);
}

void LockWatcher::onGnomeScreenSaver(bool active)
{
    if (!active)
        m_away &= ~unsigned(lockRequested);
    setAway(gnomeSaver, active);
}

void LockWatcher::setAway(Away source, bool on)
{
    if (on) {
        m_away |= source;
        pauseRound();
    } else {
        m_away &= ~unsigned(source);
        // Back only when nothing says the user is still away: after a resume the screen is
        // often still locked, and a toast under the lock screen says nothing to anyone.
        if (m_away == 0 && m_pausedWhileAway) {
            m_pausedWhileAway = false;
            if (m_store.phase() == SessionPhase::paused)
                m_store.toast(returnToastText());
        }
    }
    updateInhibitor();
}

void LockWatcher::pauseRound()
{
    if (!m_store.settings().effectivePauseOnLock())
        return;
    if (m_store.phase() == SessionPhase::microBreak)
        m_store.resumeAfterMicroBreak();
    if (m_store.phase() == SessionPhase::focusing) {
        m_store.togglePause();
        m_pausedWhileAway = true;
    }
}

void LockWatcher::updateInhibitor()
{
    const SessionPhase phase = m_store.phase();
    const bool wanted = m_logind && m_store.settings().effectivePauseOnLock() && !(m_away & sleeping)
        && (phase == SessionPhase::focusing || phase == SessionPhase::microBreak);
    if (!wanted) {
        m_inhibitor = QDBusUnixFileDescriptor(); // closing our copy lets logind go on
        return;
    }
    if (m_inhibitor.isValid() || m_inhibitRequested)
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(kLogind, kLogindPath, kManager, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("汀禾") << QStringLiteral("先暂停进行中的一轮")
         << QStringLiteral("delay");
    m_inhibitRequested = true;
    auto *watcher = new QDBusPendingCallWatcher(m_system.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        m_inhibitRequested = false;
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
        if (reply.isError())
            return; // not allowed or no fd passing: the pause may then land after the wake
        m_inhibitor = reply.value();
        updateInhibitor(); // drops it again if the round ended meanwhile
    });
}

} // namespace tessary::desktop

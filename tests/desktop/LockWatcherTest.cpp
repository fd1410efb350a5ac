#include "PrivateBus.h"
#include "desktop/LockWatcher.h"
#include "StoreHarness.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QTest>

#include <memory>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace tessary;
using tessary::fakes::PrivateBus;
using tessary::fakes::StoreHarness;

namespace {

const QString kSessionPath = QStringLiteral("/org/freedesktop/login1/session/_32");

// logind's manager as far as we use it: our session, and sleep inhibitors handed out as the
// write end of a pipe, so the test sees when the holder lets go.
class FakeLogind : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    bool knowsSessions = true;
    QStringList inhibitCalls;
    int inhibitorRead = -1;

    ~FakeLogind() override
    {
        if (inhibitorRead >= 0)
            ::close(inhibitorRead);
    }
    // The holder closed its copy: nobody else holds the write end.
    bool inhibitorReleased() const
    {
        pollfd p{inhibitorRead, POLLIN, 0};
        return inhibitorRead >= 0 && ::poll(&p, 1, 0) == 1 && (p.revents & POLLHUP);
    }

public slots:
    QDBusObjectPath GetSession(const QString &id)
    {
        if (!knowsSessions || id != QStringLiteral("auto")) {
            sendErrorReply(QStringLiteral("org.freedesktop.login1.NoSuchSession"), QStringLiteral("no session"));
            return {};
        }
        return QDBusObjectPath(kSessionPath);
    }
    QDBusObjectPath GetSessionByPID(uint)
    {
        sendErrorReply(QStringLiteral("org.freedesktop.login1.NoSessionForPID"), QStringLiteral("no session"));
        return {};
    }
    QDBusUnixFileDescriptor Inhibit(const QString &what, const QString &who, const QString &why, const QString &mode)
    {
        inhibitCalls.append(QStringList{what, who, why, mode}.join(QLatin1Char('|')));
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return {};
        if (inhibitorRead >= 0)
            ::close(inhibitorRead);
        inhibitorRead = fds[0];
        QDBusUnixFileDescriptor handed(fds[1]); // a copy goes out with the reply
        ::close(fds[1]);
        return handed;
    }
};

// Two private buses standing in for the system and the session bus, logind's manager on the
// first, and a store.
class LockWatching : public ::testing::Test {
protected:
    int argc = 0;
    QCoreApplication app{argc, nullptr};
    PrivateBus system;
    PrivateBus session;
    QDBusConnection logindBus{system.connect(QStringLiteral("logind"))};
    QDBusConnection saverBus{session.connect(QStringLiteral("saver"))};
    FakeLogind logind;
    StoreHarness h;

    void SetUp() override
    {
        if (system.address.isEmpty() || session.address.isEmpty())
            GTEST_SKIP() << "no dbus-daemon here";
    }
    void startLogind()
    {
        logindBus.registerObject(QStringLiteral("/org/freedesktop/login1"), &logind, QDBusConnection::ExportAllSlots);
        logindBus.registerService(QStringLiteral("org.freedesktop.login1"));
    }
    void startScreenSaver(const QString &name) { saverBus.registerService(name); }

    void sendSleep(bool sleeping)
    {
        QDBusMessage m = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                                    QStringLiteral("org.freedesktop.login1.Manager"),
                                                    QStringLiteral("PrepareForSleep"));
        m << sleeping;
        logindBus.send(m);
    }
    void sendLockedHint(bool locked)
    {
        QDBusMessage m = QDBusMessage::createSignal(kSessionPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                    QStringLiteral("PropertiesChanged"));
        m << QStringLiteral("org.freedesktop.login1.Session")
          << QVariantMap{{QStringLiteral("LockedHint"), locked}} << QStringList();
        logindBus.send(m);
    }
    void sendSessionSignal(const QString &name)
    {
        logindBus.send(QDBusMessage::createSignal(kSessionPath, QStringLiteral("org.freedesktop.login1.Session"), name));
    }
    void sendScreenSaver(bool active, bool gnome = false)
    {
        const QString iface = gnome ? QStringLiteral("org.gnome.ScreenSaver") : QStringLiteral("org.freedesktop.ScreenSaver");
        QDBusMessage m = QDBusMessage::createSignal(
            gnome ? QStringLiteral("/org/gnome/ScreenSaver") : QStringLiteral("/org/freedesktop/ScreenSaver"), iface,
            QStringLiteral("ActiveChanged"));
        m << active;
        saverBus.send(m);
    }

    AppStore &open(bool pauseOnLock)
    {
        AppStore &store = h.openWith(25, 3, 5);
        AppSettings s = store.settings();
        s.pauseOnLock = pauseOnLock;
        store.setSettings(s);
        return store;
    }
    // A watcher on connections of its own, as the application makes it.
    std::unique_ptr<desktop::LockWatcher> watch(AppStore &store)
    {
        ++m_watchers;
        return std::make_unique<desktop::LockWatcher>(system.connect(QStringLiteral("app-system-%1").arg(m_watchers)),
                                                      session.connect(QStringLiteral("app-session-%1").arg(m_watchers)), store);
    }

private:
    int m_watchers = 0;
};

// The toast shown on return, and nothing else (starting a round toasts too).
bool explained(const AppStore &store) { return store.toastMessage() == desktop::LockWatcher::returnToastText(); }

bool waitFor(const std::function<bool()> &condition) { return QTest::qWaitFor(condition, 5000); }

} // namespace

TEST_F(LockWatching, LockingPausesTheRoundAtThatMomentAndUnlockingExplainsWhy)
{
    startLogind();
    startScreenSaver(QStringLiteral("org.gnome.ScreenSaver"));
    AppStore &store = open(true);
    h.random.queued = {200};
    const auto watcher = watch(store);
    ASSERT_TRUE(waitFor([&] { return watcher->sessionPath() == kSessionPath; }));
    EXPECT_TRUE(watcher->isAvailable());

    store.startSession();
    h.advance(90.2);
    const Timestamp lockedAt = h.clock.t;
    // GNOME reports both; the second changes nothing.
    sendLockedHint(true);
    sendScreenSaver(true, true);
    ASSERT_TRUE(waitFor([&] { return store.phase() == SessionPhase::paused; }));
    EXPECT_EQ(store.currentEvents().back().kind, FocusEventKind::pause);
    EXPECT_EQ(store.currentEvents().back().date, lockedAt);
    EXPECT_EQ(store.currentEvents().size(), 1);
    EXPECT_FALSE(h.ambient.playing);
    EXPECT_FALSE(explained(store));

    // Locked for an hour: none of it is focus, and the round is still paused on return.
    h.clock.t = h.clock.t.addSecs(3600);
    sendScreenSaver(false, true);
    QTest::qWait(100);
    EXPECT_FALSE(explained(store)) << "logind still says locked";
    sendLockedHint(false);
    ASSERT_TRUE(waitFor([&] { return explained(store); }));
    EXPECT_EQ(store.phase(), SessionPhase::paused);
    h.advance(5);
    EXPECT_EQ(store.remainingSeconds(), 25 * 60 - 90);

    // Already paused by the user: nothing is recorded and nothing explained.
    sendSessionSignal(QStringLiteral("Lock"));
    QTest::qWait(100);
    sendSessionSignal(QStringLiteral("Unlock"));
    QTest::qWait(100);
    EXPECT_EQ(store.currentEvents().size(), 1);
    EXPECT_FALSE(explained(store));

    // logind's own Lock request pauses too, and a micro-break is ended before the pause.
    store.togglePause();
    h.advance(200.3);
    ASSERT_EQ(store.phase(), SessionPhase::microBreak);
    sendSessionSignal(QStringLiteral("Lock"));
    ASSERT_TRUE(waitFor([&] { return store.phase() == SessionPhase::paused; }));
    EXPECT_EQ(store.breakRemainingSeconds(), 0);
    EXPECT_EQ(store.currentEvents().back().kind, FocusEventKind::pause);
    sendSessionSignal(QStringLiteral("Unlock"));
    ASSERT_TRUE(waitFor([&] { return explained(store); }));
    store.togglePause();
    h.advance(10);
    EXPECT_EQ(store.phase(), SessionPhase::focusing) << "the break does not come back after the pause";
}

TEST_F(LockWatching, SuspendPausesBeforeTheMachineSleepsUnderADelayInhibitor)
{
    startLogind();
    AppStore &store = open(true);
    h.random.queued = {1200};
    const auto watcher = watch(store);
    ASSERT_TRUE(waitFor([&] { return watcher->isAvailable(); }));
    EXPECT_TRUE(logind.inhibitCalls.isEmpty()) << "no round, no inhibitor";

    store.startSession();
    ASSERT_TRUE(waitFor([&] { return watcher->holdsSleepInhibitor(); }));
    ASSERT_EQ(logind.inhibitCalls.size(), 1);
    EXPECT_EQ(logind.inhibitCalls[0], QStringLiteral("sleep|汀禾|先暂停进行中的一轮|delay"));
    EXPECT_FALSE(logind.inhibitorReleased());

    h.advance(600.2);
    sendSleep(true);
    ASSERT_TRUE(waitFor([&] { return store.phase() == SessionPhase::paused; }));
    EXPECT_FALSE(watcher->holdsSleepInhibitor());
    EXPECT_TRUE(waitFor([&] { return logind.inhibitorReleased(); })) << "logind may now suspend";
    h.clock.t = h.clock.t.addSecs(8 * 3600);
    sendSleep(false);
    ASSERT_TRUE(waitFor([&] { return explained(store); }));
    EXPECT_EQ(store.remainingSeconds(), 25 * 60 - 600);

    // Resumed by the user: held again; the round's end lets it go.
    store.togglePause();
    ASSERT_TRUE(waitFor([&] { return watcher->holdsSleepInhibitor(); }));
    store.finishSession(false);
    EXPECT_FALSE(watcher->holdsSleepInhibitor());
    EXPECT_TRUE(waitFor([&] { return logind.inhibitorReleased(); }));
}

TEST_F(LockWatching, SwitchedOffOrIdleNothingHappens)
{
    startLogind();
    startScreenSaver(QStringLiteral("org.freedesktop.ScreenSaver"));
    AppStore &store = open(false);
    const auto watcher = watch(store);
    ASSERT_TRUE(waitFor([&] { return watcher->sessionPath() == kSessionPath; }));

    store.startSession();
    QTest::qWait(100);
    EXPECT_TRUE(logind.inhibitCalls.isEmpty());
    sendScreenSaver(true);
    sendSleep(true);
    QTest::qWait(200);
    EXPECT_EQ(store.phase(), SessionPhase::focusing);
    sendSleep(false);
    sendScreenSaver(false);
    QTest::qWait(100);
    EXPECT_FALSE(explained(store));
    store.abandonSession();

    // On, but no round: nothing to pause, nothing to say.
    AppSettings s = store.settings();
    s.pauseOnLock = true;
    store.setSettings(s);
    sendScreenSaver(true);
    QTest::qWait(100);
    sendScreenSaver(false);
    QTest::qWait(100);
    EXPECT_EQ(store.phase(), SessionPhase::idle);
    EXPECT_TRUE(store.currentEvents().isEmpty());
    EXPECT_FALSE(explained(store));

    // The freedesktop screensaver's signal works alone too.
    store.startSession();
    sendScreenSaver(true);
    ASSERT_TRUE(waitFor([&] { return store.phase() == SessionPhase::paused; }));
}

TEST_F(LockWatching, AvailableOnlyWhereTheDesktopReportsLockingOrSleep)
{
    AppStore &store = open(true);
    {
        const auto nothing = watch(store);
        QTest::qWait(300);
        EXPECT_FALSE(nothing->isAvailable());
        // A screensaver that starts later (a restarted shell) is found.
        int changes = 0;
        QObject::connect(nothing.get(), &desktop::LockWatcher::availableChanged, [&] { ++changes; });
        startScreenSaver(QStringLiteral("org.gnome.ScreenSaver"));
        ASSERT_TRUE(waitFor([&] { return nothing->isAvailable(); }));
        saverBus.unregisterService(QStringLiteral("org.gnome.ScreenSaver"));
        ASSERT_TRUE(waitFor([&] { return !nothing->isAvailable(); }));
        EXPECT_EQ(changes, 2);
    }
    // No buses at all (no session bus in the environment): unavailable, and nothing fails.
    desktop::LockWatcher none(QDBusConnection(QString()), QDBusConnection(QString()), store);
    store.startSession();
    EXPECT_FALSE(none.isAvailable());
    EXPECT_FALSE(none.holdsSleepInhibitor());

    // logind without a session for us still reports sleep.
    logind.knowsSessions = false;
    startLogind();
    const auto sleepOnly = watch(store);
    ASSERT_TRUE(waitFor([&] { return sleepOnly->isAvailable(); }));
    EXPECT_TRUE(sleepOnly->sessionPath().isEmpty());
}

#include "LockWatcherTest.moc"

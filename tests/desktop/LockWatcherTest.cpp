#include "PrivateBus.h"
#include "desktop/LockWatcher.h"
#include "StoreHarness.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
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

// logind's manager as far as we use it: our session ("auto"; no lookup by PID), and sleep
// inhibitors handed out as the write end of a pipe, so the test sees when the holder lets go.
class FakeLogind final : public QDBusVirtualObject {
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

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &m, const QDBusConnection &c) override
    {
        if (m.member() == u"GetSession" && knowsSessions && m.arguments().value(0) == u"auto"_qs)
            return c.send(m.createReply(QVariant::fromValue(QDBusObjectPath(kSessionPath))));
        int fds[2];
        if (m.member() != u"Inhibit" || ::pipe2(fds, O_CLOEXEC) != 0)
            return c.send(m.createErrorReply(u"org.freedesktop.login1.NoSuchSession"_qs, u"no session"_qs));
        QStringList args;
        for (const QVariant &a : m.arguments())
            args << a.toString();
        inhibitCalls.append(args.join(u'|'));
        if (inhibitorRead >= 0)
            ::close(inhibitorRead);
        inhibitorRead = fds[0];
        const bool sent = c.send(m.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(fds[1])))); // sends a copy
        ::close(fds[1]);
        return sent;
    }
};

// Two private buses standing in for the system and the session bus, logind's manager on the
// first, and a store.
class LockWatching : public ::testing::Test {
protected:
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
        logindBus.registerVirtualObject(u"/org/freedesktop/login1"_qs, &logind);
        logindBus.registerService(QStringLiteral("org.freedesktop.login1"));
    }
    void startScreenSaver(const QString &name) { saverBus.registerService(name); }

    // Signals as logind (on the system bus) and the screensavers (on the session bus) send them.
    static void send(QDBusConnection &bus, const QString &path, const QString &iface, const char *name,
                     const QVariantList &args = {})
    {
        QDBusMessage m = QDBusMessage::createSignal(path, iface, QLatin1String(name));
        m.setArguments(args);
        bus.send(m);
    }
    void sendSleep(bool sleeping)
    {
        send(logindBus, u"/org/freedesktop/login1"_qs, u"org.freedesktop.login1.Manager"_qs, "PrepareForSleep",
             {sleeping});
    }
    void sendLockedHint(bool locked)
    {
        send(logindBus, kSessionPath, u"org.freedesktop.DBus.Properties"_qs, "PropertiesChanged",
             {u"org.freedesktop.login1.Session"_qs, QVariantMap{{u"LockedHint"_qs, locked}}, QStringList()});
    }
    void sendSessionSignal(const char *name)
    {
        send(logindBus, kSessionPath, u"org.freedesktop.login1.Session"_qs, name);
    }
    void sendScreenSaver(bool active, bool gnome = false)
    {
        send(saverBus, gnome ? u"/org/gnome/ScreenSaver"_qs : u"/org/freedesktop/ScreenSaver"_qs,
             gnome ? u"org.gnome.ScreenSaver"_qs : u"org.freedesktop.ScreenSaver"_qs, "ActiveChanged", {active});
    }

    AppStore &open(bool pauseOnLock)
    {
        h.openWith(25, 3, 5);
        h.edit([&](AppSettings &s) { s.pauseOnLock = pauseOnLock; });
        return *h.store;
    }
    // A watcher on connections of its own, as the application makes it.
    int watchers = 0;
    std::unique_ptr<desktop::LockWatcher> watch(AppStore &store)
    {
        const QString n = QString::number(++watchers);
        return std::make_unique<desktop::LockWatcher>(system.connect(u"app-system-"_qs + n),
                                                      session.connect(u"app-session-"_qs + n), store);
    }
};

// The toast shown on return, and nothing else (starting a round toasts too).
bool explained(const AppStore &store) { return store.toastMessage() == desktop::LockWatcher::returnToastText(); }

bool waitFor(const std::function<bool()> &condition) { return QTest::qWaitFor(condition, 5000); }

} // namespace

// Locked or asleep, none of it is focus: the round pauses at that moment and the return says
// why. While a round may run, a delay inhibitor lets the pause land before the machine sleeps.
TEST_F(LockWatching, LockingOrSleepPausesTheRoundAtThatMomentAndTheReturnExplainsWhy)
{
    startLogind();
    startScreenSaver(QStringLiteral("org.gnome.ScreenSaver"));
    AppStore &store = open(true);
    h.random.queued = {200};
    const auto watcher = watch(store);
    ASSERT_TRUE(waitFor([&] { return watcher->sessionPath() == kSessionPath; }));
    EXPECT_TRUE(watcher->isAvailable());
    EXPECT_TRUE(logind.inhibitCalls.isEmpty()) << "no round, no inhibitor";

    store.startSession();
    ASSERT_TRUE(waitFor([&] { return watcher->holdsSleepInhibitor(); }));
    EXPECT_EQ(logind.inhibitCalls, QStringList{QStringLiteral("sleep|汀禾|先暂停进行中的一轮|delay")});
    EXPECT_FALSE(logind.inhibitorReleased());
    h.advance(90.2);
    const Timestamp lockedAt = h.clock.t;
    // GNOME reports both; the second changes nothing.
    sendLockedHint(true);
    sendScreenSaver(true, true);
    ASSERT_TRUE(waitFor([&] { return store.phase() == SessionPhase::paused; }));
    EXPECT_EQ(store.currentEvents().back().date, lockedAt);
    EXPECT_EQ(store.currentEvents().size(), 1);
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
    sendSessionSignal("Lock");
    QTest::qWait(100);
    sendSessionSignal("Unlock");
    QTest::qWait(100);
    EXPECT_EQ(store.currentEvents().size(), 1);
    EXPECT_FALSE(explained(store));

    // logind's own Lock request pauses too, and a micro-break is ended before the pause.
    store.togglePause();
    h.advance(200.3);
    ASSERT_EQ(store.phase(), SessionPhase::microBreak);
    sendSessionSignal("Lock");
    ASSERT_TRUE(waitFor([&] { return store.phase() == SessionPhase::paused; }));
    EXPECT_EQ(store.breakRemainingSeconds(), 0);
    sendSessionSignal("Unlock");
    ASSERT_TRUE(waitFor([&] { return explained(store); }));
    store.togglePause();
    h.advance(10);
    EXPECT_EQ(store.phase(), SessionPhase::focusing) << "the break does not come back after the pause";

    // Going to sleep: paused, and the inhibitor let go so logind may suspend.
    ASSERT_TRUE(waitFor([&] { return watcher->holdsSleepInhibitor(); }));
    const auto left = store.remainingSeconds();
    sendSleep(true);
    ASSERT_TRUE(waitFor([&] { return store.phase() == SessionPhase::paused; }));
    EXPECT_FALSE(watcher->holdsSleepInhibitor());
    EXPECT_TRUE(waitFor([&] { return logind.inhibitorReleased(); })) << "logind may now suspend";
    h.clock.t = h.clock.t.addSecs(8 * 3600);
    sendSleep(false);
    ASSERT_TRUE(waitFor([&] { return explained(store); }));
    EXPECT_EQ(store.remainingSeconds(), left);

    // Resumed by the user: held again; the round's end lets it go.
    store.togglePause();
    ASSERT_TRUE(waitFor([&] { return watcher->holdsSleepInhibitor(); }));
    store.finishSession(false);
    EXPECT_FALSE(watcher->holdsSleepInhibitor());
    EXPECT_TRUE(waitFor([&] { return logind.inhibitorReleased(); }));
}

TEST_F(LockWatching, SwitchedOffNothingHappensSwitchedOnEitherScreenSaverPauses)
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

    // Switched on, the freedesktop screensaver's signal works alone too.
    h.edit([](AppSettings &s) { s.pauseOnLock = true; });
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


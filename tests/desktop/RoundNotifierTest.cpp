#include "PrivateBus.h"
#include "desktop/RoundNotifier.h"
#include "StoreHarness.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTest>

using namespace tessary;
using tessary::fakes::PrivateBus;
using tessary::fakes::StoreHarness;

namespace {

// A notification server that remembers what it was asked.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Shown {
        QString appName, icon, summary, body;
        QStringList actions;
        QVariantMap hints;
    };
    QList<Shown> shown;
    QList<uint> closed;

public slots:
    uint Notify(const QString &appName, uint, const QString &icon, const QString &summary, const QString &body,
                const QStringList &actions, const QVariantMap &hints, int)
    {
        shown.append({appName, icon, summary, body, actions, hints});
        return uint(41 + shown.size());
    }
    void CloseNotification(uint id) { closed.append(id); }
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }

signals:
    void ActionInvoked(uint id, const QString &action);
    void NotificationClosed(uint id, uint reason);
};

// A store whose rounds last a minute, and a private bus with no notification server yet.
class RoundNotifier : public ::testing::Test {
protected:
    PrivateBus bus;
    StoreHarness h;
    AppStore &store = h.openWith(1, 60, 60);

    void SetUp() override
    {
        if (bus.address.isEmpty())
            GTEST_SKIP() << "no dbus-daemon here";
    }
    void runOut()
    {
        store.startSession();
        h.advance(60.3);
        EXPECT_EQ(store.phase(), SessionPhase::completed);
    }
};

} // namespace

TEST_F(RoundNotifier, ARoundThatRunsOutInTheBackgroundIsAnnouncedAndWithdrawnAfterTheReview)
{
    QDBusConnection server = bus.connect(QStringLiteral("server"));
    FakeNotifications fake;
    ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &fake,
                                      QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
    ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.Notifications")));
    bool active = false;
    int shown = 0;
    desktop::RoundNotifier notifier(bus.connect(QStringLiteral("app")), store, [&active] { return active; },
                                    [&shown] { ++shown; });

    // Ended by hand: the user is there, nothing is announced.
    store.startSession();
    store.finishSession(false);
    store.abandonSession();
    QTest::qWait(200);
    EXPECT_TRUE(fake.shown.isEmpty());

    runOut();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fake.shown.size() == 1; }, 5000));
    const auto &n = fake.shown[0];
    const QString entry = n.hints.value(QStringLiteral("desktop-entry")).toString();
    EXPECT_EQ(QStringList({n.appName, n.icon, n.summary, n.body, entry}),
              QStringList({QStringLiteral("汀禾"), QStringLiteral("io.github.tessary.Tessary"), QStringLiteral("这一轮结束了"),
                           QStringLiteral("1 分钟净专注，花一分钟复盘。"), QStringLiteral("io.github.tessary.Tessary")}));
    EXPECT_TRUE(n.actions.contains(QStringLiteral("去复盘")));

    // Another notification's action is not ours; ours shows the main window.
    for (uint id : {7u, 42u}) {
        QDBusMessage invoked = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                          QStringLiteral("org.freedesktop.Notifications"),
                                                          QStringLiteral("ActionInvoked"));
        server.send(invoked << id << QStringLiteral("review"));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown == 1; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(shown, 1);

    store.saveCompletion(4, 3, QString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return fake.closed == QList<uint>{42}; }, 5000));

    // With the main window active the round's end is seen where it happens.
    active = true;
    runOut();
    QTest::qWait(200);
    EXPECT_EQ(fake.shown.size(), 1);
    store.abandonSession();

    // A discarded review withdraws it too.
    active = false;
    runOut();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fake.shown.size() == 2; }, 5000));
    store.abandonSession();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fake.closed.size() == 2; }, 5000));
    EXPECT_EQ(fake.closed.back(), 43u);
}

TEST_F(RoundNotifier, WithoutANotificationServerNothingFails)
{
    desktop::RoundNotifier notifier(bus.connect(QStringLiteral("app")), store, [] { return false; }, [] {});
    runOut();
    QTest::qWait(300);
    EXPECT_EQ(store.phase(), SessionPhase::completed);
    store.saveCompletion(4, 3, QString());
    QTest::qWait(100);
    EXPECT_EQ(store.phase(), SessionPhase::idle);
    EXPECT_EQ(store.sessions().size(), 1);
}

#include "RoundNotifierTest.moc"

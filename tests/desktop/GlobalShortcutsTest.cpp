#include "PrivateBus.h"
#include "desktop/GlobalShortcuts.h"

#include <gtest/gtest.h>

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QTest>
#include <QTimer>

#include <optional>

using namespace tessary;
using tessary::fakes::PrivateBus;
using tessary::desktop::PortalShortcut;

namespace {

// The portal's GlobalShortcuts interface: each request answers with a Response signal on the
// request path the caller predicted, as xdg-desktop-portal does.
class FakePortal : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)
public:
    explicit FakePortal(QDBusConnection &bus) : m_bus(bus) {}
    uint version() const { return 1; }

    QStringList known;               // ids the desktop already has for this app
    QList<PortalShortcut> bound;      // what BindShortcuts was given
    int bindCalls = 0;
    uint bindResponse = 0;
    QString registeredAppId;  // what the host registry had been told when the session was made
    QString sessionAppId;
    const QString session = QStringLiteral("/org/freedesktop/portal/desktop/session/1_9/tessary");

    void activate(const QString &sessionPath, const QString &id)
    {
        QDBusMessage m = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/portal/desktop"),
                                                    QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
                                                    QStringLiteral("Activated"));
        m << QVariant::fromValue(QDBusObjectPath(sessionPath)) << id << qulonglong(1234) << QVariantMap();
        m_bus.send(m);
    }

public slots:
    QDBusObjectPath CreateSession(const QVariantMap &options)
    {
        sessionAppId = registeredAppId;
        return respond(options, 0, {{QStringLiteral("session_handle"), session}});
    }
    QDBusObjectPath ListShortcuts(const QDBusObjectPath &, const QVariantMap &options)
    {
        QList<PortalShortcut> list;
        for (const QString &id : known)
            list.append({id, {{QStringLiteral("description"), id}, {QStringLiteral("trigger_description"), QStringLiteral("Ctrl+Alt+P")}}});
        return respond(options, 0, {{QStringLiteral("shortcuts"), QVariant::fromValue(list)}});
    }
    // Spelled out in full: the D-Bus adaptor finds the argument's type by the name moc records.
    QDBusObjectPath BindShortcuts(const QDBusObjectPath &, const QList<tessary::desktop::PortalShortcut> &shortcuts,
                                  const QString &, const QVariantMap &options)
    {
        ++bindCalls;
        bound = shortcuts;
        return respond(options, bindResponse, {});
    }

private:
    QDBusObjectPath respond(const QVariantMap &options, uint response, const QVariantMap &results)
    {
        QString sender = message().service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/") + sender + QLatin1Char('/')
            + options.value(QStringLiteral("handle_token")).toString();
        // After the method's own reply, like the real portal.
        QTimer::singleShot(10, this, [this, path, response, results] {
            QDBusMessage m = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"),
                                                        QStringLiteral("Response"));
            m << response << results;
            m_bus.send(m);
        });
        return QDBusObjectPath(path);
    }
    QDBusConnection &m_bus;
};

// The host registry, a second interface on the portal's object.
class FakeRegistry : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.host.portal.Registry")
public:
    explicit FakeRegistry(FakePortal *portal) : QDBusAbstractAdaptor(portal), m_portal(portal) {}
public slots:
    void Register(const QString &appId, const QVariantMap &) { m_portal->registeredAppId = appId; }

private:
    FakePortal *m_portal;
};

const QStringList kOurIds{QStringLiteral("start"), QStringLiteral("toggle-pause"), QStringLiteral("mind-wander"),
                          QStringLiteral("fatigue"), QStringLiteral("end"), QStringLiteral("show")};

// The fake portal on a private bus.
class GlobalShortcuts : public ::testing::Test {
protected:
    PrivateBus bus;
    QDBusConnection server{bus.connect(QStringLiteral("portal"))};
    FakePortal portal{server};

    void SetUp() override
    {
        if (bus.address.isEmpty())
            GTEST_SKIP() << "no dbus-daemon here";
        // The app registers the struct's D-Bus type; the fake needs it before exporting slots that take it.
        desktop::GlobalShortcuts registersTypes(QDBusConnection(QString()), {});
        ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                                          QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
        ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
    }
};

// Starts the shortcuts and waits for their bindingFinished; nothing when it never came.
std::optional<bool> startAndWait(desktop::GlobalShortcuts &shortcuts)
{
    std::optional<bool> result;
    QObject::connect(&shortcuts, &desktop::GlobalShortcuts::bindingFinished, [&](bool ok) { result = ok; });
    shortcuts.start();
    return QTest::qWaitFor([&] { return result.has_value(); }, 5000) ? result : std::nullopt;
}

} // namespace

TEST_F(GlobalShortcuts, BindsTheRoundControlsAndRunsThemOnActivation)
{
    // A portal with the host registry; the next test's has none, as Debian 12's.
    new FakeRegistry(&portal);
    server.unregisterObject(QStringLiteral("/org/freedesktop/portal/desktop"));
    ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                                      QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties
                                          | QDBusConnection::ExportAdaptors));
    QList<QByteArray> ran;
    desktop::GlobalShortcuts shortcuts(bus.connect(QStringLiteral("app")),
                                       [&ran](const QByteArray &c) { ran.append(c); });
    EXPECT_EQ(startAndWait(shortcuts), true);
    EXPECT_EQ(shortcuts.sessionHandle(), portal.session);
    // Registered first, so the desktop files the shortcuts under our entry.
    EXPECT_EQ(portal.sessionAppId, QStringLiteral("io.github.tessary.Tessary"));
    ASSERT_EQ(portal.bindCalls, 1);
    QStringList ids;
    for (const PortalShortcut &s : portal.bound) {
        ids.append(s.id);
        EXPECT_FALSE(s.options.value(QStringLiteral("description")).toString().isEmpty()) << s.id.toStdString();
    }
    EXPECT_EQ(ids, kOurIds); // the command line's names, so one dispatch serves both

    // Ours run; another app's session and ids we never offered do not.
    portal.activate(portal.session, QStringLiteral("mind-wander"));
    portal.activate(QStringLiteral("/org/freedesktop/portal/desktop/session/1_7/other"), QStringLiteral("fatigue"));
    portal.activate(portal.session, QStringLiteral("quit"));
    portal.activate(portal.session, QStringLiteral("toggle-pause"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ran.size() == 2; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(ran, (QList<QByteArray>{"mind-wander", "toggle-pause"}));
}

TEST_F(GlobalShortcuts, KnownShortcutsAreNotBoundAgainAndARefusalOrNoPortalFailsQuietly)
{
    // Also: a portal without the host registry is used all the same.
    {
        // The desktop kept them from last time: no second dialog.
        portal.known = kOurIds;
        desktop::GlobalShortcuts shortcuts(bus.connect(QStringLiteral("app1")), [](const QByteArray &) {});
        EXPECT_EQ(startAndWait(shortcuts), true);
        EXPECT_EQ(portal.bindCalls, 0);
    }
    {
        // One is missing: bind; the user cancels the dialog.
        portal.known.removeLast();
        portal.bindResponse = 1;
        desktop::GlobalShortcuts shortcuts(bus.connect(QStringLiteral("app2")), [](const QByteArray &) {});
        EXPECT_EQ(startAndWait(shortcuts), false);
        EXPECT_EQ(portal.bindCalls, 1);
        EXPECT_FALSE(shortcuts.isBound());
    }
    {
        // A bus without the portal, and no bus at all.
        PrivateBus empty;
        int ran = 0;
        desktop::GlobalShortcuts none(empty.connect(QStringLiteral("app3")), [&ran](const QByteArray &) { ++ran; });
        none.start();
        desktop::GlobalShortcuts noBus(QDBusConnection(QString()), [&ran](const QByteArray &) { ++ran; });
        noBus.start();
        QTest::qWait(300);
        EXPECT_TRUE(none.sessionHandle().isEmpty());
        EXPECT_EQ(ran, 0);
    }
}

#include "GlobalShortcutsTest.moc"

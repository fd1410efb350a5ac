#include "PrivateBus.h"
#include "desktop/GlobalShortcuts.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
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
    QDBusObjectPath BindShortcuts(const QDBusObjectPath &, const QList<tessary::desktop::PortalShortcut> &shortcuts, const QString &,
                                  const QVariantMap &options)
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

struct Portal {
    PrivateBus bus;
    QDBusConnection server{bus.connect(QStringLiteral("portal"))};
    FakePortal portal{server};
    bool start()
    {
        if (bus.address.isEmpty())
            return false;
        // The app registers the struct's D-Bus type; the fake needs it before exporting slots that take it.
        desktop::GlobalShortcuts registersTypes(QDBusConnection(QString()), {});
        return server.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                                     QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties)
            && server.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
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

TEST(GlobalShortcuts, BindsTheRoundControlsAndRunsThemOnActivation)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    Portal p;
    if (!p.start())
        GTEST_SKIP() << "no dbus-daemon here";
    QList<QByteArray> ran;
    desktop::GlobalShortcuts shortcuts(p.bus.connect(QStringLiteral("app")), [&ran](const QByteArray &c) { ran.append(c); });
    EXPECT_EQ(startAndWait(shortcuts), true);
    EXPECT_EQ(shortcuts.sessionHandle(), p.portal.session);
    ASSERT_EQ(p.portal.bindCalls, 1);
    QStringList ids;
    for (const PortalShortcut &s : p.portal.bound) {
        ids.append(s.id);
        EXPECT_FALSE(s.options.value(QStringLiteral("description")).toString().isEmpty()) << s.id.toStdString();
    }
    EXPECT_EQ(ids, (QStringList{QStringLiteral("start"), QStringLiteral("toggle-pause"), QStringLiteral("mind-wander"), QStringLiteral("fatigue"),
                                QStringLiteral("end"), QStringLiteral("show")}));

    // Ours run; another app's session and ids we never offered do not.
    p.portal.activate(p.portal.session, QStringLiteral("mind-wander"));
    p.portal.activate(QStringLiteral("/org/freedesktop/portal/desktop/session/1_7/other"), QStringLiteral("fatigue"));
    p.portal.activate(p.portal.session, QStringLiteral("quit"));
    p.portal.activate(p.portal.session, QStringLiteral("toggle-pause"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ran.size() == 2; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(ran, (QList<QByteArray>{"mind-wander", "toggle-pause"}));
}

TEST(GlobalShortcuts, KnownShortcutsAreNotBoundAgainAndARefusalOrNoPortalFailsQuietly)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    Portal p;
    if (!p.start())
        GTEST_SKIP() << "no dbus-daemon here";
    {
        // The desktop kept them from last time: no second dialog.
        p.portal.known = {QStringLiteral("start"), QStringLiteral("toggle-pause"), QStringLiteral("mind-wander"), QStringLiteral("fatigue"),
                          QStringLiteral("end"), QStringLiteral("show")};
        desktop::GlobalShortcuts shortcuts(p.bus.connect(QStringLiteral("app1")), [](const QByteArray &) {});
        EXPECT_EQ(startAndWait(shortcuts), true);
        EXPECT_EQ(p.portal.bindCalls, 0);
    }
    {
        // One is missing: bind; the user cancels the dialog.
        p.portal.known.removeLast();
        p.portal.bindResponse = 1;
        desktop::GlobalShortcuts shortcuts(p.bus.connect(QStringLiteral("app2")), [](const QByteArray &) {});
        EXPECT_EQ(startAndWait(shortcuts), false);
        EXPECT_EQ(p.portal.bindCalls, 1);
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

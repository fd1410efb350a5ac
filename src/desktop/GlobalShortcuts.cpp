#include "GlobalShortcuts.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QSet>

namespace tessary::desktop {

namespace {
const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
constexpr int kPortalTimeoutMs = 5000;

// The shortcut list inside a Response's results, whichever way the variant arrived.
QList<PortalShortcut> shortcutsIn(const QVariantMap &results)
{
    const QVariant v = results.value(QStringLiteral("shortcuts"));
    if (v.canConvert<QDBusArgument>())
        return qdbus_cast<QList<PortalShortcut>>(v.value<QDBusArgument>());
    return v.value<QList<PortalShortcut>>();
}
} // namespace

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.options;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.options;
    argument.endStructure();
    return argument;
}

GlobalShortcuts::GlobalShortcuts(QDBusConnection sessionBus, std::function<void(const QByteArray &)> run, QObject *parent)
    : QObject(parent), m_bus(std::move(sessionBus)), m_run(std::move(run))
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

QList<PortalShortcut> GlobalShortcuts::offered()
{
    // The ids are the command-line commands, so one dispatch serves both. No preferred keys:
    // the user picks them, and a suggestion could take one another program already uses.
    auto entry = [](const char *id, const QString &description) {
        return PortalShortcut{QString::fromLatin1(id), QVariantMap{{QStringLiteral("description"), description}}};
    };
    return {entry("start", QStringLiteral("开始一轮")), entry("toggle-pause", QStringLiteral("暂停或继续这一轮")), entry("mind-wander", QStringLiteral("我走神了")),
            entry("fatigue", QStringLiteral("我开始累了")), entry("end", QStringLiteral("结束这一轮并复盘")),
            entry("show", QStringLiteral("显示汀禾"))};
}

void GlobalShortcuts::start()
{
    if (!m_bus.isConnected())
        return;
    // A program outside a sandbox tells the portal who it is, so the desktop files the shortcuts
    // under our entry; it must come before any other portal call. Portals older than the
    // registry (Debian 12's) answer with an error and go by the entry the launcher used.
    QDBusMessage registration = QDBusMessage::createMethodCall(
        kPortal, kPortalPath, QStringLiteral("org.freedesktop.host.portal.Registry"), QStringLiteral("Register"));
    registration << QStringLiteral(TESSARY_APP_ID) << QVariantMap();
    auto *registered = new QDBusPendingCallWatcher(m_bus.asyncCall(registration, kPortalTimeoutMs), this);
    connect(registered, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        askVersion();
    });
    // Taken as a message: Qt matches typed slots to a signal's signature, and the portal's
    // arguments are read below whatever a desktop adds after them.
    m_bus.connect(kPortal, kPortalPath, kShortcutsInterface, QStringLiteral("Activated"), this,
                  SLOT(onActivated(QDBusMessage)));
}

void GlobalShortcuts::askVersion()
{
    // Only a portal that has the interface answers its version; otherwise we stop here quietly.
    QDBusMessage ask = QDBusMessage::createMethodCall(kPortal, kPortalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    ask << kShortcutsInterface << QStringLiteral("version");
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(ask, kPortalTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *w;
        if (reply.isError() || reply.value().variant().toUInt() < 1)
            return;
        createSession();
    });
}

QString GlobalShortcuts::requestPath(const QString &token) const
{
    // As the Request interface defines it: the sender's unique name without ':' and with '_' for '.'.
    QString sender = m_bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return kPortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

void GlobalShortcuts::call(const QString &method, const QList<QVariant> &arguments, const QString &token,
                           std::function<void(uint, const QVariantMap &)> onAnswer)
{
    // Listen on the request's path before asking, so an answer that comes at once is not missed.
    if (!m_pendingPath.isEmpty())
        m_bus.disconnect(kPortal, m_pendingPath, kRequest, QStringLiteral("Response"), this,
                         SLOT(onResponse(uint, QVariantMap)));
    m_pendingPath = requestPath(token);
    m_pendingAnswer = std::move(onAnswer);
    m_bus.connect(kPortal, m_pendingPath, kRequest, QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
    QDBusMessage message = QDBusMessage::createMethodCall(kPortal, kPortalPath, kShortcutsInterface, method);
    message.setArguments(arguments);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message, kPortalTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            m_pendingAnswer = {};
            emit bindingFinished(false);
        }
    });
}

void GlobalShortcuts::createSession()
{
    const QString token = QStringLiteral("tessary%1").arg(++m_tokens);
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("session_handle_token"), QStringLiteral("tessary")}};
    call(QStringLiteral("CreateSession"), {options}, token, [this](uint response, const QVariantMap &results) {
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        m_session = handle.canConvert<QDBusObjectPath>() && !handle.value<QDBusObjectPath>().path().isEmpty()
            ? handle.value<QDBusObjectPath>().path()
            : handle.toString();
        if (response != 0 || m_session.isEmpty()) {
            emit bindingFinished(false);
            return;
        }
        // Bind only what the desktop does not know yet: binding may open a dialog every time.
        const QString listToken = QStringLiteral("tessary%1").arg(++m_tokens);
        call(QStringLiteral("ListShortcuts"),
             {QVariant::fromValue(QDBusObjectPath(m_session)), QVariantMap{{QStringLiteral("handle_token"), listToken}}},
             listToken, [this](uint listed, const QVariantMap &listResults) {
                 QSet<QString> known;
                 if (listed == 0)
                     for (const PortalShortcut &s : shortcutsIn(listResults))
                         known.insert(s.id);
                 for (const PortalShortcut &s : offered())
                     if (!known.contains(s.id)) {
                         bind();
                         return;
                     }
                 m_bound = true;
                 emit bindingFinished(true);
             });
    });
}

void GlobalShortcuts::bind()
{
    const QString token = QStringLiteral("tessary%1").arg(++m_tokens);
    call(QStringLiteral("BindShortcuts"),
         {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(offered()), QString(),
          QVariantMap{{QStringLiteral("handle_token"), token}}},
         token, [this](uint response, const QVariantMap &) {
             m_bound = response == 0;
             emit bindingFinished(m_bound);
         });
}

void GlobalShortcuts::onResponse(uint response, const QVariantMap &results)
{
    auto answer = std::move(m_pendingAnswer);
    m_pendingAnswer = {};
    if (answer)
        answer(response, results);
}

void GlobalShortcuts::onActivated(const QDBusMessage &message)
{
    const QList<QVariant> args = message.arguments();
    if (m_session.isEmpty() || args.size() < 2 || args[0].value<QDBusObjectPath>().path() != m_session)
        return;
    const QString id = args[1].toString();
    for (const PortalShortcut &s : offered())
        if (s.id == id) {
            m_run(id.toLatin1());
            return;
        }
}

} // namespace tessary::desktop

#include "RoundNotifier.h"

#include "engine/AppStore.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace tessary::desktop {

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kReviewAction = QStringLiteral("review");
} // namespace

RoundNotifier::RoundNotifier(QDBusConnection bus, AppStore &store, std::function<bool()> mainWindowActive,
                             std::function<void()> showMainWindow, QObject *parent)
    : QObject(parent), m_bus(std::move(bus)), m_store(store), m_mainWindowActive(std::move(mainWindowActive)),
      m_showMainWindow(std::move(showMainWindow))
{
    connect(&m_store, &AppStore::roundRanOut, this, &RoundNotifier::announce);
    // The review ends by being saved or discarded: the round leaves its completed phase.
    connect(&m_store, &AppStore::phaseChanged, this, [this] {
        if (m_store.phase() != SessionPhase::completed)
            withdraw();
    });
    if (m_bus.isConnected()) {
        m_bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                      SLOT(onActionInvoked(uint, QString)));
        m_bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                      SLOT(onClosed(uint, uint)));
    }
}

QString RoundNotifier::bodyText(qint64 focusedSeconds)
{
    // Whole minutes, as the review sheet shows them.
    return QStringLiteral("%1 分钟净专注，花一分钟复盘。").arg(std::max<qint64>(focusedSeconds, 0) / 60);
}

void RoundNotifier::announce()
{
    if (!m_bus.isConnected() || (m_mainWindowActive && m_mainWindowActive()))
        return;
    withdraw(); // at most one of ours at a time
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    // The desktop entry's name without ".desktop", and the icon by the same name.
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral(TESSARY_APP_ID)},
                            {QStringLiteral("category"), QStringLiteral("presence")},
                            {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}};
    call << QStringLiteral("汀禾") << uint(0) << QStringLiteral(TESSARY_APP_ID) << QStringLiteral("这一轮结束了")
         << bodyText(m_store.focusedElapsedSeconds())
         << QStringList{QStringLiteral("default"), QStringLiteral("去复盘"), kReviewAction, QStringLiteral("去复盘")}
         << hints << int(-1);
    m_withdrawWhenShown = false;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, 3000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError())
            return; // no notification server: nothing shown, nothing lost
        m_id = reply.value();
        if (m_withdrawWhenShown)
            withdraw();
    });
}

void RoundNotifier::withdraw()
{
    if (m_id == 0) {
        m_withdrawWhenShown = true;
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("CloseNotification"));
    call << m_id;
    m_bus.asyncCall(call, 3000);
    m_id = 0;
    m_withdrawWhenShown = false;
}

void RoundNotifier::onActionInvoked(uint id, const QString &action)
{
    if (id == 0 || id != m_id)
        return;
    if (action == kReviewAction || action == QLatin1String("default"))
        m_showMainWindow();
}

void RoundNotifier::onClosed(uint id, uint)
{
    if (id != 0 && id == m_id)
        m_id = 0;
}

} // namespace tessary::desktop

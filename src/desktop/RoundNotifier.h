#pragma once

#include <QDBusConnection>
#include <QObject>

#include <functional>

namespace tessary {
class AppStore;
}

namespace tessary::desktop {

// A round that runs out while the main window is not the active window is announced with a
// desktop notification (org.freedesktop.Notifications) whose action "去复盘" brings the main
// window and its review forward. The notification is withdrawn once the review is saved or
// discarded. Without a notification server nothing is shown and nothing fails.
class RoundNotifier : public QObject {
    Q_OBJECT
public:
    RoundNotifier(QDBusConnection bus, AppStore &store, std::function<bool()> mainWindowActive,
                  std::function<void()> showMainWindow, QObject *parent = nullptr);

    // The body for a round of `focusedSeconds`: "<N> 分钟净专注，花一分钟复盘。"
    static QString bodyText(qint64 focusedSeconds);

private slots:
    void onActionInvoked(uint id, const QString &action);
    void onClosed(uint id, uint reason);

private:
    void announce();
    void withdraw();

    QDBusConnection m_bus;
    AppStore &m_store;
    std::function<bool()> m_mainWindowActive;
    std::function<void()> m_showMainWindow;
    uint m_id = 0; // the notification on screen, 0 when none
    bool m_withdrawWhenShown = false; // the review ended before the server gave us the id
};

} // namespace tessary::desktop

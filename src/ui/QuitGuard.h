#pragma once

#include <QObject>

#include <functional>

namespace tessary {
class AppStore;
}

namespace tessary::ui {

// Stands between every way of quitting (Ctrl+Q, the tray's 退出, the last window closing) and
// records that could not be saved: one more save first, and when the disk still refuses, the
// user is asked in the main window ("重试" / "仍然退出"). Quitting anyway, or a quit nobody can
// be asked about (a signal from the session), leaves the emergency copy to the store on the way
// out (AppStore::saveBeforeQuit on aboutToQuit).
class QuitGuard : public QObject {
    Q_OBJECT
public:
    // Watches the application's quit requests from now on.
    explicit QuitGuard(AppStore &store, QObject *parent = nullptr);

    // How to bring the main window forward; without it nobody is asked.
    void setShowWindow(std::function<void()> show) { m_showWindow = std::move(show); }

    Q_INVOKABLE void retry();
    Q_INVOKABLE void quitAnyway();

signals:
    // Ask the user: records are unsaved and a quit was requested.
    void confirmationRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    AppStore &m_store;
    std::function<void()> m_showWindow;
    bool m_letThrough = false;
};

} // namespace tessary::ui

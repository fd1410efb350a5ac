#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QQuickWindow>

#include <optional>

class QMenu;
class QQmlEngine;
class QSystemTrayIcon;

class QTimer;

namespace tessary {
class AppStore;
}
namespace tessary::updates {
class AppUpdater;
}

namespace tessary::ui {

class FloatingTimer;

Q_DECLARE_LOGGING_CATEGORY(lcStartup)

// Owns the application's surfaces: the main window, the floating countdown that stands in
// for it while it is minimised during a round, the tray icon with its popup and context
// menu. Main thread only.
class WindowController : public QObject {
    Q_OBJECT
public:
    WindowController(QQmlEngine &engine, AppStore &store, updates::AppUpdater &updater, QObject *parent = nullptr);
    ~WindowController() override;

    // Loads and shows the main window; false when the QML could not be loaded. In the
    // background (a start at login) the window stays hidden while a tray icon stands in for
    // it; a tray that has not appeared within a few seconds means there is none, and the
    // window shows after all.
    bool createMainWindow(bool inBackground = false);
    // Brings the main window back: shown, un-minimised, raised and activated.
    Q_INVOKABLE void showMainWindow();
    // "返回主窗口": the main window comes back and the panel closes; without a main
    // window nothing happens and the panel stays.
    void restoreMainWindow();
    QQuickWindow *mainWindow() const { return m_mainWindow; }
    // The icon theme's application icon (named by the application id) where one is installed,
    // else the copy inside the binary.
    static QIcon applicationIcon();
    FloatingTimer &floatingTimer() const { return *m_floating; }

private:
    // Opens or dismisses the floating countdown; `minimised` is the main window's new
    // state when a minimise or restore prompted the call.
    void updateFloatingTimerVisibility(std::optional<bool> minimised = std::nullopt);
    void trackMainWindow();
    bool createTray();
    void waitForTrayOrShow();
    void releaseMemory();
    void updateTrayIcon();
    void rebuildContextMenu();
    void togglePopup();
    void showAbout();

    QQmlEngine &m_engine;
    AppStore &m_store;
    updates::AppUpdater &m_updater;
    QPointer<QQuickWindow> m_mainWindow;
    QPointer<QQuickWindow> m_popup;
    bool m_popupWasActive = false;
    QElapsedTimer m_popupClosedByFocusLoss;
    FloatingTimer *m_floating;
    QTimer *m_memoryRelease;
    bool m_mainWindowMinimised = false;
    QSystemTrayIcon *m_tray = nullptr;
    QMenu *m_menu = nullptr;
};

} // namespace tessary::ui

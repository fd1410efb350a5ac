#pragma once

#include <QLoggingCategory>
#include <QObject>
#include <QPointer>

class QMenu;
class QQmlEngine;
#include <QQuickWindow>
class QSystemTrayIcon;

namespace tessary {
class AppStore;
}
namespace tessary::updates {
class AppUpdater;
}

namespace tessary::ui {

Q_DECLARE_LOGGING_CATEGORY(lcStartup)

// Owns the application's surfaces: the main window, the tray icon with its popup
// and context menu. Main thread only.
class WindowController : public QObject {
    Q_OBJECT
public:
    WindowController(QQmlEngine &engine, AppStore &store, updates::AppUpdater &updater, QObject *parent = nullptr);
    ~WindowController() override;

    // Loads and shows the main window; false when the QML could not be loaded.
    bool createMainWindow();
    // Brings the main window back: shown, un-minimised, raised and activated.
    Q_INVOKABLE void showMainWindow();
    QQuickWindow *mainWindow() const { return m_mainWindow; }

private:
    void createTray();
    void updateTrayIcon();
    void rebuildContextMenu();
    void togglePopup();
    void showAbout();

    QQmlEngine &m_engine;
    AppStore &m_store;
    updates::AppUpdater &m_updater;
    QPointer<QQuickWindow> m_mainWindow;
    QPointer<QQuickWindow> m_popup;
    QSystemTrayIcon *m_tray = nullptr;
    QMenu *m_menu = nullptr;
};

} // namespace tessary::ui

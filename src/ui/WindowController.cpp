#include "WindowController.h"

#include "FloatingTimer.h"
#include "ViewText.h"
#include "desktop/InstallLayout.h"
#include "engine/AppStore.h"
#include "records/Log.h"
#include "records/Persistence.h"
#include "updates/AppUpdater.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>

#include <malloc.h>

namespace tessary::ui {

Q_LOGGING_CATEGORY(lcStartup, "tessary.startup", QtWarningMsg)
// One line per drawn frame of the main window, for the idle benchmark: "tessary.frames=true".
Q_LOGGING_CATEGORY(lcFrames, "tessary.frames", QtWarningMsg)

namespace {
// Our leaf mark, outlined while idle and filled while a round runs: by name from the icon theme
// where the panel draws symbolic icons in its own colour and ours are installed, otherwise
// tinted at build time.
QIcon trayIcon(bool active)
{
    static const bool symbolic =
        desktop::prefersSymbolicTrayIcons(qEnvironmentVariable("XDG_CURRENT_DESKTOP"))
        && QIcon::hasThemeIcon(QStringLiteral(TESSARY_APP_ID "-symbolic"));
    if (symbolic)
        return QIcon::fromTheme(active ? QStringLiteral(TESSARY_APP_ID "-symbolic")
                                       : QStringLiteral(TESSARY_APP_ID "-idle-symbolic"));
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64})
        icon.addFile(QStringLiteral(":/icons/tray/leaf-%1-%2.png").arg(active ? "active" : "idle").arg(size),
                     QSize(size, size));
    return icon;
}
} // namespace

QIcon WindowController::applicationIcon()
{
    QIcon fallback;
    for (int size : {32, 64, 128, 256})
        fallback.addFile(QStringLiteral(":/icons/theme/hicolor/%1x%1/apps/" TESSARY_APP_ID ".png").arg(size),
                         QSize(size, size));
    return QIcon::fromTheme(QStringLiteral(TESSARY_APP_ID), fallback);
}

WindowController::WindowController(QQmlEngine &engine, AppStore &store, updates::AppUpdater &updater, QObject *parent)
    : QObject(parent), m_engine(engine), m_store(store), m_updater(updater), m_floating(new FloatingTimer(engine, this)),
      m_memoryRelease(new QTimer(this))
{
    connect(m_floating, &FloatingTimer::restoreRequested, this, &WindowController::restoreMainWindow);
    // After a screen is left or the window hidden, once the unloaded items have been deleted.
    m_memoryRelease->setSingleShot(true);
    m_memoryRelease->setInterval(1500);
    connect(m_memoryRelease, &QTimer::timeout, this, &WindowController::releaseMemory);
    connect(&m_store, &AppStore::selectedSectionChanged, m_memoryRelease, qOverload<>(&QTimer::start));
    // Opening an open panel or dismissing a closed one does nothing, so the rule can run on
    // every change of what it reads.
    connect(&m_store, &AppStore::phaseChanged, this, [this] { updateFloatingTimerVisibility(); });
    connect(&m_store, &AppStore::settingsChanged, this, [this] { updateFloatingTimerVisibility(); });
}

void WindowController::releaseMemory()
{
    // A day in the tray should not keep a screen's worth of items, scripts and textures: the
    // unloaded items are gone by now (deleted from the event loop), so their script objects can
    // be collected, the hidden window's scene graph dropped, and the freed heap given back.
    m_engine.collectGarbage();
    if (m_mainWindow && !m_mainWindow->isVisible())
        m_mainWindow->releaseResources();
    malloc_trim(0);
}

WindowController::~WindowController()
{
    // Windows made from QML go before the engine that made them.
    m_floating->dismiss();
    delete m_menu;
    delete m_popup;
    delete m_mainWindow;
}

bool WindowController::createMainWindow(bool inBackground)
{
    QQmlComponent component(&m_engine, QUrl(QStringLiteral("qrc:/qt/qml/Tessary/Ui/qml/app/MainWindow.qml")));
    QObject *object = inBackground ? component.createWithInitialProperties({{QStringLiteral("visible"), false}})
                                   : component.create();
    m_mainWindow = qobject_cast<QQuickWindow *>(object);
    if (!m_mainWindow) {
        qCWarning(lcTessary).noquote() << "Tessary main window failed to load:" << component.errorString();
        delete object;
        return false;
    }
    m_mainWindow->setParent(nullptr);
    m_mainWindow->setObjectName(QLatin1String(kMainWindowName));
    trackMainWindow();
    // For start-up measurements: QT_LOGGING_RULES="tessary.startup=true". It names the platform
    // (xcb through XWayland, or wayland, in a Wayland session) and the renderer that drew it.
    connect(m_mainWindow, &QQuickWindow::frameSwapped, this, [this] {
        static bool reported = false;
        if (!reported) {
            reported = true;
            const auto api = m_mainWindow->rendererInterface()->graphicsApi();
            const char *renderer = api == QSGRendererInterface::Software ? "software"
                                   : api == QSGRendererInterface::OpenGL ? "OpenGL"
                                                                         : "other";
            qCInfo(lcStartup).noquote()
                << QStringLiteral("first frame on %1, renderer: %2").arg(QGuiApplication::platformName(), renderer);
        }
    });
    if (lcFrames().isInfoEnabled())
        connect(m_mainWindow, &QQuickWindow::frameSwapped, this, [] { qCInfo(lcFrames).noquote() << "frame"; });
    if (!createTray() && inBackground)
        waitForTrayOrShow();
    return true;
}

void WindowController::waitForTrayOrShow()
{
    // At login the panel may start after us; a few seconds tell a late tray from none.
    constexpr int kChecks = 20;
    constexpr int kIntervalMs = 500;
    auto *timer = new QTimer(this);
    timer->setInterval(kIntervalMs);
    connect(timer, &QTimer::timeout, this, [this, timer, checks = 0]() mutable {
        if (createTray()) {
            timer->deleteLater();
        } else if (++checks >= kChecks) {
            timer->deleteLater();
            showMainWindow();
        }
    });
    timer->start();
}

void WindowController::showMainWindow()
{
    if (!m_mainWindow)
        return;
    if (m_mainWindow->visibility() == QWindow::Minimized || m_mainWindow->visibility() == QWindow::Hidden)
        m_mainWindow->showNormal();
    else
        m_mainWindow->show();
    m_mainWindow->raise();
    m_mainWindow->requestActivate();
}

void WindowController::trackMainWindow()
{
    connect(m_mainWindow, &QWindow::windowStateChanged, this, [this](Qt::WindowState state) {
        const bool minimised = state == Qt::WindowMinimized;
        if (minimised == m_mainWindowMinimised)
            return;
        m_mainWindowMinimised = minimised;
        updateFloatingTimerVisibility(minimised);
    });
    // Closed (to the tray): the panel goes with it, and so does what the screens held.
    connect(m_mainWindow, &QWindow::visibleChanged, this, [this](bool visible) {
        if (!visible) {
            m_floating->dismiss();
            m_memoryRelease->start();
        }
    });
}

void WindowController::updateFloatingTimerVisibility(std::optional<bool> minimised)
{
    const AppSettings &s = m_store.settings();
    if (floatingTimerVisible(minimised.value_or(m_mainWindowMinimised), m_store.isSessionActive(),
                             s.floatingTimerOnMinimize, s.floatingSignalButtons))
        m_floating->open();
    else
        m_floating->dismiss();
}

void WindowController::restoreMainWindow()
{
    auto *window = qobject_cast<QQuickWindow *>(resolveMainWindow(m_mainWindow, QGuiApplication::topLevelWindows()));
    if (!window)
        return;
    if (window != m_mainWindow) {
        m_mainWindow = window;
        trackMainWindow();
    }
    window->setObjectName(QLatin1String(kMainWindowName));
    showMainWindow();
    m_floating->dismiss();
}

bool WindowController::createTray()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return false; // without a tray, closing the main window quits as usual
    QApplication::setQuitOnLastWindowClosed(false);
    m_tray = new QSystemTrayIcon(this);
    m_menu = new QMenu();
    connect(m_menu, &QMenu::aboutToShow, this, &WindowController::rebuildContextMenu);
    rebuildContextMenu();
    m_tray->setContextMenu(m_menu);
    m_tray->setToolTip(QStringLiteral("汀禾"));
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            togglePopup();
    });
    connect(&m_store, &AppStore::phaseChanged, this, &WindowController::updateTrayIcon);
    updateTrayIcon();
    m_tray->show();
    return true;
}

void WindowController::updateTrayIcon()
{
    if (!m_tray)
        return;
    m_tray->setIcon(trayIcon(m_store.isSessionActive()));
}

void WindowController::rebuildContextMenu()
{
    m_menu->clear();
    const QString mode = menuBarMode(m_store.phase());
    if (mode == QLatin1String("start")) {
        m_menu->addAction(QStringLiteral("开始 %1 分钟").arg(m_store.settings().selectedDurationMinutes), &m_store,
                          [this] { m_store.startSession(); });
    } else if (mode == QLatin1String("review")) {
        // A pending review is finished first; a new round never starts under it.
        m_menu->addAction(QStringLiteral("回到复盘"), this, &WindowController::showMainWindow);
    } else if (mode == QLatin1String("break")) {
        m_menu->addAction(QStringLiteral("现在继续"), &m_store, [this] {
            if (m_store.phase() == SessionPhase::microBreak)
                m_store.resumeAfterMicroBreak();
        });
    } else {
        m_menu->addAction(m_store.phase() == SessionPhase::paused ? QStringLiteral("继续") : QStringLiteral("暂停"),
                          &m_store, [this] { m_store.togglePause(); });
        m_menu->addAction(QStringLiteral("我走神了"), &m_store, [this] { m_store.recordMindWander(); });
    }
    m_menu->addSeparator();
    m_menu->addAction(m_store.isAmbientPlaying() ? QStringLiteral("暂停环境音") : QStringLiteral("播放环境音"), &m_store,
                      [this] { m_store.toggleAmbientPlayback(); });
    m_menu->addAction(QStringLiteral("显示汀禾"), this, &WindowController::showMainWindow);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("关于汀禾"), this, &WindowController::showAbout);
    // The offer and the outcome appear in the main window, so it comes forward first.
    QAction *check = m_menu->addAction(QStringLiteral("检查更新…"), this, [this] {
        showMainWindow();
        m_updater.checkForUpdates();
    });
    check->setEnabled(m_updater.canCheckForUpdates());
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("退出汀禾"), qApp, &QCoreApplication::quit);
}

void WindowController::showAbout()
{
    QMessageBox::about(nullptr, QStringLiteral("关于汀禾"),
                       QStringLiteral("汀禾（Tessary）%1\n注意力训练：只算净专注的计时、随机微休息、一键记录走神与疲劳。\n\n"
                                      "全部记录只保存在这台电脑：\n%2\n\n以 MIT 许可发布。")
                           .arg(m_updater.currentVersion(), QDir::toNativeSeparators(Persistence::dataFilePath())));
}

void WindowController::togglePopup()
{
    if (m_popup && m_popup->isVisible()) {
        m_popup->hide();
        return;
    }
    // The click on the tray icon that took focus from the open popup closed it already.
    if (m_popupClosedByFocusLoss.isValid() && m_popupClosedByFocusLoss.elapsed() < 400)
        return;

    if (!m_popup) {
        QQmlComponent component(&m_engine, QUrl(QStringLiteral("qrc:/qt/qml/Tessary/Ui/qml/app/MenuBarView.qml")));
        auto *item = qobject_cast<QQuickItem *>(component.create());
        if (!item) {
            qCWarning(lcTessary).noquote() << "Tessary tray popup failed to load:" << component.errorString();
            return;
        }
        m_popup = new QQuickWindow();
        // A tool window rather than a Qt popup: a screen reader sees no popup window of Qt
        // Quick, and this one closes itself when it loses focus (a click anywhere else).
        m_popup->setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        m_popup->setTitle(QStringLiteral("汀禾托盘菜单"));
        connect(m_popup, &QWindow::activeChanged, this, [this] {
            if (m_popup->isActive())
                m_popupWasActive = true;
            else if (m_popupWasActive && m_popup->isVisible()) {
                m_popup->hide();
                m_popupClosedByFocusLoss.start();
            }
        });
        connect(m_popup, &QWindow::visibleChanged, this, [this](bool visible) {
            if (!visible)
                m_popupWasActive = false;
        });
        m_popup->setColor(Qt::transparent);
        item->setParentItem(m_popup->contentItem());
        m_popup->resize(int(item->width()), int(item->implicitHeight()));
        connect(item, &QQuickItem::implicitHeightChanged, m_popup, [this, item] { m_popup->resize(int(item->width()), int(item->implicitHeight())); });
        connect(item, SIGNAL(showMainWindowRequested()), this, SLOT(showMainWindow()));
        connect(item, SIGNAL(showMainWindowRequested()), m_popup, SLOT(hide()));
        connect(item, SIGNAL(closeRequested()), m_popup, SLOT(hide()));
    }
    // Beside the tray icon, kept on the screen.
    QPoint at = QCursor::pos() - QPoint(m_popup->width() / 2, 0);
    if (const QScreen *screen = QGuiApplication::screenAt(QCursor::pos())) {
        const QRect area = screen->availableGeometry();
        at.setX(std::clamp(at.x(), area.left(), area.right() - m_popup->width()));
        at.setY(std::clamp(at.y() + 12, area.top(), area.bottom() - m_popup->height()));
    }
    m_popup->setPosition(at);
    m_popup->show();
    m_popup->requestActivate();
}

} // namespace tessary::ui

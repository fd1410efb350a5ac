// The floating countdown as the desktop sees it: the real window controller on a real X
// server with a window manager (run-under-x11.sh), driven and inspected from outside with
// xdotool, xprop and xwininfo, the way a user's clicks and the window manager reach it.

#include "desktop/Autostart.h"
#include "desktop/LockWatcher.h"
#include "StoreHarness.h"
#include "ui/FloatingTimer.h"
#include "ui/QmlSetup.h"
#include "ui/WindowController.h"
#include "updates/AppUpdater.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest/QTest>

#include <memory>

using namespace tessary;

namespace {

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(10000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QString hex(WId id) { return QStringLiteral("0x%1").arg(id, 0, 16); }

// The mapped window with this exact title, or 0.
WId mappedWindow(const QString &title)
{
    const QStringList ids = run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                            QStringLiteral("--name"), QLatin1Char('^') + title + QLatin1Char('$')})
                                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return ids.isEmpty() ? 0 : ids.front().toULongLong();
}

QString property(WId id, const char *name) { return run(QStringLiteral("xprop"), {QStringLiteral("-id"), hex(id), QLatin1String(name)}); }

// Width, height and map state as xwininfo reports them.
struct WinInfo {
    int x = 0, y = 0, width = 0, height = 0;
    QString mapState;
};
WinInfo winInfo(WId id)
{
    WinInfo info;
    for (const QString &line : run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), hex(id)}).split(QLatin1Char('\n'))) {
        const QString l = line.trimmed();
        auto value = [&](const char *key) { return l.mid(int(qstrlen(key))).trimmed(); };
        if (l.startsWith(QLatin1String("Absolute upper-left X:")))
            info.x = value("Absolute upper-left X:").toInt();
        else if (l.startsWith(QLatin1String("Absolute upper-left Y:")))
            info.y = value("Absolute upper-left Y:").toInt();
        else if (l.startsWith(QLatin1String("Width:")))
            info.width = value("Width:").toInt();
        else if (l.startsWith(QLatin1String("Height:")))
            info.height = value("Height:").toInt();
        else if (l.startsWith(QLatin1String("Map State:")))
            info.mapState = value("Map State:");
    }
    return info;
}

const QString kPanelTitle = QStringLiteral("汀禾倒计时");

// One application for the whole binary: QML singletons are registered once per process.
struct App {
    fakes::StoreHarness h;
    AppStore *store = nullptr;
    std::unique_ptr<updates::AppUpdater> updater;
    std::unique_ptr<QQmlEngine> engine;
    std::unique_ptr<ui::WindowController> windows;
};
App *g_app = nullptr;

class FloatingWindow : public ::testing::Test {
protected:
    AppStore &store() { return *g_app->store; }
    ui::WindowController &windows() { return *g_app->windows; }
    QQuickWindow &mainWindow() { return *windows().mainWindow(); }
    WId mainId() { return mainWindow().winId(); }

    void SetUp() override
    {
        // Every case starts from a shown main window, no round and the default sections.
        if (store().isSessionActive())
            store().abandonSession();
        AppSettings s = store().settings();
        s.floatingTimerOnMinimize.reset();
        s.floatingSignalButtons.reset();
        store().setSettings(s);
        windows().showMainWindow();
        // Active, not only mapped: an activation still on its way would undo the next minimise.
        ASSERT_TRUE(QTest::qWaitFor([&] { return activeWindow() == mainId() && !panel(); }, 5000));
        QTest::qWait(100);
    }

    WId panel() { return mappedWindow(kPanelTitle); }
    WId activeWindow() { return run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}).toULongLong(); }

    // As the window manager's own minimise button would.
    void minimiseMain()
    {
        run(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), hex(mainId())});
        ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow().windowState() == Qt::WindowMinimized; }, 5000))
            << "the window manager did not minimise the main window: " << property(mainId(), "WM_STATE").toStdString() << " "
            << property(mainId(), "_NET_WM_STATE").toStdString() << " Qt state " << int(mainWindow().windowState());
    }
    // As a click on its taskbar entry would.
    void restoreMainFromOutside()
    {
        run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), hex(mainId())});
        ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow().windowState() != Qt::WindowMinimized; }, 5000));
    }
    bool waitForPanel(bool shown) { return QTest::qWaitFor([&] { return (panel() != 0) == shown; }, 5000); }
    bool waitForPanelSize(int w, int h)
    {
        return QTest::qWaitFor([&] {
            const WinInfo info = winInfo(panel());
            return info.width == w && info.height == h;
        }, 5000);
    }

    // A real click at the centre of one of the panel's buttons.
    void clickPanelButton(const char *objectName)
    {
        QQuickItem *view = windows().floatingTimer().view();
        ASSERT_NE(view, nullptr);
        auto *button = view->findChild<QQuickItem *>(QLatin1String(objectName));
        ASSERT_NE(button, nullptr) << objectName;
        const QPointF centre = button->mapToGlobal(QPointF(button->width() / 2, button->height() / 2));
        run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(qRound(centre.x())),
                                        QString::number(qRound(centre.y())), QStringLiteral("click"), QStringLiteral("1")});
    }
};

TEST_F(FloatingWindow, MinimisingWithoutARoundShowsNothing)
{
    minimiseMain();
    QTest::qWait(600);
    EXPECT_EQ(panel(), 0u);
    restoreMainFromOutside();
}

TEST_F(FloatingWindow, MinimisingDuringARoundFloatsThePanelAboveOnEveryWorkspaceOutOfTheTaskbar)
{
    store().startSession();
    minimiseMain();
    ASSERT_TRUE(waitForPanel(true)) << "no mapped window titled 汀禾倒计时";
    const WId id = panel();
    EXPECT_TRUE(waitForPanelSize(264, 116)) << winInfo(id).width << "x" << winInfo(id).height;
    EXPECT_EQ(winInfo(id).mapState, QStringLiteral("IsViewable"));
    const QString state = property(id, "_NET_WM_STATE");
    EXPECT_TRUE(state.contains(QLatin1String("_NET_WM_STATE_ABOVE"))) << state.toStdString();
    // On every workspace: the desktop "all", and the sticky state where the WM reports one.
    if (run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTED")}).contains(QLatin1String("_NET_WM_STATE_STICKY,")))
        EXPECT_TRUE(state.contains(QLatin1String("_NET_WM_STATE_STICKY"))) << state.toStdString();
    EXPECT_TRUE(state.contains(QLatin1String("_NET_WM_STATE_SKIP_TASKBAR"))) << state.toStdString();
    EXPECT_TRUE(state.contains(QLatin1String("_NET_WM_STATE_SKIP_PAGER"))) << state.toStdString();
    EXPECT_TRUE(property(id, "_NET_WM_DESKTOP").endsWith(QLatin1String("4294967295"))) << property(id, "_NET_WM_DESKTOP").toStdString();
    // Frameless: the window manager draws no title bar around it.
    EXPECT_TRUE(property(id, "_NET_FRAME_EXTENTS").endsWith(QLatin1String("0, 0, 0, 0")))
        << property(id, "_NET_FRAME_EXTENTS").toStdString();

    // Another application comes to the front: the panel stays above it.
    QProcess other;
    other.start(QStringLiteral("xmessage"), {QStringLiteral("-name"), QStringLiteral("other"), QStringLiteral("another application")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return mappedWindow(QStringLiteral("other")) != 0; }, 5000));
    const WId otherId = mappedWindow(QStringLiteral("other"));
    run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), hex(otherId)});
    QTest::qWait(300);
    const QString stacking = run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    const qsizetype otherAt = stacking.indexOf(hex(otherId)), panelAt = stacking.indexOf(hex(id));
    EXPECT_TRUE(otherAt >= 0 && panelAt > otherAt) << stacking.toStdString();
    other.kill();
    other.waitForFinished();

    // It follows the round live.
    const QString before = windows().floatingTimer().view()->findChild<QQuickItem *>(QStringLiteral("floatingTime"))->property("text").toString();
    g_app->h.advance(3);
    QTest::qWait(100);
    EXPECT_NE(windows().floatingTimer().view()->findChild<QQuickItem *>(QStringLiteral("floatingTime"))->property("text").toString(), before);

    restoreMainFromOutside();
    EXPECT_TRUE(waitForPanel(false)) << "restoring the main window left the panel up";
}

TEST_F(FloatingWindow, TheSettingsOpenResizeAndCloseThePanelWhileMinimised)
{
    store().startSession();
    minimiseMain();
    ASSERT_TRUE(waitForPanel(true));
    auto set = [&](std::optional<bool> timer, std::optional<bool> signalButtons) {
        AppSettings s = store().settings();
        s.floatingTimerOnMinimize = timer;
        s.floatingSignalButtons = signalButtons;
        store().setSettings(s);
    };
    set(false, false);
    EXPECT_TRUE(waitForPanel(false));
    set(false, true);
    ASSERT_TRUE(waitForPanel(true));
    EXPECT_TRUE(waitForPanelSize(292, 70)) << winInfo(panel()).width << "x" << winInfo(panel()).height;
    set(true, true); // resized in place, animated
    EXPECT_TRUE(waitForPanelSize(292, 174)) << winInfo(panel()).width << "x" << winInfo(panel()).height;
    set(std::nullopt, std::nullopt);
    EXPECT_TRUE(waitForPanelSize(264, 116)) << winInfo(panel()).width << "x" << winInfo(panel()).height;

    // The round's end takes the panel away.
    store().abandonSession();
    EXPECT_TRUE(waitForPanel(false));
    restoreMainFromOutside();
}

TEST_F(FloatingWindow, ItsButtonsWorkAndReturnBringsTheMainWindowBackInFrontOfAnotherApplication)
{
    AppSettings s = store().settings();
    s.floatingSignalButtons = true;
    store().setSettings(s);
    store().startSession();
    minimiseMain();
    ASSERT_TRUE(waitForPanel(true));
    ASSERT_TRUE(waitForPanelSize(292, 174));

    clickPanelButton("pauseButton");
    EXPECT_TRUE(QTest::qWaitFor([&] { return store().phase() == SessionPhase::paused; }, 3000)) << "pause was not clicked";
    clickPanelButton("pauseButton");
    EXPECT_TRUE(QTest::qWaitFor([&] { return store().phase() == SessionPhase::focusing; }, 3000));
    clickPanelButton("mindWanderButton");
    EXPECT_TRUE(QTest::qWaitFor([&] { return store().currentMindWanderCount() == 1; }, 3000));

    // Dragged from its background, the panel moves; a click is not a drag.
    const WinInfo start = winInfo(panel());
    const QString x = QString::number(start.x + 130), y = QString::number(start.y + 8);
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), x, y, QStringLiteral("mousedown"), QStringLiteral("1")});
    for (int step = 1; step <= 10; ++step) {
        run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(start.x + 130 - 12 * step),
                                        QString::number(start.y + 8 + 10 * step)});
        QTest::qWait(30);
    }
    run(QStringLiteral("xdotool"), {QStringLiteral("mouseup"), QStringLiteral("1")});
    EXPECT_TRUE(QTest::qWaitFor([&] {
        const WinInfo now = winInfo(panel());
        return now.x < start.x - 60 && now.y > start.y + 50;
    }, 3000)) << "the panel did not follow the drag: " << winInfo(panel()).x << "," << winInfo(panel()).y;

    QProcess other;
    other.start(QStringLiteral("xmessage"), {QStringLiteral("-name"), QStringLiteral("other"), QStringLiteral("another application")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return mappedWindow(QStringLiteral("other")) != 0; }, 5000));
    run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), hex(mappedWindow(QStringLiteral("other")))});

    clickPanelButton("restoreButton");
    EXPECT_TRUE(waitForPanel(false)) << "返回主窗口 left the panel up";
    EXPECT_TRUE(QTest::qWaitFor([&] { return activeWindow() == mainId(); }, 5000))
        << "the main window is not the active window";
    EXPECT_NE(mainWindow().windowState(), Qt::WindowMinimized);
    other.kill();
    other.waitForFinished();
}

TEST_F(FloatingWindow, ClosingTheMainWindowClosesThePanel)
{
    store().startSession();
    minimiseMain();
    ASSERT_TRUE(waitForPanel(true));
    mainWindow().close();
    EXPECT_TRUE(waitForPanel(false));
}

} // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication qapp(argc, argv);
    // No tray here: closing the main window must not end the test.
    QApplication::setQuitOnLastWindowClosed(false);
    App app;
    app.store = &app.h.open();
    updates::UpdaterConfig config;
    config.settingsPath = app.h.dir.filePath(QStringLiteral("updates.conf"));
    app.updater = std::make_unique<updates::AppUpdater>(config, app.h.clock, [] { return false; });
    app.engine = std::make_unique<QQmlEngine>();
    desktop::Autostart autostart(app.h.dir.filePath(QStringLiteral("autostart")), QStringLiteral("tessary"), {});
    desktop::LockWatcher lockWatcher(QDBusConnection(QString()), QDBusConnection(QString()), *app.store);
    ui::setUpQml(*app.engine, *app.store, *app.updater, autostart, lockWatcher);
    app.windows = std::make_unique<ui::WindowController>(*app.engine, *app.store, *app.updater);
    if (!app.windows->createMainWindow())
        return 1;
    if (!QTest::qWaitForWindowExposed(app.windows->mainWindow(), 10000))
        return 1;
    g_app = &app;
    const int result = RUN_ALL_TESTS();
    app.windows.reset();
    app.engine.reset();
    return result;
}

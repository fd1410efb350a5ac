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
#include <QRegularExpression>
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
QString xdotool(const QStringList &args) { return run(u"xdotool"_qs, args); }

QString hex(WId id) { return QStringLiteral("0x%1").arg(id, 0, 16); }

// The mapped window with this exact title, or 0.
WId mappedWindow(const QString &title)
{
    const QStringList ids = xdotool({u"search"_qs, u"--onlyvisible"_qs, u"--name"_qs, u'^' + title + u'$'})
                                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return ids.isEmpty() ? 0 : ids.front().toULongLong();
}

QString property(WId id, const char *name) { return run(u"xprop"_qs, {u"-id"_qs, hex(id), QLatin1String(name)}); }

// Position and size as xwininfo reports them.
QRect geometry(WId id)
{
    const QString out = run(u"xwininfo"_qs, {u"-id"_qs, hex(id)});
    auto field = [&](const char *key) {
        return QRegularExpression(QLatin1String(key) + u":\\s*(-?\\d+)"_qs).match(out).captured(1).toInt();
    };
    return {field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height")};
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
    QProcess other; // another application, where a case starts one

    void SetUp() override
    {
        // Every case starts from a shown main window, no round and the default sections.
        if (store().isSessionActive())
            store().abandonSession();
        setSections(std::nullopt, std::nullopt);
        windows().showMainWindow();
        // Active, not only mapped: an activation still on its way would undo the next minimise.
        ASSERT_TRUE(QTest::qWaitFor([&] { return activeWindow() == mainId() && !panel(); }, 5000));
        QTest::qWait(100);
    }
    void TearDown() override
    {
        other.kill();
        other.waitForFinished();
    }

    void setSections(std::optional<bool> timer, std::optional<bool> signalButtons)
    {
        AppSettings s = store().settings();
        s.floatingTimerOnMinimize = timer;
        s.floatingSignalButtons = signalButtons;
        store().setSettings(s);
    }
    WId panel() { return mappedWindow(kPanelTitle); }
    WId activeWindow() { return xdotool({u"getactivewindow"_qs}).toULongLong(); }
    QQuickItem *panelItem(const char *objectName)
    {
        QQuickItem *view = windows().floatingTimer().view();
        return view ? view->findChild<QQuickItem *>(QLatin1String(objectName)) : nullptr;
    }

    // As the window manager's own minimise button would.
    void minimiseMain()
    {
        xdotool({u"windowminimize"_qs, hex(mainId())});
        ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow().windowState() == Qt::WindowMinimized; }, 5000))
            << "the window manager did not minimise the main window: " << property(mainId(), "WM_STATE").toStdString()
            << " " << property(mainId(), "_NET_WM_STATE").toStdString() << " Qt " << int(mainWindow().windowState());
    }
    bool minimiseDuringARound()
    {
        store().startSession();
        minimiseMain();
        return waitForPanel(true);
    }
    // As a click on its taskbar entry would.
    void restoreMainFromOutside()
    {
        xdotool({u"windowactivate"_qs, hex(mainId())});
        ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow().windowState() != Qt::WindowMinimized; }, 5000));
    }
    bool waitForPanel(bool shown) { return QTest::qWaitFor([&] { return (panel() != 0) == shown; }, 5000); }
    ::testing::AssertionResult panelSizeBecomes(int w, int h)
    {
        if (QTest::qWaitFor([&] { return geometry(panel()).size() == QSize(w, h); }, 5000))
            return ::testing::AssertionSuccess();
        const QRect now = geometry(panel());
        return ::testing::AssertionFailure() << "the panel is " << now.width() << "x" << now.height();
    }
    // Starts another application and brings it to the front; its window.
    WId activateOther()
    {
        other.start(u"xmessage"_qs, {u"-name"_qs, u"other"_qs, u"another application"_qs});
        if (!QTest::qWaitFor([&] { return mappedWindow(u"other"_qs) != 0; }, 5000))
            return 0;
        xdotool({u"windowactivate"_qs, u"--sync"_qs, hex(mappedWindow(u"other"_qs))});
        return mappedWindow(u"other"_qs);
    }

    // A real click at the centre of one of the panel's buttons.
    void clickPanelButton(const char *objectName)
    {
        QQuickItem *button = panelItem(objectName);
        ASSERT_NE(button, nullptr) << objectName;
        const QPoint c = button->mapToGlobal(QPointF(button->width() / 2, button->height() / 2)).toPoint();
        xdotool({u"mousemove"_qs, QString::number(c.x()), QString::number(c.y()), u"click"_qs, u"1"_qs});
    }
};

TEST_F(FloatingWindow, MinimisingDuringARoundFloatsThePanelAboveOnEveryWorkspaceOutOfTheTaskbar)
{
    ASSERT_TRUE(minimiseDuringARound()) << "no mapped window titled 汀禾倒计时";
    const WId id = panel();
    EXPECT_TRUE(panelSizeBecomes(264, 116));
    const QString state = property(id, "_NET_WM_STATE");
    // On every workspace: the desktop "all", and the sticky state where the WM reports one.
    QStringList wanted{u"_NET_WM_STATE_ABOVE"_qs, u"_NET_WM_STATE_SKIP_TASKBAR"_qs, u"_NET_WM_STATE_SKIP_PAGER"_qs};
    if (run(u"xprop"_qs, {u"-root"_qs, u"_NET_SUPPORTED"_qs}).contains(QLatin1String("_NET_WM_STATE_STICKY,")))
        wanted << u"_NET_WM_STATE_STICKY"_qs;
    for (const QString &flag : wanted)
        EXPECT_TRUE(state.contains(flag)) << flag.toStdString() << " missing from " << state.toStdString();
    EXPECT_TRUE(property(id, "_NET_WM_DESKTOP").endsWith(QLatin1String("4294967295")))
        << property(id, "_NET_WM_DESKTOP").toStdString();
    // Frameless: the window manager draws no title bar around it.
    EXPECT_TRUE(property(id, "_NET_FRAME_EXTENTS").endsWith(QLatin1String("0, 0, 0, 0")))
        << property(id, "_NET_FRAME_EXTENTS").toStdString();

    // Another application comes to the front: the panel stays above it.
    const WId otherId = activateOther();
    ASSERT_NE(otherId, 0u);
    QTest::qWait(300);
    const QString stacking = run(u"xprop"_qs, {u"-root"_qs, u"_NET_CLIENT_LIST_STACKING"_qs});
    const qsizetype otherAt = stacking.indexOf(hex(otherId)), panelAt = stacking.indexOf(hex(id));
    EXPECT_TRUE(otherAt >= 0 && panelAt > otherAt) << stacking.toStdString();

    // It follows the round live.
    const QString before = panelItem("floatingTime")->property("text").toString();
    g_app->h.advance(3);
    QTest::qWait(100);
    EXPECT_NE(panelItem("floatingTime")->property("text").toString(), before);

    restoreMainFromOutside();
    EXPECT_TRUE(waitForPanel(false)) << "restoring the main window left the panel up";
}

// While minimised, the settings open, resize and close the panel; its buttons act on the round,
// it moves where it is dragged, and its return button brings the main window back in front of
// another application.
TEST_F(FloatingWindow, TheSettingsShapeThePanelItsButtonsWorkAndReturnBringsTheMainWindowBack)
{
    ASSERT_TRUE(minimiseDuringARound());
    setSections(false, false);
    EXPECT_TRUE(waitForPanel(false));
    setSections(false, true);
    ASSERT_TRUE(waitForPanel(true));
    EXPECT_TRUE(panelSizeBecomes(292, 70));
    setSections(std::nullopt, std::nullopt);
    EXPECT_TRUE(panelSizeBecomes(264, 116));
    setSections(std::nullopt, true); // resized in place, animated
    ASSERT_TRUE(panelSizeBecomes(292, 174));

    clickPanelButton("pauseButton");
    EXPECT_TRUE(QTest::qWaitFor([&] { return store().phase() == SessionPhase::paused; }, 3000))
        << "pause was not clicked";
    clickPanelButton("pauseButton");
    EXPECT_TRUE(QTest::qWaitFor([&] { return store().phase() == SessionPhase::focusing; }, 3000));
    clickPanelButton("mindWanderButton");
    EXPECT_TRUE(QTest::qWaitFor([&] { return store().currentMindWanderCount() == 1; }, 3000));

    // Dragged from its background, the panel moves; a click is not a drag.
    const QRect start = geometry(panel());
    auto moveTo = [](int x, int y) { xdotool({u"mousemove"_qs, QString::number(x), QString::number(y)}); };
    moveTo(start.x() + 130, start.y() + 8);
    xdotool({u"mousedown"_qs, u"1"_qs});
    for (int step = 1; step <= 10; ++step) {
        moveTo(start.x() + 130 - 12 * step, start.y() + 8 + 10 * step);
        QTest::qWait(30);
    }
    xdotool({u"mouseup"_qs, u"1"_qs});
    const auto moved = [&] { return geometry(panel()).x() < start.x() - 60 && geometry(panel()).y() > start.y() + 50; };
    EXPECT_TRUE(QTest::qWaitFor(moved, 3000))
        << "the panel did not follow the drag: " << geometry(panel()).x() << "," << geometry(panel()).y();

    ASSERT_NE(activateOther(), 0u);
    clickPanelButton("restoreButton");
    EXPECT_TRUE(waitForPanel(false)) << "返回主窗口 left the panel up";
    EXPECT_TRUE(QTest::qWaitFor([&] { return activeWindow() == mainId(); }, 5000))
        << "the main window is not the active window";
    EXPECT_NE(mainWindow().windowState(), Qt::WindowMinimized);
}

TEST_F(FloatingWindow, TheRoundsEndOrClosingTheMainWindowTakesThePanelAway)
{
    ASSERT_TRUE(minimiseDuringARound());
    store().abandonSession();
    EXPECT_TRUE(waitForPanel(false));
    store().startSession(); // still minimised: back
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
    app.updater = std::make_unique<updates::AppUpdater>(updates::UpdaterConfig{}, app.h.clock, [] { return false; });
    app.engine = std::make_unique<QQmlEngine>();
    desktop::Autostart autostart(app.h.dir.filePath(QStringLiteral("autostart")), QStringLiteral("tessary"), {});
    desktop::LockWatcher lockWatcher(QDBusConnection(QString()), QDBusConnection(QString()), *app.store);
    ui::setUpQml(*app.engine, *app.store, *app.updater, autostart, lockWatcher);
    app.windows = std::make_unique<ui::WindowController>(*app.engine, *app.store, *app.updater);
    if (!app.windows->createMainWindow() || !QTest::qWaitForWindowExposed(app.windows->mainWindow(), 10000))
        return 1;
    g_app = &app;
    const int result = RUN_ALL_TESTS();
    app.windows.reset();
    app.engine.reset();
    return result;
}

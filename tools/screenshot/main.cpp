// Renders every screen and dialog of the main window and the tray popup, in both
// appearances, from a fixed archive and a fixed clock, into PNG files:
//   tessary-screenshots [--fail-on-warnings] <output directory>
// Runs under the offscreen platform; nothing touches the user's data. With
// --fail-on-warnings (the QML smoke test) any QML warning or error fails the run.

#include "ArchiveFactory.h"
#include "desktop/Autostart.h"
#include "desktop/LockWatcher.h"
#include "StoreHarness.h"
#include "sync/SyncService.h"
#include "ui/FloatingTimer.h"
#include "ui/QmlSetup.h"
#include "ui/QtTexts.h"
#include "ui/QuitGuard.h"
#include "ui/Symbols.h"
#include "updates/AppUpdater.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>

#include <cstdio>
#include <functional>

using namespace tessary;

namespace {

void settle(int ms = 450)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

int g_warnings = 0;
// A failure a shot shows on purpose logs its line too; that one is not a fault.
QString g_expectedWarning;

void countWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    // The offscreen platform has no runtime directory; that notice is not ours.
    if (message.startsWith(QStringLiteral("QStandardPaths:")))
        return;
    // Nor has it size hints, which the floating countdown sets for tiling compositors.
    if (message == QLatin1String("This plugin does not support propagateSizeHints()"))
        return;
    if (!g_expectedWarning.isEmpty() && message.startsWith(g_expectedWarning))
        return;
    if (type != QtDebugMsg && type != QtInfoMsg) {
        ++g_warnings;
        std::fprintf(stderr, "warning: %s\n", qPrintable(message));
    }
}

QQuickItem *findByObjectName(QQuickItem *root, const QString &name)
{
    return root->findChild<QQuickItem *>(name);
}

// Twelve weeks of rounds whose stable focus grows from about 18 to about 32 minutes, held best
// on weekday mornings, on three tasks.
QList<StudySession> progressArchive(Timestamp now)
{
    QList<StudySession> rounds;
    const char *tasks[] = {"高等数学", "English reading", "写作 · 第二章"};
    for (int day = 0; day < 84; ++day) {
        // Newest first: the afternoon round of a day before its morning one.
        for (int slot = day % 7 == 5 ? 0 : 1; slot >= 0; --slot) {
            StudySession s;
            s.id = Uuid::createRandom();
            const int hour = slot == 0 ? 1 + day % 3 : 7 + day % 5; // 09–11 or 15–19 in Shanghai (UTC+8)
            const std::int64_t midnight = (now.msecsSinceEpoch() / 1000) % 86400; // seconds since UTC midnight
            s.startedAt = now.addSecs(-std::int64_t(day) * 86400 - midnight + hour * 3600);
            if (s.startedAt > now)
                continue;
            const int span = 32 - day / 6 - (slot == 1 ? 6 : 0) - (day * 7 % 5);
            s.focusedSeconds = std::int64_t(span + 8) * 60;
            s.endedAt = s.startedAt.addSecs(s.focusedSeconds + 60);
            s.plannedMinutes = 45;
            s.focusRating = 4;
            s.startEnergy = 4;
            s.endEnergy = 3;
            s.completed = true;
            s.taskName = QString::fromUtf8(tasks[(day + slot) % 3]);
            s.events.append(FocusEvent{Uuid::createRandom(), s.startedAt.addSecs(span * 60), span * 60,
                                       FocusEventKind::mindWander});
            rounds.append(s);
        }
    }
    return rounds;
}

// Scrolls the insights screen so its progress part starts at the top; false without one.
bool scrollToProgress(QQuickItem *content)
{
    QQuickItem *view = findByObjectName(content, QStringLiteral("insightsView"));
    QQuickItem *section = view ? findByObjectName(view, QStringLiteral("progressSection")) : nullptr;
    if (!section)
        return false;
    const qreal top = section->mapToItem(view->property("contentItem").value<QQuickItem *>(), QPointF()).y();
    const qreal most = view->property("contentHeight").toReal() - view->height();
    view->setProperty("contentY", std::clamp(top - 20, qreal(0), std::max(most, qreal(0))));
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    // A private home: the save dialog opens in its Documents, and the export lands there.
    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("Documents"));
    qputenv("HOME", home.path().toLocal8Bit());
    qunsetenv("XDG_CONFIG_HOME");
    QApplication app(argc, argv);
    ui::installChineseQtTexts(app);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    QApplication::setFont(font);
    QStringList args = QApplication::arguments().mid(1);
    const bool failOnWarnings = args.removeAll(QStringLiteral("--fail-on-warnings")) > 0;
    const QString outDir = args.isEmpty() ? QStringLiteral("screenshots") : args.front();
    qInstallMessageHandler(countWarnings);
    QDir().mkpath(outDir);

    // A store on a private directory with a seeded archive: rounds every few hours
    // up to this morning, so today's figures and the streak are not empty.
    fakes::StoreHarness h;
    h.clock.t = *Timestamp::parseIso8601("2026-12-06T07:30:00Z"); // 15:30 in Shanghai
    AppSettings seeded;
    seeded.taskNames = QStringList{QStringLiteral("高等数学"), QStringLiteral("English reading"),
                                   QStringLiteral("写作 · 第二章")};
    seeded.selectedTaskName = QStringLiteral("高等数学");
    seeded.ambientSounds = QStringList{QStringLiteral("rain"), QStringLiteral("brownNoise")};
    seeded.showNextReminder = true;
    Persistence::save(h.dataPath(), seeded, fixtures::makeArchive(40, 10, h.clock.t.addSecs(-3 * 3600)));
    AppStore &store = h.open(QTimeZone("Asia/Shanghai"));

    // Before the engine, which reads it until it is gone.
    // An update feed on 127.0.0.1 that always offers 0.2.0, for the notice and the dialog.
    QTcpServer feedServer;
    feedServer.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&feedServer, &QTcpServer::newConnection, &feedServer, [&feedServer] {
        while (QTcpSocket *socket = feedServer.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                const QByteArray body = R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel>
<item><title>汀禾 0.2.0</title><link>https://example.org/tessary/0.2.0</link>
<sparkle:shortVersionString>0.2.0</sparkle:shortVersionString>
<description><![CDATA[<ul><li>洞察页新增任务分布</li><li>导出 CSV 更快</li><li>修复深色模式下的对比度</li></ul>]]></description>
</item></channel></rss>)";
                socket->readAll();
                socket->write("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: " + QByteArray::number(body.size())
                              + "\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
        }
    });
    updates::UpdaterConfig feed;
    feed.version = QStringLiteral("0.1.0");
    feed.feed = QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(feedServer.serverPort()));
    feed.settingsPath = h.dir.filePath(QStringLiteral("updates.conf"));
    feed.allowLoopbackHttp = true;
    updates::AppUpdater updater(feed, h.clock, [&store] { return store.isSessionActive(); });
    updater.setAutomaticallyChecksForUpdates(false); // checks run when this tool says, not on a timer
    QQmlEngine engine;
    const QString autostartDir = h.dir.filePath(QStringLiteral("autostart"));
    desktop::Autostart autostart(autostartDir, QStringLiteral("tessary"),
                                 [&store](const QString &text) { store.warn(text); });
    // No buses: the settings screen is drawn as on a desktop that reports its lock screen.
    desktop::LockWatcher lockWatcher(QDBusConnection(QString()), QDBusConnection(QString()), store);
    lockWatcher.pretendAvailable(true);
    ui::setUpQml(engine, store, updater, autostart, lockWatcher);
    QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/qt/qml/Tessary/Ui/qml/app/ContentView.qml")));
    QObject *object = component.create();
    if (!object) {
        std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
        return 1;
    }
    auto *content = qobject_cast<QQuickItem *>(object);
    QQmlComponent menuComponent(&engine, QUrl(QStringLiteral("qrc:/qt/qml/Tessary/Ui/qml/app/MenuBarView.qml")));
    auto *menu = qobject_cast<QQuickItem *>(menuComponent.create());
    QQmlComponent windowComponent(&engine, QUrl(QStringLiteral("qrc:/qt/qml/Tessary/Ui/qml/app/MainWindow.qml")));
    if (!menu || !windowComponent.isReady()) {
        std::fprintf(stderr, "%s%s\n", qPrintable(menuComponent.errorString()), qPrintable(windowComponent.errorString()));
        return 1;
    }
    QQuickWindow menuWindow;
    menuWindow.setColor(Qt::transparent);
    menu->setParentItem(menuWindow.contentItem());
    QQuickWindow window;
    window.resize(1180, 790);
    content->setParentItem(window.contentItem());
    content->setSize(QSizeF(1180, 790));
    window.show();

    int failures = 0;

    // A sheet of every symbol with its name, to check the table by eye.
    {
        const QStringList names = ui::Symbols::names();
        QImage sheet(900, 40 + 34 * ((names.size() + 2) / 3), QImage::Format_ARGB32);
        sheet.fill(Qt::white);
        QPainter p(&sheet);
        QFont icon(ui::Symbols::registerFont());
        icon.setPixelSize(22);
        QFont label(QStringLiteral("Noto Sans CJK SC"));
        label.setPixelSize(13);
        for (int i = 0; i < names.size(); ++i) {
            const int x = 20 + (i % 3) * 295, y = 20 + (i / 3) * 34;
            p.setFont(icon);
            p.drawText(QRect(x, y, 30, 30), Qt::AlignCenter, QString(QChar(ui::Symbols::codepoint(names[i]))));
            p.setFont(label);
            p.drawText(QRect(x + 38, y, 250, 30), Qt::AlignVCenter, names[i]);
        }
        p.end();
        sheet.save(QDir(outDir).filePath(QStringLiteral("symbols.png")));
    }
    auto shootWindow = [&](QQuickWindow &w, const QString &name) {
        settle();
        const QImage image = w.grabWindow();
        const QString path = QDir(outDir).filePath(name + QStringLiteral(".png"));
        if (image.isNull() || !image.save(path)) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(path));
            ++failures;
        } else {
            std::printf("%s\n", qPrintable(path));
        }
    };
    auto shoot = [&](const QString &name) { shootWindow(window, name); };
    auto pressKey = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        window.requestActivate();
        settle(100);
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QGuiApplication::sendEvent(&window, &press);
        QGuiApplication::sendEvent(&window, &release);
        settle(250);
    };
    auto pressEscape = [&] { pressKey(Qt::Key_Escape); };
    auto shootMenu = [&](const QString &name) {
        menuWindow.show();
        settle(150); // the popup's height follows its content
        menuWindow.resize(int(menu->width()), int(menu->implicitHeight()));
        shootWindow(menuWindow, name);
        menuWindow.hide();
    };

    // The floating countdown in each combination of its sections, at the size each calls for.
    ui::FloatingTimer floating(engine);
    auto shootFloating = [&](const QString &phase, const QString &suffix) {
        const AppSettings before = store.settings();
        struct Variant {
            const char *name;
            bool timer, withSignals;
            QSize size;
        };
        for (const Variant &v : {Variant{"timer", true, false, {264, 116}}, Variant{"signals", false, true, {292, 70}},
                                 Variant{"both", true, true, {292, 174}}}) {
            AppSettings s = before;
            s.floatingTimerOnMinimize = v.timer;
            s.floatingSignalButtons = v.withSignals;
            store.setSettings(s);
            floating.open();
            if (!floating.window()) {
                std::fprintf(stderr, "the floating countdown did not open\n");
                ++failures;
                break;
            }
            shootWindow(*floating.window(), QStringLiteral("floating-%1-%2%3").arg(phase, QLatin1String(v.name), suffix));
            if (floating.window()->size() != v.size) {
                std::fprintf(stderr, "floating countdown (%s) is %dx%d\n", v.name, floating.window()->width(),
                             floating.window()->height());
                ++failures;
            }
            floating.dismiss();
        }
        store.setSettings(before);
    };

    auto setDark = [&](bool dark) {
        AppSettings s = store.settings();
        s.appearanceMode = dark ? AppearanceMode::dark : AppearanceMode::light;
        store.setSettings(s);
    };

    for (const bool dark : {true, false}) {
        const QString suffix = dark ? QStringLiteral("-dark") : QStringLiteral("-light");
        setDark(dark);
        store.abandonSession();
        h.advance(4, false); // let the abandon toast pass

        shoot(QStringLiteral("focus-idle") + suffix);
        if (QQuickItem *focus = findByObjectName(content, QStringLiteral("focusView"))) {
            // The ambient sounds card sits below the fold.
            focus->setProperty("contentY", focus->property("contentHeight").toReal() - focus->height());
            store.toggleAmbientSound(AmbientSound::fire);
            shoot(QStringLiteral("focus-ambient-card") + suffix);
            store.toggleAmbientSound(AmbientSound::fire);
            focus->setProperty("contentY", 0);
        }
        shootMenu(QStringLiteral("tray-popup-idle") + suffix);
        if (QQuickItem *picker = findByObjectName(content, QStringLiteral("taskPicker"))) {
            QObject *popup = picker->property("popup").value<QObject *>();
            QMetaObject::invokeMethod(popup, "open");
            shoot(QStringLiteral("task-picker") + suffix);
            QMetaObject::invokeMethod(popup, "close");
            settle(200);
        }

        h.random.queued = {240};
        store.startSession();
        h.advance(130);
        store.recordMindWander();
        h.advance(4); // the toast has gone
        shoot(QStringLiteral("focus-focusing") + suffix);
        shootFloating(QStringLiteral("focusing"), suffix);
        if (dark) { // a scheduled check during the round: remembered, not shown
            updater.runScheduledCheck();
            // The screenshot shows what there is either way.
            (void)QTest::qWaitFor([&] { return updater.canCheckForUpdates(); }, 5000);
            settle(100);
            QQuickItem *notice = findByObjectName(content, QStringLiteral("updateNotice"));
            if (updater.hasOffer() || updater.deferredVersion() != QStringLiteral("0.2.0") || !notice || notice->isVisible()) {
                std::fprintf(stderr, "an update found during a round was not held back\n");
                ++failures;
            }
        }
        shootMenu(QStringLiteral("tray-popup-focusing") + suffix);

        store.recordFatigue();
        shoot(QStringLiteral("toast") + suffix);
        h.advance(4);

        store.togglePause();
        shoot(QStringLiteral("focus-paused") + suffix);
        shootFloating(QStringLiteral("paused"), suffix);
        store.togglePause();

        h.random.queued = {200};
        h.advance(240);
        h.advance(3); // three seconds into the micro-break
        shoot(QStringLiteral("focus-micro-break") + suffix);
        shootFloating(QStringLiteral("micro-break"), suffix);
        shootMenu(QStringLiteral("tray-popup-micro-break") + suffix);
        store.resumeAfterMicroBreak();

        store.setShowSessionEndDialog(true);
        shoot(QStringLiteral("end-dialog") + suffix);
        pressEscape();
        if (store.showSessionEndDialog()) {
            std::fprintf(stderr, "Escape did not close the end dialog\n");
            ++failures;
            store.setShowSessionEndDialog(false);
        }
        if (!store.isSessionActive()) {
            std::fprintf(stderr, "Escape on the end dialog ended the round\n");
            ++failures;
        }

        store.finishSession(false);
        h.advance(4, false);
        shoot(QStringLiteral("review-sheet") + suffix);
        shootMenu(QStringLiteral("tray-popup-review-pending") + suffix);

        if (QQuickItem *sheet = findByObjectName(content, QStringLiteral("completionView"))) {
            sheet->setProperty("showAbandonConfirmation", true);
            shoot(QStringLiteral("abandon-confirmation") + suffix);
            pressEscape();
            if (sheet->property("showAbandonConfirmation").toBool() || !store.showCompletionSheet()) {
                std::fprintf(stderr, "Escape on the discard confirmation did not return to the review\n");
                ++failures;
            }
        } else {
            std::fprintf(stderr, "review sheet not found\n");
            ++failures;
        }
        store.abandonSession();
        h.advance(4, false);

        if (dark) { // after the round: the notice, then the dialog it opens
            shoot(QStringLiteral("update-notice") + suffix);
            if (QQuickItem *notice = findByObjectName(content, QStringLiteral("updateNotice")); !notice || !notice->isVisible()) {
                std::fprintf(stderr, "the update notice did not appear after the round\n");
                ++failures;
            }
            updater.checkForUpdates();
            (void)QTest::qWaitFor([&] { return updater.hasOffer(); }, 5000);
            shoot(QStringLiteral("update-dialog") + suffix);
            pressEscape();
            if (updater.hasOffer()) {
                std::fprintf(stderr, "Escape on the update dialog did not put it off\n");
                ++failures;
            }
        } else {
            updater.checkForUpdates();
            (void)QTest::qWaitFor([&] { return updater.hasOffer(); }, 5000);
            shoot(QStringLiteral("update-dialog") + suffix);
            updater.remindLater();
        }
        // Insights and history over the seeded archive; Ctrl+2 is the way there from the keyboard.
        pressKey(Qt::Key_2, Qt::ControlModifier);
        if (store.selectedSection() != int(AppSection::insights)) {
            std::fprintf(stderr, "Ctrl+2 did not open the insights\n");
            ++failures;
        }
        store.setSelectedSection(int(AppSection::insights));
        shoot(QStringLiteral("insights") + suffix);
        if (dark) { // the appearance switched under a live screen: every chart colour follows
            setDark(false);
            shoot(QStringLiteral("insights-switched-live-light"));
            setDark(true);
        }
        if (QQuickItem *insights = findByObjectName(content, QStringLiteral("insightsView"))) {
            insights->setProperty("contentY", insights->property("contentHeight").toReal() - insights->height());
            shoot(QStringLiteral("insights-lower") + suffix);
            // Twelve weeks of training for the progress part: attention growing, mornings best.
            const QList<StudySession> seeded = store.sessions();
            store.applySync(progressArchive(h.clock.t), std::nullopt, store.syncState().value_or(SyncState{}));
            settle(100);
            scrollToProgress(content);
            shoot(QStringLiteral("insights-progress") + suffix);
            store.applySync(seeded, std::nullopt, store.syncState().value_or(SyncState{}));
        } else {
            std::fprintf(stderr, "insights screen not found\n");
            ++failures;
        }
        store.setSelectedSection(int(AppSection::history));
        shoot(QStringLiteral("history") + suffix);
        // The save dialog the export asks (Qt's own where the desktop offers none); cancelled.
        if (auto *exporter = engine.singletonInstance<QObject *>(qmlTypeId("Tessary.Engine", 1, 0, "Exporter"))) {
            QMetaObject::invokeMethod(exporter, "begin");
            shoot(QStringLiteral("export-dialog") + suffix);
            pressEscape();
            if (exporter->property("asking").toBool() || store.toastMessageText() != QStringLiteral("没有导出文件。")) {
                std::fprintf(stderr, "Escape on the save dialog did not cancel the export\n");
                ++failures;
            }
            h.advance(4, false);
            // By keyboard: the name field has the focus with the name selected, Return saves.
            QMetaObject::invokeMethod(exporter, "begin");
            settle(150);
            QQuickItem *field = window.activeFocusItem();
            const QString typed = QStringLiteral("typed") + suffix;
            if (!field || field->objectName() != QStringLiteral("fileNameTextField")
                || field->property("selectedText").toString() != QStringLiteral("汀禾-专注记录")) {
                std::fprintf(stderr, "the save dialog did not open with its name selected in the focused field\n");
                ++failures;
            } else {
                // Qt's own dialog in the appearance in force: its name field and its path bar.
                QQuickItem *popup = field;
                while (popup->parentItem() && !popup->inherits("QQuickPopupItem"))
                    popup = popup->parentItem();
                QQuickItem *pathBar = nullptr;
                std::function<void(QQuickItem *)> findPathBar = [&](QQuickItem *item) {
                    if (item->property("upButton").isValid())
                        pathBar = item;
                    for (QQuickItem *child : item->childItems())
                        findPathBar(child);
                };
                findPathBar(popup);
                for (QQuickItem *item : {field, pathBar}) {
                    auto *background = item ? item->property("background").value<QQuickItem *>() : nullptr;
                    const qreal lightness = background ? background->property("color").value<QColor>().lightnessF() : -1;
                    if (dark ? !(lightness >= 0 && lightness < 0.3) : lightness <= 0.7) {
                        std::fprintf(stderr, "the save dialog's %s is not in the %s appearance\n",
                                     item == field ? "name field" : "path bar", dark ? "dark" : "light");
                        ++failures;
                    }
                }
                for (const QChar c : typed)
                    QTest::keyClick(&window, c.toLatin1());
                pressKey(Qt::Key_Return);
                if (!QFileInfo::exists(QDir(home.path()).filePath(QStringLiteral("Documents/") + typed + QStringLiteral(".csv")))
                    || store.toastMessageText() != QStringLiteral("CSV 已导出。")) {
                    std::fprintf(stderr, "Return in the save dialog's name field did not export\n");
                    ++failures;
                }
            }
            if (exporter->property("asking").toBool()) {
                pressEscape();
                ++failures;
            }
            h.advance(4, false);
        }
        if (QQuickItem *history = findByObjectName(content, QStringLiteral("historyView"))) {
            // Rows are made as they come into view, not for the whole archive.
            auto *rows = history->property("contentItem").value<QQuickItem *>();
            if (!rows || rows->childItems().size() >= store.sessions().size()) {
                std::fprintf(stderr, "the history list built rows that are off screen\n");
                ++failures;
            }
            QMetaObject::invokeMethod(history, "openRowMenu", Q_ARG(QVariant, 1), Q_ARG(QVariant, 420.0), Q_ARG(QVariant, 430.0));
            shoot(QStringLiteral("history-row-menu") + suffix);
            if (auto *menu = history->findChild<QObject *>(QStringLiteral("rowMenu")))
                QMetaObject::invokeMethod(menu, "close");
            settle(150);
            // 编辑这条记录: the sheet over the list; Escape leaves the round as it was.
            const StudySession edited = store.sessions().value(1);
            QMetaObject::invokeMethod(history, "editRow", Q_ARG(QVariant, 1));
            shoot(QStringLiteral("history-edit") + suffix);
            pressEscape();
            if (store.sessions().value(1) != edited) {
                std::fprintf(stderr, "Escape on the edit sheet changed the round\n");
                ++failures;
            }
            const auto before = store.sessions().size();
            QMetaObject::invokeMethod(history, "askToDelete", Q_ARG(QVariant, 1));
            shoot(QStringLiteral("history-delete-alert") + suffix);
            pressEscape();
            if (store.sessions().size() != before || !history->property("sessionToDelete").toString().isEmpty()) {
                std::fprintf(stderr, "Escape on the delete alert did not cancel it\n");
                ++failures;
            }
            // The Delete key on the selected row opens the same alert; this time it is confirmed.
            history->setProperty("currentIndex", 0);
            history->forceActiveFocus();
            const QString firstId = store.sessions().front().id.toString();
            QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
            QGuiApplication::sendEvent(&window, &del);
            settle(200);
            if (history->property("sessionToDelete").toString() != firstId) {
                std::fprintf(stderr, "the Delete key did not ask to delete the selected round\n");
                ++failures;
            } else if (auto *dialog = history->findChild<QObject *>(QStringLiteral("deleteDialog"))) {
                QMetaObject::invokeMethod(dialog, "confirmed");
                QMetaObject::invokeMethod(dialog, "close");
                settle(200);
                if (store.sessions().size() != before - 1 || store.sessions().front().id.toString() == firstId) {
                    std::fprintf(stderr, "confirming the delete alert did not remove exactly that round\n");
                    ++failures;
                }
            }
        } else {
            std::fprintf(stderr, "history screen not found\n");
            ++failures;
        }
        // Settings: the music player with a playlist (no name yet: the test is disabled),
        // the NetEase variant, everything below the fold, and the clear-all alert.
        store.setSelectedSection(int(AppSection::settings));
        {
            const AppSettings before = store.settings();
            AppSettings s = before;
            s.musicSource = MusicSource::playlist;
            s.playlistName.clear();
            s.autoPlayMusic = true;
            store.setSettings(s);
            store.setMusicMessage(QStringLiteral("播放失败：没有找到可以控制的音乐播放器"));
            shoot(QStringLiteral("settings") + suffix);
            s.musicService = MusicService::netEase;
            store.setSettings(s);
            store.setMusicMessage(QStringLiteral("正在播放：网易云音乐的下一首"));
            shoot(QStringLiteral("settings-netease") + suffix);
            store.setSettings(before);
            store.setMusicMessage(std::nullopt);
        }
        {
            // 登录后自动启动 where the autostart directory cannot be made: the toast, the switch off.
            QFile blocker(autostartDir);
            blocker.open(QIODevice::WriteOnly);
            blocker.close();
            g_expectedWarning = QStringLiteral("Tessary autostart failed:");
            autostart.setEnabled(true);
            g_expectedWarning.clear();
            shoot(QStringLiteral("settings-autostart-failed") + suffix);
            QFile::remove(autostartDir);
            h.advance(4); // the toast has gone
        }
        // A desktop that reports neither its lock screen nor sleep: the switch is disabled.
        lockWatcher.pretendAvailable(false);
        shoot(QStringLiteral("settings-no-lock-notices") + suffix);
        lockWatcher.pretendAvailable(true);
        if (QQuickItem *settings = findByObjectName(content, QStringLiteral("settingsView"))) {
            settings->setProperty("contentY", settings->property("contentHeight").toReal() - settings->height());
            shoot(QStringLiteral("settings-lower") + suffix);
            const auto before = store.sessions().size();
            // The duration field: out of range is clamped when left, an empty field keeps the value.
            if (auto *field = settings->findChild<QQuickItem *>(QStringLiteral("durationField"))) {
                field->setProperty("text", QStringLiteral("2000"));
                QMetaObject::invokeMethod(field, "commit");
                const auto clamped = store.settings().selectedDurationMinutes;
                field->setProperty("text", QString());
                QMetaObject::invokeMethod(field, "commit");
                if (clamped != 1440 || store.settings().selectedDurationMinutes != 1440
                    || field->property("text").toString() != QStringLiteral("1440")) {
                    std::fprintf(stderr, "the duration field did not clamp or keep its value\n");
                    ++failures;
                }
                AppSettings s = store.settings();
                s.selectedDurationMinutes = 50;
                store.setSettings(s);
            }
            QMetaObject::invokeMethod(settings, "askToClear");
            shoot(QStringLiteral("settings-clear-alert") + suffix);
            pressEscape();
            if (store.sessions().size() != before) {
                std::fprintf(stderr, "Escape on the clear-all alert cleared the archive\n");
                ++failures;
            }
            // 多设备同步 on, with a second computer's file in the folder: the status line, the data card.
            if (auto *sync = store.findChild<sync::SyncService *>(); sync && !sync->enabled()) {
                const QString folder = h.dir.filePath(QStringLiteral("Sync"));
                QDir().mkpath(folder + QStringLiteral("/Tessary/devices"));
                DeviceFile laptop;
                laptop.deviceId = Uuid::createRandom();
                laptop.deviceName = QStringLiteral("图书馆的笔记本");
                laptop.sequence = 2;
                laptop.sessions = fixtures::makeArchive(2, 3, h.clock.t.addSecs(-26 * 3600), 99);
                for (auto &s : laptop.sessions)
                    s.origin = SyncOrigin{laptop.deviceId, 1};
                std::string bytes;
                encodeDeviceFile(laptop, bytes);
                QFile file(QStringLiteral("%1/Tessary/devices/%2.json").arg(folder, laptop.deviceId.toString()));
                file.open(QIODevice::WriteOnly);
                file.write(bytes.data(), qint64(bytes.size()));
                file.close();
                sync->setDeviceName(QStringLiteral("书房的台式机"));
                sync->setFolder(folder);
                h.advance(4, false); // the merge's toast has gone
            }
            settings->setProperty("contentY", settings->property("contentHeight").toReal() - settings->height());
            shoot(QStringLiteral("settings-sync") + suffix);
            // 从备份恢复…: the list of backups (the day's first, taken when the store opened).
            QMetaObject::invokeMethod(settings, "askToRestore");
            shoot(QStringLiteral("settings-backups") + suffix);
            pressEscape();
            settings->setProperty("contentY", 0);
        } else {
            std::fprintf(stderr, "settings screen not found\n");
            ++failures;
        }
        store.setSelectedSection(int(AppSection::focus));
    }
    // A data folder that cannot be written: the banner that stays, and the question on quitting.
    {
        const QString folder = h.dir.filePath(QStringLiteral("Tessary"));
        QDir().rename(folder, folder + QStringLiteral("-away"));
        QFile blocker(folder);
        blocker.open(QIODevice::WriteOnly);
        blocker.close();
        g_expectedWarning = QStringLiteral("Tessary save failed:");
        store.toggleAppearance();
        h.advance(1, false);
        auto *guard = store.findChild<ui::QuitGuard *>();
        for (const bool dark : {true, false}) {
            const QString suffix = dark ? QStringLiteral("-dark") : QStringLiteral("-light");
            setDark(dark);
            h.advance(1, false);
            shoot(QStringLiteral("focus-save-failed") + suffix);
            store.retrySave(); // still refused: the warning toast below the banner
            shoot(QStringLiteral("focus-save-retry-failed") + suffix);
            h.advance(4, false);
            if (guard) {
                emit guard->confirmationRequested();
                shoot(QStringLiteral("quit-unsaved") + suffix);
                // By keyboard: Tab to 重试, Tab to 仍然退出, its ring shows; Escape still stays.
                pressKey(Qt::Key_Tab);
                pressKey(Qt::Key_Tab);
                shoot(QStringLiteral("quit-unsaved-keyboard") + suffix);
                const QQuickItem *focused = window.activeFocusItem();
                if (!focused || focused->objectName() != QStringLiteral("confirmArea")) {
                    std::fprintf(stderr, "Tab did not reach 仍然退出 in the quit question (at %s)\n",
                                 focused ? qPrintable(focused->objectName()) : "nothing");
                    ++failures;
                }
                pressEscape();
            }
        }
        if (!guard || store.saveProblemText().isEmpty()) {
            std::fprintf(stderr, "a failed save showed no banner or the quit guard is missing\n");
            ++failures;
        }
        QFile::remove(folder);
        QDir().rename(folder + QStringLiteral("-away"), folder);
        store.retrySave();
        g_expectedWarning.clear();
        if (!store.saveProblemText().isEmpty() || store.toastMessageText() != QStringLiteral("记录已保存。")) {
            std::fprintf(stderr, "the retry after the folder came back did not save\n");
            ++failures;
        }
        h.advance(4, false);
    }
    // The empty archive: both screens' empty states.
    store.clearHistory();
    h.advance(4, false);
    for (const bool dark : {true, false}) {
        const QString suffix = dark ? QStringLiteral("-dark") : QStringLiteral("-light");
        setDark(dark);
        store.setSelectedSection(int(AppSection::insights));
        shoot(QStringLiteral("insights-empty") + suffix);
        if (!scrollToProgress(content)) {
            std::fprintf(stderr, "the progress part is missing\n");
            ++failures;
        }
        shoot(QStringLiteral("insights-progress-empty") + suffix);
        store.setSelectedSection(int(AppSection::history));
        shoot(QStringLiteral("history-empty") + suffix);
        store.setSelectedSection(int(AppSection::settings));
        if (QQuickItem *settings = findByObjectName(content, QStringLiteral("settingsView"))) {
            settings->setProperty("contentY", settings->property("contentHeight").toReal() - settings->height());
            shoot(QStringLiteral("settings-empty-archive") + suffix); // clearing is disabled
        }
    }
    store.setSelectedSection(int(AppSection::focus));
    // The real window loads too (shown briefly, then closed).
    if (QObject *mainWindow = windowComponent.create()) {
        settle(200);
        delete mainWindow;
    }
    delete object;
    delete menu;
    if (failOnWarnings && g_warnings > 0) {
        std::fprintf(stderr, "%d QML warnings\n", g_warnings);
        return 1;
    }
    return failures == 0 ? 0 : 1;
}

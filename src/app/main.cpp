// Composition root: the real clock, randomness, timers and data directory, the one
// store, and the windows.

#include "audio/AlertPlayer.h"
#include "audio/AmbientPlayer.h"
#include "audio/QtAudioOutput.h"
#include "audio/SoundCheck.h"
#include "desktop/Autostart.h"
#include "desktop/CommandLine.h"
#include "desktop/GlobalShortcuts.h"
#include "desktop/InstallLayout.h"
#include "desktop/LockWatcher.h"
#include "desktop/QuitSignals.h"
#include "desktop/RemoteControl.h"
#include "desktop/RoundNotifier.h"
#include "desktop/SingleInstance.h"
#include "engine/AppStore.h"
#include "music/MusicController.h"
#include "records/Persistence.h"
#include "sync/SyncService.h"
#include "ui/FloatingTimer.h"
#include "ui/QmlSetup.h"
#include "ui/QtTexts.h"
#include "ui/QuitGuard.h"
#include "ui/WindowController.h"
#include "updates/AppUpdater.h"

#include <QApplication>
#include <QDBusConnection>
#include <QFont>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

QString soundsDirectory()
{
    return tessary::desktop::soundsDirectory(QCoreApplication::applicationDirPath(),
                                             QStringLiteral(TESSARY_BUILD_BIN_DIR), QStringLiteral(TESSARY_SOUNDS_DIR));
}

int checkSounds(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tessary"));
    const QString dir = soundsDirectory();
    const QList<tessary::audio::SoundCheck> checks =
        tessary::audio::checkSounds(dir, tessary::Persistence::userAmbientDirectory());
    std::fputs(tessary::audio::soundCheckReport(dir, checks).toUtf8().constData(), stdout);
    const bool allReadable = std::all_of(checks.cbegin(), checks.cend(), [](const auto &c) { return c.readable; });
    return allReadable ? 0 : 1;
}

// What sendToRunningInstance returns when none runs and this launch is to start one instead.
constexpr int kStartHere = -1;

// A round control for the running instance: its answer, or exit 4 when none runs.
int sendToRunningInstance(int argc, char *argv[], const tessary::desktop::CommandLine &command)
{
    namespace remote = tessary::desktop::remote;
    QCoreApplication app(argc, argv);
    const QString key = tessary::desktop::SingleInstance::keyFor(tessary::Persistence::dataFilePath());
    const bool syncFolder = command.remoteCommand == "sync-folder";
    const std::optional<QByteArray> answer = tessary::desktop::SingleInstance::request(
        key, syncFolder ? remote::syncFolderRequest(command.syncFolder)
                        : remote::request(command.remoteCommand, command.json));
    if (!answer && syncFolder)
        return kStartHere; // the folder is set by the instance this launch becomes
    if (!answer) {
        std::fputs("汀禾没有在运行。\n", stderr);
        return 4;
    }
    const auto [status, text] = remote::parseAnswer(*answer);
    if (status == remote::kApplied) {
        std::printf("%s\n", text.constData());
        return 0;
    }
    if (status == remote::kRefused) {
        std::fprintf(stderr, "%s\n", text.constData());
        return 3;
    }
    std::fputs("正在运行的汀禾没有回答这个命令。\n", stderr);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const tessary::desktop::CommandLine command = tessary::desktop::parseCommandLine(arguments);
    switch (command.action) {
    case tessary::desktop::CommandLine::Action::invalid:
        std::fprintf(stderr, "tessary：不认识的选项 %s\n\n%s", command.invalidArgument.toLocal8Bit().constData(),
                     tessary::desktop::usageText().toUtf8().constData());
        return 2;
    case tessary::desktop::CommandLine::Action::help:
        std::fputs(tessary::desktop::usageText().toUtf8().constData(), stdout);
        return 0;
    case tessary::desktop::CommandLine::Action::version:
        std::puts("汀禾 (Tessary) " TESSARY_VERSION);
        return 0;
    case tessary::desktop::CommandLine::Action::checkSounds:
        return checkSounds(argc, argv);
    case tessary::desktop::CommandLine::Action::remote:
        if (const int status = sendToRunningInstance(argc, argv, command); status != kStartHere)
            return status;
        break;
    case tessary::desktop::CommandLine::Action::run:
        break;
    }

    // Without a display Qt would abort with several lines of platform-plugin detail.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs("汀禾需要图形桌面：没有找到显示（DISPLAY 和 WAYLAND_DISPLAY 都未设置）。\n", stderr);
        return 1;
    }
    if (const QByteArray platform = tessary::ui::preferredPlatform(
            qgetenv("XDG_SESSION_TYPE"), qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"));
        !platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
    // The software renderer by default: for screens that redraw a ring once a second it costs
    // less than half the memory of OpenGL and starts faster (bench/memory.sh). QT_QUICK_BACKEND
    // (e.g. "rhi") still chooses.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessary"));
    QApplication::setApplicationDisplayName(QStringLiteral("汀禾"));
    QApplication::setApplicationVersion(QStringLiteral(TESSARY_VERSION));
    // The desktop entry's name, which is also the Wayland app id (and the window's
    // _GTK_APPLICATION_ID under X11): how the desktop matches the window to its entry and icon.
    QApplication::setDesktopFileName(QStringLiteral(TESSARY_APP_ID));
    QApplication::setWindowIcon(tessary::ui::WindowController::applicationIcon());
    tessary::ui::installChineseQtTexts(app);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);

    // A second launch for the same document hands over to its running instance: one store per document.
    const QString dataFilePath = tessary::Persistence::dataFilePath();
    tessary::desktop::SingleInstance instance(tessary::desktop::SingleInstance::keyFor(dataFilePath));
    if (instance.handOverToRunningInstance(1500, !command.background))
        return 0;

    tessary::SystemClock clock;
    tessary::SystemRandom random;
    tessary::TimerScheduler scheduler;
    const QString soundsDir = soundsDirectory();
    tessary::audio::AlertPlayer sounds(soundsDir, std::make_unique<tessary::audio::QtAudioOutput>());
    tessary::audio::AmbientPlayer ambient(soundsDir, tessary::Persistence::userAmbientDirectory(), random,
                                          std::make_unique<tessary::audio::QtAudioOutput>());
    tessary::music::XdgDesktopApps desktopApps;
    tessary::music::MusicController music(QDBusConnection::sessionBus(), clock, scheduler, desktopApps);
    tessary::StoreServices services;
    services.clock = &clock;
    services.random = &random;
    services.scheduler = &scheduler;
    services.sounds = &sounds;
    services.ambient = &ambient;
    services.music = &music;
    services.dataFilePath = dataFilePath;
    services.emergencyDirectories = tessary::backups::emergencyDirectories();

    tessary::AppStore store(services);
    // A settings change made just before quitting is written, not lost; what the disk refuses
    // goes to the emergency copy.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &store, &tessary::AppStore::saveBeforeQuit);
    tessary::desktop::quitOnTerminationSignals();
    tessary::ui::QuitGuard quitGuard(store);
    tessary::sync::SyncService sync(store);
    if (command.remoteCommand == "sync-folder")
        sync.setFolder(command.syncFolder);

    // Before the engine, which reads it until it is gone.
    tessary::updates::AppUpdater updater(
        tessary::updates::AppUpdater::buildConfig(QStringLiteral(TESSARY_VERSION), QStringLiteral(TESSARY_UPDATE_FEED_URL)),
        clock, [&store] { return store.isSessionActive(); });
    QQmlEngine engine;
    // Ctrl+Q in QML calls Qt.quit().
    QObject::connect(&engine, &QQmlEngine::quit, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    tessary::desktop::Autostart autostart(
        tessary::desktop::Autostart::defaultDirectory(),
        tessary::desktop::Autostart::programFor(QCoreApplication::applicationFilePath(),
                                                QStandardPaths::findExecutable(QStringLiteral("tessary"))),
        [&store](const QString &text) { store.warn(text); });
    tessary::desktop::LockWatcher lockWatcher(QDBusConnection::systemBus(), QDBusConnection::sessionBus(), store);
    tessary::ui::setUpQml(engine, store, updater, autostart, lockWatcher, &quitGuard, &sync);
    tessary::ui::WindowController windows(engine, store, updater);
    if (!windows.createMainWindow(command.background))
        return 1;
    quitGuard.setShowWindow([&windows] { windows.showMainWindow(); });
    QObject::connect(&instance, &tessary::desktop::SingleInstance::activationRequested, &windows,
                     &tessary::ui::WindowController::showMainWindow);
    tessary::desktop::RoundNotifier notifier(
        QDBusConnection::sessionBus(), store,
        [&windows] { return windows.mainWindow() && windows.mainWindow()->isActive(); },
        [&windows] { windows.showMainWindow(); });
    namespace remote = tessary::desktop::remote;
    instance.setCommandHandler([&store, &windows, &sync](QByteArrayView line) {
        return remote::answer(store, line, [&windows] { windows.showMainWindow(); }, [&sync](const QString &folder) {
            sync.setFolder(folder);
            return sync.statusText();
        });
    });
    // The same commands from the desktop's own shortcut settings, where it has the portal. A
    // refusal is toasted: there is no terminal to print it on.
    const auto runShortcut = [&store, &windows](const QByteArray &command) {
        const QByteArray answer =
            remote::answer(store, remote::request(command).chopped(1), [&windows] { windows.showMainWindow(); });
        if (const auto [status, text] = remote::parseAnswer(answer); status == remote::kRefused)
            store.toast(QString::fromUtf8(text));
    };
    tessary::desktop::GlobalShortcuts shortcuts(QDBusConnection::sessionBus(), runShortcut);
    shortcuts.start();
    return app.exec();
}

// Composition root: the real clock, randomness, timers and data directory, the one
// store, and the windows.

#include "audio/AlertPlayer.h"
#include "audio/AmbientPlayer.h"
#include "audio/QtAudioOutput.h"
#include "engine/AppStore.h"
#include "music/MusicController.h"
#include "records/Persistence.h"
#include "ui/FloatingTimer.h"
#include "ui/QmlSetup.h"
#include "ui/SingleInstance.h"
#include "ui/WindowController.h"
#include "updates/AppUpdater.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QQmlEngine>

#include <cstdio>
#include <memory>

namespace {

// The generated sounds: the build's resources folder while it exists (running from the build
// tree), otherwise "sounds" next to the executable (an installed copy).
QString soundsDirectory()
{
    const QString built = QStringLiteral(TESSARY_SOUNDS_DIR);
    if (QFileInfo(built).isDir())
        return built;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("sounds"));
}

} // namespace

int main(int argc, char *argv[])
{
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
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessary"));
    QApplication::setApplicationDisplayName(QStringLiteral("汀禾"));
    QApplication::setApplicationVersion(QStringLiteral(TESSARY_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("tessary"));
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);

    // A second launch hands over to the running instance: one store per document.
    tessary::ui::SingleInstance instance;
    if (instance.handOverToRunningInstance())
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
    services.dataFilePath = tessary::Persistence::dataFilePath();

    tessary::AppStore store(services);
    // A settings change made just before quitting is written, not lost.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &store, &tessary::AppStore::flushPendingSave);

    // Before the engine, which reads it until it is gone.
    tessary::updates::AppUpdater updater(
        tessary::updates::AppUpdater::buildConfig(QStringLiteral(TESSARY_VERSION), QStringLiteral(TESSARY_UPDATE_FEED_URL)),
        clock, [&store] { return store.isSessionActive(); });
    QQmlEngine engine;
    // Ctrl+Q in QML calls Qt.quit().
    QObject::connect(&engine, &QQmlEngine::quit, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    tessary::ui::setUpQml(engine, store, updater);
    tessary::ui::WindowController windows(engine, store, updater);
    if (!windows.createMainWindow())
        return 1;
    QObject::connect(&instance, &tessary::ui::SingleInstance::activationRequested, &windows,
                     &tessary::ui::WindowController::showMainWindow);
    return app.exec();
}

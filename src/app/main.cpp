// Composition root: the real clock, randomness, timers and data directory, the one
// store, and the main window.

#include "engine/AppStore.h"
#include "records/Persistence.h"
#include "ui/QmlSetup.h"

#include <QFont>
#include <QApplication>
#include <QQmlApplicationEngine>
#include <QQmlEngine>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Without a display Qt would abort with several lines of platform-plugin detail.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs("汀禾需要图形桌面：没有找到显示（DISPLAY 和 WAYLAND_DISPLAY 都未设置）。\n", stderr);
        return 1;
    }
    QApplication app(argc, argv); // widgets: the tray menu and, later, the charts
    QGuiApplication::setApplicationName(QStringLiteral("Tessary"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("汀禾"));
    QGuiApplication::setApplicationVersion(QStringLiteral(TESSARY_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("tessary"));
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setStyleHint(QFont::SansSerif);
    QGuiApplication::setFont(font);

    tessary::SystemClock clock;
    tessary::SystemRandom random;
    tessary::TimerScheduler scheduler;
    tessary::SilentSoundPlayer sounds;
    tessary::UnavailableAmbientOutput ambient;
    tessary::UnavailableMusic music;
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
    QQmlApplicationEngine engine;
    tessary::ui::setUpQml(engine, store);
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreationFailed, &app, [] { QCoreApplication::exit(1); },
        Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/qt/qml/Tessary/Ui/qml/app/MainWindow.qml")));
    return app.exec();
}

// Composition root: loads the data document and opens the main window.

#include "records/Log.h"
#include "records/Persistence.h"

#include <QFont>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Without a display Qt would abort with several lines of platform-plugin detail.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs("汀禾需要图形桌面：没有找到显示（DISPLAY 和 WAYLAND_DISPLAY 都未设置）。\n", stderr);
        return 1;
    }
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Tessary"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("汀禾"));
    QGuiApplication::setApplicationVersion(QStringLiteral(TESSARY_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("tessary"));
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setStyleHint(QFont::SansSerif);
    QGuiApplication::setFont(font);

    const auto loaded = tessary::Persistence::load(tessary::Persistence::dataFilePath());

    QQmlApplicationEngine engine;
    engine.rootContext()->setContextProperty(QStringLiteral("loadedSessionCount"),
                                             int(loaded.data.sessions.size()));
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreationFailed, &app, [] { QCoreApplication::exit(1); },
        Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/qt/qml/Tessary/Main.qml")));
    return app.exec();
}

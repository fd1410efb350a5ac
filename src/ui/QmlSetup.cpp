#include "QmlSetup.h"

#include "CountdownRing.h"
#include "CsvExport.h"
#include "desktop/Autostart.h"
#include "desktop/LockWatcher.h"
#include "HistoryModel.h"
#include "InsightsModel.h"
#include "ProgressModel.h"
#include "QuitGuard.h"
#include "SettingsBridge.h"
#include "sync/SyncService.h"
#include "Symbols.h"
#include "updates/AppUpdater.h"
#include "ViewText.h"

#include <QQmlEngine>

namespace tessary::ui {

void setUpQml(QQmlEngine &engine, AppStore &store, updates::AppUpdater &updater, desktop::Autostart &autostart,
              desktop::LockWatcher &lockWatcher, QuitGuard *quitGuard, sync::SyncService *sync)
{
    Symbols::registerFont();
    // Owned by the store so they live exactly as long as what they read.
    auto *settings = new SettingsBridge(&store, &store);
    auto *views = new ViewText(&store, &store);
    auto *symbols = new Symbols(&store);
    auto *insights = new InsightsModel(&store, &store);
    auto *progress = new ProgressModel(&store, &store);
    auto *history = new HistoryModel(&store, &store);
    auto *exporter = new CsvExport(&store, &store);
    qmlRegisterType<CountdownRing>("Tessary.Engine", 1, 0, "CountdownRing");
    qmlRegisterSingletonInstance("Tessary.Engine", 1, 0, "AppStore", &store);
    qmlRegisterSingletonInstance("Tessary.Engine", 1, 0, "Settings", settings);
    qmlRegisterSingletonInstance("Tessary.Engine", 1, 0, "Views", views);
    qmlRegisterSingletonInstance("Tessary.Engine", 1, 0, "Symbols", symbols);
    qmlRegisterSingletonInstance("Tessary.Engine", 1, 0, "Insights", insights);
    qmlRegisterSingletonInstance("Tessary.Engine", 1, 0, "Progress", progress);
    qmlRegisterSingletonInstance("Tessary.Engine", 1, 0, "History", history);
    qmlRegisterSingletonInstance("Tessary.Engine", 1, 0, "Exporter", exporter);
    qmlRegisterSingletonInstance("Tessary.Engine", 1, 0, "Updater", &updater);
    qmlRegisterSingletonInstance("Tessary.Engine", 1, 0, "Autostart", &autostart);
    qmlRegisterSingletonInstance("Tessary.Engine", 1, 0, "LockWatcher", &lockWatcher);
    // Tests and the screenshot tool run without one; the views then only never hear from it.
    qmlRegisterSingletonInstance("Tessary.Engine", 1, 0, "QuitGuard",
                                 quitGuard ? quitGuard : new QuitGuard(store, &store));
    qmlRegisterSingletonInstance("Tessary.Engine", 1, 0, "Sync", sync ? sync : new sync::SyncService(store, &store));
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
}

} // namespace tessary::ui

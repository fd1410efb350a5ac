#pragma once

class QQmlEngine;

namespace tessary {
class AppStore;
}
namespace tessary::updates {
class AppUpdater;
}
namespace tessary::desktop {
class Autostart;
class LockWatcher;
}
namespace tessary::sync {
class SyncService;
}

namespace tessary::ui {
class QuitGuard;

// Makes the store and the view helpers available to QML as the "Tessary.Engine"
// singletons (AppStore, Settings, Views, Symbols, Insights, Progress, History, Exporter, Updater, Autostart,
// LockWatcher, QuitGuard, Sync) and points the engine at our module. Call once per engine, before
// loading anything; the store, the updater, the autostart entry, the lock watcher, the quit guard and
// the sync service (when given; else the store owns one of each) must outlive it.
void setUpQml(QQmlEngine &engine, AppStore &store, updates::AppUpdater &updater, desktop::Autostart &autostart,
              desktop::LockWatcher &lockWatcher, QuitGuard *quitGuard = nullptr, sync::SyncService *sync = nullptr);

} // namespace tessary::ui

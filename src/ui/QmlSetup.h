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

namespace tessary::ui {
class QuitGuard;

// Makes the store and the view helpers available to QML as the "Tessary.Engine"
// singletons (AppStore, Settings, Views, Symbols, Insights, History, Exporter, Updater, Autostart,
// LockWatcher, QuitGuard) and points the engine at our module. Call once per engine, before loading
// anything; the store, the updater, the autostart entry, the lock watcher and the quit guard (when
// given) must outlive it.
void setUpQml(QQmlEngine &engine, AppStore &store, updates::AppUpdater &updater, desktop::Autostart &autostart,
              desktop::LockWatcher &lockWatcher, QuitGuard *quitGuard = nullptr);

} // namespace tessary::ui

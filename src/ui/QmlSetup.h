#pragma once

class QQmlEngine;

namespace tessary {
class AppStore;
}
namespace tessary::updates {
class AppUpdater;
}

namespace tessary::ui {

// Makes the store and the view helpers available to QML as the "Tessary.Engine"
// singletons (AppStore, Settings, Views, Symbols, Insights, History, Exporter, Updater) and points the engine at our
// module. Call once per engine, before loading anything; the store and the updater must outlive it.
void setUpQml(QQmlEngine &engine, AppStore &store, updates::AppUpdater &updater);

} // namespace tessary::ui

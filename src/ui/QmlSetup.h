#pragma once

class QQmlEngine;

namespace tessary {
class AppStore;
}

namespace tessary::ui {

// Makes the store and the view helpers available to QML as the "Tessary.Engine"
// singletons (AppStore, Settings, Views, Symbols, Insights, History, Exporter) and points the engine at our
// module. Call once per engine, before loading anything; the store must outlive it.
void setUpQml(QQmlEngine &engine, AppStore &store);

} // namespace tessary::ui

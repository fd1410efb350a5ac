#include "AppUpdater.h"

namespace tessary::updates {

AppUpdater::AppUpdater(QString version, QObject *parent) : QObject(parent), m_version(std::move(version)) {}

QString AppUpdater::currentVersion() const
{
    return m_version.isEmpty() ? QStringLiteral("开发版") : QStringLiteral("v") + m_version;
}

void AppUpdater::setAutomaticallyChecksForUpdates(bool on)
{
    // Only a real change is written (there is nothing to write to while unavailable).
    if (!isAvailable() || on == m_automatic)
        return;
    m_automatic = on;
    emit automaticallyChecksForUpdatesChanged();
}

void AppUpdater::checkForUpdates() {}

} // namespace tessary::updates

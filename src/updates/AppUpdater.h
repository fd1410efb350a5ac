#pragma once

#include <QObject>
#include <QString>

// Update checking as the screens see it: whether this build can check at all, the
// version it is, the automatic-check switch and the manual check.
//
// This build has no update feed compiled in, so it is unavailable: the settings
// screen says "开发版不检查更新" and keeps its switch and button disabled. Reading
// a feed (an appcast over HTTPS) is the part still to come.
// Main thread only.
namespace tessary::updates {

class AppUpdater : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isAvailable READ isAvailable CONSTANT)
    Q_PROPERTY(QString currentVersion READ currentVersion CONSTANT)
    Q_PROPERTY(bool automaticallyChecksForUpdates READ automaticallyChecksForUpdates WRITE setAutomaticallyChecksForUpdates
                   NOTIFY automaticallyChecksForUpdatesChanged)
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)

public:
    // `version` is the project version ("0.1.0"); empty for a build without one.
    explicit AppUpdater(QString version, QObject *parent = nullptr);

    bool isAvailable() const { return false; }
    // "v0.1.0", or "开发版" without a version.
    QString currentVersion() const;
    bool automaticallyChecksForUpdates() const { return m_automatic; }
    void setAutomaticallyChecksForUpdates(bool on);
    bool canCheckForUpdates() const { return isAvailable(); }
    // A check the user asked for; nothing happens while unavailable.
    Q_INVOKABLE void checkForUpdates();

signals:
    void automaticallyChecksForUpdatesChanged();
    void canCheckForUpdatesChanged();

private:
    QString m_version;
    bool m_automatic = true;
};

} // namespace tessary::updates

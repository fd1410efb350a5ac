#pragma once

#include <QObject>
#include <QString>

#include <functional>

// The desktop's applications as the music controller needs them: which one plays
// audio by default, whether the NetEase client is installed, and starting one
// detached. Main thread only.
namespace tessary::music {

class DesktopApps {
public:
    virtual ~DesktopApps() = default;
    // Asks for the desktop entry of the default audio player ("" for none) without
    // blocking; `done` runs on the main thread unless `context` is gone.
    virtual void defaultAudioPlayer(QObject *context, std::function<void(const QString &desktopId)> done) = 0;
    // How to start the NetEase client: its desktop entry id or executable, "" when not installed.
    virtual QString netEaseClient() = 0;
    // Starts a desktop entry (an id ending in ".desktop") or an executable, detached
    // from us. False when it could not be started.
    virtual bool launch(const QString &desktopIdOrExecutable) = 0;
};

// The freedesktop way: `xdg-mime query default audio/flac`, desktop entries under
// the XDG data directories, and their Exec lines.
class XdgDesktopApps final : public DesktopApps {
public:
    void defaultAudioPlayer(QObject *context, std::function<void(const QString &desktopId)> done) override;
    QString netEaseClient() override;
    bool launch(const QString &desktopIdOrExecutable) override;

    // The program and arguments of a desktop entry's Exec line, field codes removed;
    // empty when the entry has none. Public for tests.
    static QStringList execCommand(const QString &desktopEntryText);
    // Where a desktop entry id lives, "" when nowhere.
    static QString desktopEntryPath(const QString &desktopId);
};

} // namespace tessary::music

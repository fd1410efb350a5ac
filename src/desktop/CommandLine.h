#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tessary::desktop {

struct CommandLine {
    enum class Action { run, help, version, checkSounds, remote, invalid };
    Action action = Action::run;
    // Started at login: into the tray, without the main window, where a tray exists.
    bool background = false;
    // For Action::remote: what the running instance is asked ("toggle-pause", "status", …)
    // and whether the answer comes as JSON (--status --json).
    QByteArray remoteCommand;
    bool json = false;
    // For remoteCommand "sync-folder": the folder (empty switches sync off). Applied at start
    // when no instance runs.
    QString syncFolder;
    QString invalidArgument; // for Action::invalid
};

// Reads the arguments after the program name. Qt's own options (-platform offscreen, -name
// …) pass through untouched for QApplication; anything else unknown is invalid.
CommandLine parseCommandLine(const QStringList &arguments);

// The text of --help.
QString usageText();

} // namespace tessary::desktop

#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

namespace tessary {
class AppStore;
}

namespace tessary::desktop {

// Commands a second `tessary` hands to the running one over the single-instance channel:
// one request line "cmd <name>[ json]", one answer line "<status> <text>". Status 0: applied
// (or the status itself); 3: refused in this phase, the text says why; 2: not a command.
namespace remote {

constexpr int kApplied = 0;
constexpr int kNotACommand = 2;
constexpr int kRefused = 3;
// The most a request line may hold; anything longer is not ours.
// The most a request line may hold (a percent-encoded folder path); anything longer is not ours.
constexpr qsizetype kMaxRequest = 16384;

// The request line for `command` ("toggle-pause", "status", …), newline included.
QByteArray request(const QByteArray &command, bool json = false);
// "cmd sync-folder <folder, percent-encoded>", newline included.
QByteArray syncFolderRequest(const QString &folder);

// Carries out one request line (without its newline) on the store and returns the answer
// line, newline included. `showMainWindow` brings the main window forward; `setSyncFolder`
// sets the sync folder (empty: off) and returns the status to print.
QByteArray answer(AppStore &store, QByteArrayView line, const std::function<void()> &showMainWindow,
                  const std::function<QString(const QString &)> &setSyncFolder = {});

// Splits an answer line into its status and text; status -1 when it is not an answer.
std::pair<int, QByteArray> parseAnswer(QByteArrayView line);

} // namespace remote
} // namespace tessary::desktop

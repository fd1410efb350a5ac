#pragma once

#include "records/SyncRecords.h"

#include <QList>
#include <QStringList>

#include <optional>

// The archive of several computers, from the files each writes: pure and deterministic, so two
// computers that read the same files show the same archive.
namespace tessary::sync {

struct Merged {
    QList<StudySession> sessions; // newest first, ties by id
    std::optional<TaskListClock> tasksClock; // the latest task list, when any file has one
    QStringList taskNames;
    std::int64_t highestClock = 0; // of every file, for the Lamport rule
    QList<Tombstone> tombstones;   // every file's, each id once
    QList<ClearMark> clears;       // every file's, each once
};

// `local` is the archive this computer holds: what earlier merges brought and its own rounds. A
// round is in the result when this computer or any file has it, unless a tombstone names it or
// a clear-all mark covers its origin. Of several copies of a round the latest edit wins; unedited,
// a file's copy wins over the local one.
Merged merge(const QList<StudySession> &local, const QList<DeviceFile> &files);

} // namespace tessary::sync

#pragma once

#include "AtomicFile.h"
#include "DocumentCodec.h"

#include <QByteArray>
#include <QString>
#include <QTimeZone>

namespace tessary::Persistence {

// "<per-user data directory>/Tessary/focus-data.json" (~/.local/share/Tessary/ on Linux).
QString dataFilePath();
// The document's path with every link resolved in the part that exists, so one document reached
// through a linked folder is known as one (the single instance's key, the emergency copy's).
QString canonicalDocumentPath(const QString &filePath);
// Where user-supplied ambient recordings are looked up: "<data directory>/Tessary/Ambient".
QString userAmbientDirectory();

// Writes the document at `filePath`: creates the directory first, then replaces the
// file atomically. On failure logs "Tessary save failed: <path>: <cause>" and leaves the
// old file; the caller's state is never touched. The result says why it failed.
WriteResult save(const QString &filePath, const AppSettings &settings, const QList<StudySession> &sessions);
WriteResult writeDocument(const QString &filePath, const PersistedData &data);

struct ReadResult {
    std::optional<PersistedData> data; // empty when the file could not be read or decoded
    QString error;
};

// Reads and strictly decodes a document, touching nothing: for backups and copies, which
// are refused rather than repaired.
ReadResult read(const QString &filePath);

enum class LoadOutcome {
    loaded,     // the document was read whole
    missing,    // no file: a first launch
    unreadable, // a file that could not be read or decoded; defaults are used
};

struct LoadResult {
    PersistedData data;             // defaults and an empty archive unless loaded
    LoadOutcome outcome = LoadOutcome::missing;
    QString preservedCopyPath;      // where an unreadable document was kept, if it could be
};

// Reads and strictly decodes the document. A file that exists but cannot be read
// is first kept beside the original as "focus-data.unreadable-<UTC time>.json" so
// no later save can destroy it, and one line is logged. Never fails, never throws.
// Temporary files of saves that were interrupted are removed first.
// The sessions come back in the order the file holds them.
LoadResult load(const QString &filePath);

// The CSV text of an archive: header, one row per session oldest first, no line
// feed after the last row, start times in `zone`.
QByteArray csvText(const QList<StudySession> &sessions, const QTimeZone &zone = QTimeZone::systemTimeZone());

// Writes the CSV atomically to `filePath`, replacing an existing file. True when written.
bool writeCsv(const QString &filePath, const QList<StudySession> &sessions,
              const QTimeZone &zone = QTimeZone::systemTimeZone());

} // namespace tessary::Persistence

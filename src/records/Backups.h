#pragma once

#include "AtomicFile.h"
#include "DocumentCodec.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

// Second copies of the data document: dated backups beside it, and the emergency copy written
// when the document itself could not be saved at quit.
namespace tessary::backups {

enum class Kind { daily, beforeClear, beforeRestore };

struct Backup {
    QString path;
    std::int64_t localSeconds = 0; // local wall-clock time it was taken, seconds since 1970-01-01
    Kind kind = Kind::daily;
    std::int64_t rounds = 0;

    std::int64_t day() const;  // local calendar day, days since 1970-01-01
    std::int64_t week() const; // weeks since the Monday before 1970-01-01
};

// "<folder of the document>/backups".
QString directoryFor(const QString &dataFilePath);

// The backups of the document in `directory`, newest first. Files named otherwise are not ours
// and are left out.
QList<Backup> list(const QString &directory, const QString &dataFilePath);

// Writes a backup named "<document>-YYYY-MM-DD-HHmmss-<kind>-<rounds>.json" (local time).
WriteResult write(const QString &directory, const QString &dataFilePath, Kind kind, std::int64_t localSeconds,
                  const PersistedData &data, QString *writtenPath = nullptr);

// Of `backups` (any order), those to keep: every backup of the 7 latest days that have one (at
// most 10 a day, the newest), and before those the newest of each of the 4 latest weeks.
QList<Backup> toKeep(const QList<Backup> &backups);
// Removes the backups of `directory` that toKeep does not keep.
void rotate(const QString &directory, const QString &dataFilePath);

// --- Emergency copies -------------------------------------------------------------

// Where an emergency copy may go, most preferred first: the XDG state, cache and runtime
// folders (each "/Tessary"), never the document's own folder.
QStringList emergencyDirectories();

// Writes the copy into the first of `directories` that takes it ("unsaved-<key>-<UTC>.json",
// user-only); the key tells the copies of different documents apart.
WriteResult writeEmergencyCopy(const QStringList &directories, const QString &dataFilePath, std::int64_t utcSeconds,
                               const PersistedData &data, QString *writtenPath);

// The emergency copies of this document in `directories`, oldest first.
QStringList emergencyCopies(const QStringList &directories, const QString &dataFilePath);

} // namespace tessary::backups

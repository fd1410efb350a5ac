#pragma once

#include "SessionRecords.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// What sharing one archive between computers through a synced folder records. Every change is
// ordered by a Lamport clock (max of every clock seen, plus one), ties broken by device id, so a
// computer whose wall clock is wrong still orders correctly.
namespace tessary {

// A deleted round: gone everywhere, whenever the deletion arrives.
struct Tombstone {
    Uuid id;
    std::int64_t clock = 0;
    bool operator==(const Tombstone &) const = default;
};

struct SeenSequence {
    Uuid device;
    std::int64_t sequence = 0;
    bool operator==(const SeenSequence &) const = default;
};

// A clear-all: hides every round its author had seen (a device's rounds added up to that
// device's sequence), and no round recorded anywhere after it.
struct ClearMark {
    Uuid device;
    std::int64_t clock = 0;
    QList<SeenSequence> seen;
    bool operator==(const ClearMark &) const = default;
    bool covers(const SyncOrigin &origin) const;
};

// When the task list last changed, as sync orders it.
struct TaskListClock {
    std::int64_t clock = 0;
    Uuid device;
    bool operator==(const TaskListClock &) const = default;
    auto operator<=>(const TaskListClock &) const = default;
};

// This computer's part, kept in the data document (never in the synced folder).
struct SyncState {
    bool enabled = false;
    QString folder;     // the folder the sync tool syncs; our files go to "<folder>/Tessary/devices"
    QString deviceName; // empty: the host name
    Uuid deviceId;      // null until sync first runs
    std::int64_t sequence = 0;
    std::int64_t clock = 0;
    QList<Tombstone> tombstones;
    QList<ClearMark> clears;
    std::optional<TaskListClock> tasks;
    bool operator==(const SyncState &) const = default;
};

// One computer's file in the synced folder; only that computer writes it.
struct DeviceFile {
    static constexpr std::int64_t kFormat = 1;
    Uuid deviceId;
    QString deviceName;
    std::int64_t sequence = 0;
    std::int64_t clock = 0;
    QList<StudySession> sessions; // recorded on that computer, each with its origin
    QList<Tombstone> tombstones;
    QList<ClearMark> clears;
    std::optional<TaskListClock> tasksClock;
    QStringList taskNames;
    bool operator==(const DeviceFile &) const = default;
};

} // namespace tessary

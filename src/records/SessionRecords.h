#pragma once

#include "Timestamp.h"
#include "Uuid.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>
#include <string_view>

namespace tessary {

enum class FocusEventKind { reminder, mindWander, fatigue, pause, resume };

std::string_view toString(FocusEventKind kind);
std::optional<FocusEventKind> focusEventKindFromString(std::string_view text);

// One timestamped thing that happened inside a round.
struct FocusEvent {
    Uuid id;
    Timestamp date;
    std::int64_t elapsedSeconds = 0; // net focused seconds at that moment
    FocusEventKind kind = FocusEventKind::reminder;

    bool operator==(const FocusEvent &) const = default;
};

// Where a round was recorded when the archive is shared between computers: the device, and
// that device's write sequence when it was added.
struct SyncOrigin {
    Uuid device;
    std::int64_t added = 0;
    bool operator==(const SyncOrigin &) const = default;
};

// The latest edit of a round's review, as sync orders edits: a Lamport clock, then the device.
struct EditStamp {
    std::int64_t clock = 0;
    Uuid device;
    auto operator<=>(const EditStamp &) const = default;
    bool operator==(const EditStamp &) const = default;
};

// One archived, reviewed round.
struct StudySession {
    Uuid id;
    Timestamp startedAt;
    Timestamp endedAt; // when the review was saved
    std::optional<QString> taskName;
    std::int64_t plannedMinutes = 0;
    std::int64_t focusedSeconds = 0;
    std::int64_t reminderMinimumMinutes = 0;
    std::int64_t reminderMaximumMinutes = 0;
    std::int64_t microBreakSeconds = 0;
    QList<FocusEvent> events;
    std::int64_t startEnergy = 0;
    std::int64_t endEnergy = 0;
    std::int64_t focusRating = 0;
    bool completed = false;
    QString note; // stored as typed
    std::optional<SyncOrigin> origin; // only with sync on
    std::optional<EditStamp> edited;  // only for a round edited with sync on

    bool operator==(const StudySession &) const = default;

    std::int64_t reminderCount() const { return countOf(FocusEventKind::reminder); }
    std::int64_t mindWanderCount() const { return countOf(FocusEventKind::mindWander); }
    std::int64_t fatigueCount() const { return countOf(FocusEventKind::fatigue); }
    // The trimmed task name, or "未分类" when absent or blank.
    QString displayTaskName() const;

private:
    std::int64_t countOf(FocusEventKind kind) const;
};

enum class SessionPhase { idle, focusing, paused, microBreak, completed };

inline bool isActivePhase(SessionPhase p)
{
    return p == SessionPhase::focusing || p == SessionPhase::paused || p == SessionPhase::microBreak;
}

// What a running round is doing, in the words the floating panel and the command line share:
// "已暂停", "微休息", otherwise "专注中".
QString activePhaseText(SessionPhase p);

// The pending record of the current round, from its start until its review is saved
// or the round is abandoned. Never persisted.
struct SessionDraft {
    Timestamp startedAt;
    std::int64_t plannedMinutes = 0;
    std::optional<QString> taskName;
    QList<FocusEvent> events;
    std::int64_t startEnergy = 4;
    std::int64_t endEnergy = 3;
    std::int64_t focusRating = 4;
    QString note;

    bool operator==(const SessionDraft &) const = default;
};

// A session's focused seconds as whole minutes, halves away from zero (89 s → 1, 90 s → 2).
// Minute totals are sums of these, never the rounding of summed seconds.
constexpr std::int64_t roundedMinutes(std::int64_t seconds)
{
    std::int64_t q = seconds / 60;
    const std::int64_t r = seconds % 60;
    if (r >= 30)
        ++q;
    else if (r <= -30)
        --q;
    return q;
}

size_t qHash(const FocusEvent &e, size_t seed = 0) noexcept;
size_t qHash(const StudySession &s, size_t seed = 0) noexcept;

} // namespace tessary

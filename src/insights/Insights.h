#pragma once

#include "records/SessionRecords.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTimeZone>

#include <cstdint>
#include <vector>

// Statistics of the archive. Every function is pure: the archive (newest first),
// the current instant and the time zone whose calendar days count.
namespace tessary::insights {

struct DaySummary {
    QDateTime date; // local start of the day
    std::int64_t minutes = 0;
    std::int64_t sessions = 0;
    std::int64_t wanderCount = 0;
    bool operator==(const DaySummary &) const = default;
};

struct TaskSummary {
    QString name;
    std::int64_t focusedMinutes = 0;
    std::int64_t sessions = 0;
    double averageFocus = 0.0;
    bool operator==(const TaskSummary &) const = default;
};

// Where "today" is and how instants map to calendar days.
struct Calendar {
    Timestamp now;
    QTimeZone zone = QTimeZone::systemTimeZone();
};

QList<StudySession> todaySessions(const QList<StudySession> &archive, const Calendar &cal);
std::int64_t todayMinutes(const QList<StudySession> &archive, const Calendar &cal);
std::int64_t todayWanderCount(const QList<StudySession> &archive, const Calendar &cal);
// Consecutive days with a round, ending today or yesterday.
std::int64_t streakDays(const QList<StudySession> &archive, const Calendar &cal);
// Seven days, oldest first, today last; empty days included.
QList<DaySummary> weeklySummaries(const QList<StudySession> &archive, const Calendar &cal);
// Per display task name; most minutes first, ties in file-browser name order.
QList<TaskSummary> taskSummaries(const QList<StudySession> &archive);
// Median span before the first mind-wandering over the last 12 rounds, 10…120; 30 without data.
std::int64_t attentionCapacityMinutes(const QList<StudySession> &archive);
// The next round's suggested length, 20…120; 30 with fewer than three rounds.
std::int64_t recommendedMinutes(const QList<StudySession> &archive);
// How many recent rounds the capacity estimate looks at.
std::int64_t capacityWindow(const QList<StudySession> &archive);

// Rounds with at least one focused second, in archive order.
QList<StudySession> completedSessions(const QList<StudySession> &archive);
// Their number, without copying them (what the insights screen shows).
std::int64_t completedSessionCount(const QList<StudySession> &archive);
// Mind-wandering signals per focused hour ("2.4 次/时"), or "—".
QString wanderRateText(const QList<StudySession> &archive);
// Mean end-minus-start energy ("+0.5 格"), or "—".
QString energyDropText(const QList<StudySession> &archive);

// The focus ratings of the last (up to) ten rounds, oldest first: point i is (i, rating).
struct TrendPoint {
    int x = 0;
    std::int64_t rating = 0;
    bool operator==(const TrendPoint &) const = default;
};
QList<TrendPoint> ratingTrend(const QList<StudySession> &archive);

// The task rows the distribution chart shows: at most eight, with the bar scale and
// how many rows were left out.
struct TaskDistribution {
    QList<TaskSummary> rows;
    std::int64_t scale = 1;
    std::int64_t hiddenRows = 0;
};
TaskDistribution taskDistribution(const QList<TaskSummary> &summaries);

// The history screen's summary: every session, the sum of their rounded minutes and
// the mean focus rating (0 for an empty archive).
struct ArchiveTotals {
    std::int64_t sessions = 0;
    std::int64_t minutes = 0;
    double averageRating = 0.0;
};
ArchiveTotals archiveTotals(const QList<StudySession> &archive);

} // namespace tessary::insights

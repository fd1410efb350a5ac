#pragma once

#include "Insights.h"

#include <QDate>

#include <optional>

// Progress over weeks: how the stable-focus estimate moves, when in the week and on which task
// attention holds, and how much was done each day. Pure functions of (archive, now, zone) like
// the rest; only rounds with at least one focused second count.
namespace tessary::insights {

// The span one round suggests the user can hold, in whole minutes, 10 at least.
std::int64_t roundSpanMinutes(const StudySession &s);

constexpr int kProgressWeeks = 12;
constexpr int kPointMinimum = 3; // rounds a week, a cell or a task needs to show a figure

struct WeekPoint {
    QDate monday;
    std::int64_t rounds = 0;
    std::optional<std::int64_t> minutes; // the estimate of the week's rounds; none under 3
    bool operator==(const WeekPoint &) const = default;
};

// The last 12 calendar weeks (Monday to Sunday), oldest first, this week last.
QList<WeekPoint> weeklyEstimates(const QList<StudySession> &archive, const Calendar &cal);
// Under the line: "12 周内从 18 分钟到 31 分钟（+13）" between the first and last weeks with a
// point; with fewer than two, how many more rounds it takes before the line appears.
QString weeklyChangeText(const QList<WeekPoint> &weeks);

constexpr int kTimeBlocks = 6; // 0–4, 4–8, … 20–24 o'clock by a round's local start

struct RhythmCell {
    int weekday = 0; // 0 Monday … 6 Sunday
    int block = 0;   // 0 … 5
    std::int64_t rounds = 0;
    std::optional<std::int64_t> medianSpan; // none under 3 rounds
    bool operator==(const RhythmCell &) const = default;
};

// 42 cells, Monday's six blocks first.
QList<RhythmCell> focusRhythm(const QList<StudySession> &archive, const Calendar &cal);
// "周三 8–12 点最稳定（32 分钟，14 轮）"; empty when no cell has a figure. Ties: more rounds,
// then the earlier cell in the week.
QString bestRhythmText(const QList<RhythmCell> &cells);
// A cell's name and figures, for its tooltip and its accessible name: "周三 8–12 点：32 分钟，14 轮".
QString rhythmCellText(const RhythmCell &cell);

struct TaskEstimate {
    QString name;
    std::int64_t minutes = 0;
    std::int64_t rounds = 0;
    bool operator==(const TaskEstimate &) const = default;
};

// Per display task name with at least 3 rounds: the estimate of its rounds; highest first, ties
// in file-browser name order.
QList<TaskEstimate> taskEstimates(const QList<StudySession> &archive);

constexpr int kHeatmapWeeks = 26;

struct HeatmapDay {
    QDate date;
    std::int64_t minutes = 0; // net focus, the sum of the rounds' rounded minutes
    bool operator==(const HeatmapDay &) const = default;
};

// 26 columns of Monday…Sunday, oldest first, this week last (days after today included, empty).
QList<HeatmapDay> dailyHeatmap(const QList<StudySession> &archive, const Calendar &cal);
// The legend's upper bounds: 0, then four steps up to the busiest day (at least 1 minute each).
QList<std::int64_t> heatmapSteps(const QList<HeatmapDay> &days);

} // namespace tessary::insights

#include "insights/Progress.h"

#include <gtest/gtest.h>

using namespace tessary;
using namespace tessary::insights;

namespace {

// A round started at `startedIso` whose span is `span` minutes (its first mind-wandering).
StudySession roundOf(const char *startedIso, std::int64_t span, const char *task = nullptr)
{
    StudySession s;
    s.id = Uuid::createRandom();
    s.startedAt = *Timestamp::parseIso8601(startedIso);
    s.focusedSeconds = 3600;
    s.focusRating = 4;
    s.events.append(FocusEvent{Uuid::createRandom(), s.startedAt, span * 60, FocusEventKind::mindWander});
    if (task)
        s.taskName = QString::fromUtf8(task);
    return s;
}

const QTimeZone kBerlin("Europe/Berlin");
// Thursday 2026-12-10 12:00 in Berlin: this week began on Monday 2026-12-07.
const Calendar kCal{*Timestamp::parseIso8601("2026-12-10T11:00:00Z"), kBerlin};

} // namespace

// Weeks run Monday to Sunday in local time, also across the autumn clock change; a week needs
// 3 rounds for a point; a week's estimate takes its newest 12 rounds; rounds without focused
// time do not count.
TEST(Progress, WeeklyPointsFollowLocalMondaysAndNeedThreeRounds)
{
    QList<StudySession> archive;
    // This week: 13 rounds, newest first; the oldest (span 100) falls outside the newest 12.
    for (int i = 0; i < 12; ++i)
        archive.append(roundOf("2026-12-09T08:00:00Z", 20 + i));
    archive.append(roundOf("2026-12-07T00:30:00Z", 100)); // Monday 01:30 Berlin
    // Sunday 23:30 Berlin is the week before: with two more, 3 rounds there.
    archive.append(roundOf("2026-12-06T22:30:00Z", 40));
    archive.append(roundOf("2026-12-05T10:00:00Z", 40));
    archive.append(roundOf("2026-12-01T10:00:00Z", 50));
    // Two rounds in the week of the clock change (Monday 2026-10-26 … Sunday 11-01): no point.
    archive.append(roundOf("2026-10-25T23:30:00Z", 30)); // Monday 00:30 CET, the day after the change
    archive.append(roundOf("2026-10-31T12:00:00Z", 30));
    StudySession unfocused = roundOf("2026-10-28T12:00:00Z", 30);
    unfocused.focusedSeconds = 0;
    archive.append(unfocused);
    archive.append(roundOf("2026-10-25T00:30:00Z", 30)); // Sunday before: the week of 10-19

    const QList<WeekPoint> weeks = weeklyEstimates(archive, kCal);
    ASSERT_EQ(weeks.size(), 12);
    EXPECT_EQ(weeks.back().monday, QDate(2026, 12, 7));
    EXPECT_EQ(weeks.front().monday, QDate(2026, 9, 21));
    EXPECT_EQ(weeks.back().rounds, 13);
    EXPECT_EQ(weeks.back().minutes, 26); // the upper median of 20…31, not 100
    EXPECT_EQ(weeks[10].monday, QDate(2026, 11, 30));
    EXPECT_EQ(weeks[10].rounds, 3);
    EXPECT_EQ(weeks[10].minutes, 40);
    EXPECT_EQ(weeks[5].monday, QDate(2026, 10, 26));
    EXPECT_EQ(weeks[5].rounds, 2);
    EXPECT_FALSE(weeks[5].minutes);
    EXPECT_EQ(weeks[4].rounds, 1);
    EXPECT_EQ(weeklyChangeText(weeks), QStringLiteral("2 周内从 40 分钟到 26 分钟（−14）"));
}

// Before two weeks have a point, the line says how many more rounds it takes.
TEST(Progress, TheChangeTextCountsTheRoundsStillNeeded)
{
    EXPECT_EQ(weeklyChangeText(weeklyEstimates({}, kCal)),
              QStringLiteral("每周至少完成 3 轮，再完成 6 轮后，这里会画出稳定专注的变化。"));
    QList<StudySession> archive{roundOf("2026-12-08T08:00:00Z", 20)};
    EXPECT_TRUE(weeklyChangeText(weeklyEstimates(archive, kCal)).contains(QStringLiteral("再完成 5 轮")));
    for (int i = 0; i < 3; ++i)
        archive.append(roundOf("2026-11-25T08:00:00Z", 20)); // a point two weeks ago
    EXPECT_TRUE(weeklyChangeText(weeklyEstimates(archive, kCal)).contains(QStringLiteral("再完成 2 轮")));
}

// A round belongs to the block of its local start: 23:59 is Sunday's 20–24, 00:00 Monday's 0–4.
// Cells under 3 rounds have no figure; the best cell is the highest median, then more rounds.
TEST(Progress, RhythmCellsByLocalStartAndTheBestCell)
{
    QList<StudySession> archive{roundOf("2026-12-06T22:59:00Z", 50), roundOf("2026-12-06T23:00:00Z", 50)};
    for (int i = 0; i < 3; ++i)
        archive.append(roundOf("2026-12-09T08:00:00Z", 30 + i)); // Wednesday 09:00 Berlin
    for (int i = 0; i < 4; ++i)
        archive.append(roundOf("2026-12-10T13:00:00Z", 31)); // Thursday 14:00: the same median, more rounds
    const QList<RhythmCell> cells = focusRhythm(archive, kCal);
    ASSERT_EQ(cells.size(), 42);
    EXPECT_EQ(cells[6 * 6 + 5].rounds, 1); // Sunday 20–24
    EXPECT_EQ(cells[0].rounds, 1);         // Monday 0–4
    EXPECT_FALSE(cells[0].medianSpan);
    EXPECT_EQ(cells[2 * 6 + 2].medianSpan, 31); // Wednesday 8–12
    EXPECT_EQ(bestRhythmText(cells), QStringLiteral("周四 12–16 点最稳定（31 分钟，4 轮）"));
    EXPECT_EQ(rhythmCellText(cells[2 * 6 + 2]), QStringLiteral("周三 8–12 点：31 分钟，3 轮"));
    EXPECT_EQ(rhythmCellText(cells[0]), QStringLiteral("周一 0–4 点：1 轮，至少 3 轮才显示"));
    EXPECT_EQ(bestRhythmText(focusRhythm({}, kCal)), QString());
}

// Tasks with 3 rounds or more, by their estimate; ties in file-browser order (任务2 before 任务10).
TEST(Progress, TaskEstimatesNeedThreeRoundsAndBreakTiesByName)
{
    QList<StudySession> archive;
    for (const char *task : {"任务10", "任务2", "阅读"})
        for (int i = 0; i < 3; ++i)
            archive.append(roundOf("2026-12-08T08:00:00Z", std::string_view(task) == "阅读" ? 45 : 25, task));
    archive.append(roundOf("2026-12-08T08:00:00Z", 90, "只有两轮"));
    archive.append(roundOf("2026-12-08T08:00:00Z", 90, "只有两轮"));
    const QList<TaskEstimate> rows = taskEstimates(archive);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0], (TaskEstimate{QStringLiteral("阅读"), 45, 3}));
    EXPECT_EQ(rows[1].name, QStringLiteral("任务2"));
    EXPECT_EQ(rows[2].name, QStringLiteral("任务10"));
}

// 26 weeks of days, the first column a Monday 25 weeks before this week's; a day's minutes are
// the sum of its rounds' rounded minutes; the legend rises to the busiest day.
TEST(Progress, HeatmapColumnsAndLegend)
{
    QList<StudySession> archive{roundOf("2026-12-10T08:00:00Z", 20), roundOf("2026-12-10T09:00:00Z", 20),
                                roundOf("2026-06-15T08:00:00Z", 20), roundOf("2026-06-14T08:00:00Z", 20)};
    const QList<HeatmapDay> days = dailyHeatmap(archive, kCal);
    ASSERT_EQ(days.size(), 26 * 7);
    EXPECT_EQ(days.front().date, QDate(2026, 6, 15));
    EXPECT_EQ(days.front().minutes, 60);
    EXPECT_EQ(days[7 * 25 + 3].date, QDate(2026, 12, 10));
    EXPECT_EQ(days[7 * 25 + 3].minutes, 120);
    EXPECT_EQ(days.back().date, QDate(2026, 12, 13));
    EXPECT_EQ(heatmapSteps(days), (QList<std::int64_t>{0, 30, 60, 90, 120}));
    EXPECT_EQ(heatmapSteps(dailyHeatmap({}, kCal)), QList<std::int64_t>{0});
}

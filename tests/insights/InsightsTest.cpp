#include "insights/Insights.h"

#include <gtest/gtest.h>

using namespace tessary;
using namespace tessary::insights;

namespace {

Timestamp at(const char *iso) { return *Timestamp::parseIso8601(iso); }

StudySession session(const char *startedIso, std::int64_t focusedSeconds = 1500, std::int64_t rating = 4)
{
    StudySession s;
    s.id = Uuid::createRandom();
    s.startedAt = at(startedIso);
    s.focusedSeconds = focusedSeconds;
    s.focusRating = rating;
    s.completed = true;
    s.startEnergy = 4;
    s.endEnergy = 3;
    return s;
}

StudySession withWander(StudySession s, std::int64_t elapsed)
{
    s.events.append(FocusEvent{Uuid::createRandom(), s.startedAt, elapsed, FocusEventKind::mindWander});
    return s;
}

const QTimeZone kShanghai("Asia/Shanghai");

} // namespace

// An empty archive's figures, trend, task rows and week are read through the insights screen:
// InsightsModel.FiguresTrendAndWeekFollowTheArchiveAndAnEmptyOneShowsTheDefaults.

TEST(Insights, TodayFollowsTheLocalCalendarDay)
{
    // 16:30 UTC is 00:30 the next day in Shanghai.
    const QList<StudySession> archive{withWander(session("2026-12-05T16:30:00Z", 90), 30),
                                      session("2026-12-05T15:59:59Z", 3000)};
    const Calendar cal{at("2026-12-06T10:00:00Z"), kShanghai};
    EXPECT_EQ(todaySessions(archive, cal).size(), 1);
    EXPECT_EQ(todayMinutes(archive, cal), 2);
    EXPECT_EQ(todayWanderCount(archive, cal), 1);
    const Calendar utc{at("2026-12-06T10:00:00Z"), QTimeZone::utc()};
    EXPECT_EQ(todaySessions(archive, utc).size(), 0);
}

TEST(Insights, StreakEndsTodayOrYesterday)
{
    const Calendar cal{at("2026-12-06T12:00:00Z"), QTimeZone::utc()};
    EXPECT_EQ(streakDays({}, cal), 0);
    EXPECT_EQ(streakDays({session("2026-12-05T09:00:00Z"), session("2026-12-04T22:00:00Z")}, cal), 2);
    EXPECT_EQ(streakDays({session("2026-12-06T01:00:00Z")}, cal), 1);
    EXPECT_EQ(streakDays({session("2026-12-06T01:00:00Z"), session("2026-12-04T01:00:00Z")}, cal), 1);
    EXPECT_EQ(streakDays({session("2026-12-04T01:00:00Z"), session("2026-12-03T01:00:00Z")}, cal), 0);
}

TEST(Insights, TheWeekStaysSevenCalendarDaysAcrossADaylightSavingChange)
{
    // Berlin moves to summer time on 2026-03-29; that day has 23 hours.
    const QTimeZone berlin("Europe/Berlin");
    const Calendar cal{at("2026-03-31T10:00:00Z"), berlin};
    const QList<StudySession> archive{session("2026-03-29T22:30:00Z", 600),   // 00:30 on the 30th
                                      session("2026-03-28T23:30:00Z", 1200),  // 00:30 on the 29th
                                      session("2026-03-28T22:30:00Z", 60)};   // 23:30 on the 28th
    const auto week = weeklySummaries(archive, cal);
    ASSERT_EQ(week.size(), 7);
    EXPECT_EQ(week.first().date.date(), QDate(2026, 3, 25));
    EXPECT_EQ(week.last().date.date(), QDate(2026, 3, 31));
    EXPECT_EQ(week[3].minutes, 1);  // 28th
    EXPECT_EQ(week[4].minutes, 20); // 29th
    EXPECT_EQ(week[5].minutes, 10); // 30th
    EXPECT_EQ(week[4].date.offsetFromUtc(), 3600); // midnight of the 29th is still winter time
    EXPECT_EQ(streakDays(archive, cal), 3); // yesterday, the short day and the day before
    const Calendar twoDaysLater{at("2026-04-01T10:00:00Z"), berlin};
    EXPECT_EQ(streakDays(archive, twoDaysLater), 0);
}

TEST(Insights, CapacityIsTheUpperMedianOfRecentSpans)
{
    // No wandering, rating 4: the span is the session's minutes.
    QList<StudySession> archive;
    for (int m : {10, 20, 30, 40})
        archive.append(session("2026-12-01T00:00:00Z", m * 60, 4));
    EXPECT_EQ(attentionCapacityMinutes(archive), 30);

    EXPECT_EQ(attentionCapacityMinutes({withWander(session("2026-12-01T00:00:00Z", 3000), 1500)}), 25);
    EXPECT_EQ(attentionCapacityMinutes({withWander(session("2026-12-01T00:00:00Z", 3000), 40)}), 10);
    EXPECT_EQ(attentionCapacityMinutes({session("2026-12-01T00:00:00Z", 2400, 3)}), 30);
    EXPECT_EQ(attentionCapacityMinutes({session("2026-12-01T00:00:00Z", 2400, 4)}), 40);
    EXPECT_EQ(attentionCapacityMinutes({session("2026-12-01T00:00:00Z", 300, 5)}), 10);
    EXPECT_EQ(attentionCapacityMinutes({session("2026-12-01T00:00:00Z", 9000, 5)}), 120);

    // Only the newest twelve count: a thirteenth long round changes nothing.
    QList<StudySession> thirteen(12, session("2026-12-01T00:00:00Z", 600, 4));
    thirteen.append(session("2026-11-01T00:00:00Z", 6000, 4));
    EXPECT_EQ(attentionCapacityMinutes(thirteen), 10);
}

TEST(Insights, RecommendationAddsFiveAfterThreeStableRounds)
{
    QList<StudySession> two{session("2026-12-01T00:00:00Z", 6000, 5), session("2026-12-01T00:00:00Z", 6000, 5)};
    EXPECT_EQ(recommendedMinutes(two), 30);

    QList<StudySession> stable(3, session("2026-12-01T00:00:00Z", 118 * 60, 5));
    EXPECT_EQ(attentionCapacityMinutes(stable), 118);
    EXPECT_EQ(recommendedMinutes(stable), 120);

    QList<StudySession> oneIncomplete = stable;
    oneIncomplete[1].completed = false;
    EXPECT_EQ(recommendedMinutes(oneIncomplete), 118);

    QList<StudySession> lowEnergy = stable;
    lowEnergy[2].endEnergy = 1;
    EXPECT_EQ(recommendedMinutes(lowEnergy), 118);

    QList<StudySession> shortUnstable(3, session("2026-12-01T00:00:00Z", 300, 2));
    EXPECT_EQ(recommendedMinutes(shortUnstable), 20);
}

TEST(Insights, TasksGroupByDisplayNameAndSortByMinutesThenFileOrder)
{
    const auto task = [](const char *name, std::int64_t seconds, std::int64_t rating) {
        StudySession s = session("2026-12-01T00:00:00Z", seconds, rating);
        s.taskName = QString::fromUtf8(name);
        return s;
    };
    const auto rows = taskSummaries({task("任务10", 600, 4), task(" 阅读 ", 600, 5),
                                     session("2026-12-01T00:00:00Z", 60, 4), task("阅读", 1200, 2),
                                     task("任务2", 600, 4)});
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0].name, QStringLiteral("阅读"));
    EXPECT_EQ(rows[0].focusedMinutes, 30);
    EXPECT_EQ(rows[0].sessions, 2);
    EXPECT_DOUBLE_EQ(rows[0].averageFocus, 3.5);
    EXPECT_EQ(rows[1].name, QStringLiteral("任务2"));
    EXPECT_EQ(rows[2].name, QStringLiteral("任务10"));
    EXPECT_EQ(rows[3].name, QStringLiteral("未分类"));
}

TEST(Insights, RatesAndEnergyTextsUseFocusedRoundsOnly)
{
    StudySession a = withWander(withWander(session("2026-12-01T00:00:00Z", 1500), 10), 20);
    a.endEnergy = a.startEnergy + 1;
    StudySession b = session("2026-12-01T00:00:00Z", 29 * 60 + 60 * 20 + 11); // 49.2 min → 49
    b.endEnergy = b.startEnergy - 2;
    StudySession empty = session("2026-12-01T00:00:00Z", 0);
    empty.endEnergy = 0;
    const QList<StudySession> archive{a, b, empty};
    EXPECT_EQ(completedSessions(archive).size(), 2);
    EXPECT_EQ(wanderRateText(archive), QStringLiteral("1.6 次/时")); // 2 per 74 min
    EXPECT_EQ(energyDropText(archive), QStringLiteral("-0.5 格"));
    StudySession flat = session("2026-12-01T00:00:00Z", 29);
    flat.endEnergy = flat.startEnergy;
    EXPECT_EQ(energyDropText({flat}), QStringLiteral("+0.0 格"));
    EXPECT_EQ(wanderRateText({flat}), QStringLiteral("—")); // 0 minutes
}

// The trend's window of ten (oldest first) and the task rows' cap of eight with their scale are
// read through the insights screen: InsightsModel.FiguresTrendAndWeekFollowTheArchiveAndAnEmptyOneShowsTheDefaults
// and InsightsModel.TaskRowsAtMostEightWithNoteAndScale.

// Every statistic over a heavy user's archive (10,000 sessions): one draw of the
// sidebar, the focus screen and the insights screen reads all of these.

#include "ArchiveFactory.h"
#include "insights/Insights.h"
#include "insights/Progress.h"

#include <benchmark/benchmark.h>

using namespace tessary;
using namespace tessary::insights;

namespace {

const QList<StudySession> &archive()
{
    static const QList<StudySession> a = fixtures::makeArchive(10000);
    return a;
}

Calendar calendar() { return Calendar{Timestamp::fromSecsSinceEpoch(1796000000 + 3600), QTimeZone("Asia/Shanghai")}; }

void BM_EveryStatisticOnce(benchmark::State &state)
{
    const auto &a = archive();
    const Calendar cal = calendar();
    for (auto _ : state) {
        benchmark::DoNotOptimize(todayMinutes(a, cal));
        benchmark::DoNotOptimize(todayWanderCount(a, cal));
        benchmark::DoNotOptimize(todaySessions(a, cal).size());
        benchmark::DoNotOptimize(streakDays(a, cal));
        benchmark::DoNotOptimize(weeklySummaries(a, cal));
        const auto tasks = taskSummaries(a);
        benchmark::DoNotOptimize(taskDistribution(tasks));
        benchmark::DoNotOptimize(attentionCapacityMinutes(a));
        benchmark::DoNotOptimize(recommendedMinutes(a));
        benchmark::DoNotOptimize(capacityWindow(a));
        benchmark::DoNotOptimize(completedSessionCount(a));
        benchmark::DoNotOptimize(wanderRateText(a));
        benchmark::DoNotOptimize(energyDropText(a));
        benchmark::DoNotOptimize(ratingTrend(a));
    }
}

template <typename F>
void single(benchmark::State &state, F f)
{
    const auto &a = archive();
    const Calendar cal = calendar();
    for (auto _ : state)
        benchmark::DoNotOptimize(f(a, cal));
}

} // namespace

// The progress part: every figure it shows, together.
void BM_ProgressFiguresOnce(benchmark::State &state)
{
    const auto &a = archive();
    const Calendar cal = calendar();
    for (auto _ : state) {
        const auto weeks = weeklyEstimates(a, cal);
        benchmark::DoNotOptimize(weeklyChangeText(weeks));
        benchmark::DoNotOptimize(bestRhythmText(focusRhythm(a, cal)));
        benchmark::DoNotOptimize(taskEstimates(a).size());
        benchmark::DoNotOptimize(heatmapSteps(dailyHeatmap(a, cal)).size());
    }
}

BENCHMARK(BM_EveryStatisticOnce)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgressFiguresOnce)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(single, todayMinutes, [](auto &a, auto &c) { return todayMinutes(a, c); })->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(single, streakDays, [](auto &a, auto &c) { return streakDays(a, c); })->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(single, weeklySummaries, [](auto &a, auto &c) { return weeklySummaries(a, c).size(); })->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(single, taskSummaries, [](auto &a, auto &) { return taskSummaries(a).size(); })->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(single, wanderRateText, [](auto &a, auto &) { return wanderRateText(a); })->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(single, completedSessions_copied, [](auto &a, auto &) { return completedSessions(a).size(); })->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();

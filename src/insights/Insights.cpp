#include "Insights.h"

#include "Progress.h"
#include "records/LocalTime.h"

#include <QCollator>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <unordered_set>

namespace tessary::insights {

namespace {

template <typename F>
void forTodaysSessions(const QList<StudySession> &archive, const Calendar &cal, F f)
{
    LocalTime local(cal.zone);
    const std::int64_t today = local.dayIndex(cal.now);
    for (const auto &s : archive)
        if (local.dayIndex(s.startedAt) == today)
            f(s);
}

} // namespace

QList<StudySession> todaySessions(const QList<StudySession> &archive, const Calendar &cal)
{
    QList<StudySession> result;
    forTodaysSessions(archive, cal, [&](const StudySession &s) { result.append(s); });
    return result;
}

std::int64_t todayMinutes(const QList<StudySession> &archive, const Calendar &cal)
{
    std::int64_t total = 0;
    forTodaysSessions(archive, cal, [&](const StudySession &s) { total += roundedMinutes(s.focusedSeconds); });
    return total;
}

std::int64_t todayWanderCount(const QList<StudySession> &archive, const Calendar &cal)
{
    std::int64_t total = 0;
    forTodaysSessions(archive, cal, [&](const StudySession &s) { total += s.mindWanderCount(); });
    return total;
}

std::int64_t streakDays(const QList<StudySession> &archive, const Calendar &cal)
{
    if (archive.isEmpty())
        return 0;
    LocalTime local(cal.zone);
    std::unordered_set<std::int64_t> days;
    days.reserve(size_t(archive.size()));
    for (const auto &s : archive)
        days.insert(local.dayIndex(s.startedAt));
    std::int64_t cursor = local.dayIndex(cal.now);
    if (!days.count(cursor))
        --cursor; // no round yet today does not break a streak that ended yesterday
    std::int64_t count = 0;
    while (days.count(cursor)) {
        ++count;
        --cursor;
    }
    return count;
}

QList<DaySummary> weeklySummaries(const QList<StudySession> &archive, const Calendar &cal)
{
    LocalTime local(cal.zone);
    const std::int64_t today = local.dayIndex(cal.now);
    QList<DaySummary> week;
    week.reserve(7);
    for (std::int64_t offset = -6; offset <= 0; ++offset) {
        DaySummary day;
        day.date = local.startOfDay(today + offset);
        week.append(day);
    }
    for (const auto &s : archive) {
        const std::int64_t offset = local.dayIndex(s.startedAt) - today;
        if (offset < -6 || offset > 0)
            continue;
        DaySummary &day = week[qsizetype(offset + 6)];
        day.minutes += roundedMinutes(s.focusedSeconds);
        day.sessions += 1;
        day.wanderCount += s.mindWanderCount();
    }
    return week;
}

QList<TaskSummary> taskSummaries(const QList<StudySession> &archive)
{
    // Groups in order of first appearance, so the stable sort below is deterministic.
    QList<TaskSummary> groups;
    std::vector<std::int64_t> ratingSums;
    QHash<QString, qsizetype> indexOf;
    for (const auto &s : archive) {
        const QString name = s.displayTaskName();
        auto it = indexOf.constFind(name);
        if (it == indexOf.cend()) {
            it = indexOf.insert(name, groups.size());
            groups.append(TaskSummary{name, 0, 0, 0.0});
            ratingSums.push_back(0);
        }
        TaskSummary &g = groups[*it];
        g.focusedMinutes += roundedMinutes(s.focusedSeconds);
        g.sessions += 1;
        ratingSums[size_t(*it)] += s.focusRating;
    }
    for (qsizetype i = 0; i < groups.size(); ++i)
        groups[i].averageFocus = double(ratingSums[size_t(i)]) / double(groups[i].sessions);

    // File-browser order for ties: case-insensitive, digit runs by value (任务2 before 任务10).
    QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(groups.begin(), groups.end(), [&](const TaskSummary &a, const TaskSummary &b) {
        if (a.focusedMinutes != b.focusedMinutes)
            return a.focusedMinutes > b.focusedMinutes;
        return collator.compare(a.name, b.name) < 0;
    });
    return groups;
}

std::int64_t capacityWindow(const QList<StudySession> &archive) { return std::min<std::int64_t>(archive.size(), 12); }

std::int64_t attentionCapacityMinutes(const QList<StudySession> &archive)
{
    const auto window = capacityWindow(archive);
    if (window == 0)
        return 30;
    std::vector<std::int64_t> spans;
    spans.reserve(size_t(window));
    for (qsizetype i = 0; i < window; ++i)
        spans.push_back(roundSpanMinutes(archive[i]));
    std::sort(spans.begin(), spans.end());
    return std::min<std::int64_t>(spans[spans.size() / 2], 120); // upper middle for an even count
}

std::int64_t recommendedMinutes(const QList<StudySession> &archive)
{
    if (archive.size() < 3)
        return 30;
    const bool stable = std::all_of(archive.begin(), archive.begin() + 3, [](const StudySession &s) {
        return s.completed && s.focusRating >= 4 && s.endEnergy >= 2 && s.mindWanderCount() <= 1;
    });
    const std::int64_t base = attentionCapacityMinutes(archive) + (stable ? 5 : 0);
    return std::clamp<std::int64_t>(base, 20, 120);
}

std::int64_t completedSessionCount(const QList<StudySession> &archive)
{
    return std::count_if(archive.cbegin(), archive.cend(), [](const StudySession &s) { return s.focusedSeconds >= 1; });
}

QList<StudySession> completedSessions(const QList<StudySession> &archive)
{
    QList<StudySession> result;
    result.reserve(qsizetype(completedSessionCount(archive)));
    for (const auto &s : archive)
        if (s.focusedSeconds >= 1)
            result.append(s);
    return result;
}

QString wanderRateText(const QList<StudySession> &archive)
{
    std::int64_t minutes = 0, wanders = 0;
    for (const auto &s : archive) {
        if (s.focusedSeconds < 1)
            continue;
        minutes += roundedMinutes(s.focusedSeconds);
        wanders += s.mindWanderCount();
    }
    if (minutes < 1)
        return QStringLiteral("—");
    return QString::asprintf("%.1f 次/时", double(wanders) / double(minutes) * 60.0);
}

QString energyDropText(const QList<StudySession> &archive)
{
    std::int64_t count = 0, sum = 0;
    for (const auto &s : archive) {
        if (s.focusedSeconds < 1)
            continue;
        ++count;
        sum += s.endEnergy - s.startEnergy;
    }
    if (count == 0)
        return QStringLiteral("—");
    return QString::asprintf("%+.1f 格", double(sum) / double(count));
}

QList<TrendPoint> ratingTrend(const QList<StudySession> &archive)
{
    const qsizetype n = std::min<qsizetype>(archive.size(), 10);
    QList<TrendPoint> points;
    points.reserve(n);
    for (qsizetype i = 0; i < n; ++i)
        points.append(TrendPoint{int(i + 1), archive[n - 1 - i].focusRating});
    return points;
}

TaskDistribution taskDistribution(const QList<TaskSummary> &summaries)
{
    TaskDistribution d;
    d.rows = summaries.size() >= 9 ? summaries.first(8) : summaries;
    d.hiddenRows = summaries.size() - d.rows.size();
    std::int64_t largest = 0;
    for (const auto &row : d.rows)
        largest = std::max(largest, row.focusedMinutes);
    d.scale = largest < 2 ? 1 : largest;
    return d;
}

ArchiveTotals archiveTotals(const QList<StudySession> &archive)
{
    ArchiveTotals t;
    std::int64_t ratings = 0;
    for (const auto &s : archive) {
        t.minutes += roundedMinutes(s.focusedSeconds);
        ratings += s.focusRating;
    }
    t.sessions = archive.size();
    t.averageRating = t.sessions == 0 ? 0.0 : double(ratings) / double(t.sessions);
    return t;
}

} // namespace tessary::insights

#include "Progress.h"

#include "records/LocalTime.h"

#include <QCollator>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <array>

namespace tessary::insights {

namespace {

// Monday 0 … Sunday 6 of a day counted from 1970-01-01, a Thursday.
int weekdayOf(std::int64_t day) { return int(((day + 3) % 7 + 7) % 7); }

std::int64_t upperMedian(std::vector<std::int64_t> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A set's estimate kept as it is gathered in archive order: the spans of its newest 12 rounds
// and how many rounds it has; the same rule as the stable-focus estimate (median, 10…120).
struct Estimate {
    std::vector<std::int64_t> spans;
    std::int64_t rounds = 0;
    void add(const StudySession &s)
    {
        if (spans.size() < 12)
            spans.push_back(roundSpanMinutes(s));
        ++rounds;
    }
    std::int64_t minutes() const { return std::min<std::int64_t>(upperMedian(spans), 120); }
};

QString weekdayName(int weekday)
{
    static const std::array<const char *, 7> names{"周一", "周二", "周三", "周四", "周五", "周六", "周日"};
    return QString::fromUtf8(names[size_t(weekday)]);
}

QString cellName(const RhythmCell &c)
{
    return QStringLiteral("%1 %2–%3 点").arg(weekdayName(c.weekday)).arg(c.block * 4).arg(c.block * 4 + 4);
}

} // namespace

std::int64_t roundSpanMinutes(const StudySession &s)
{
    for (const auto &e : s.events) {
        if (e.kind == FocusEventKind::mindWander)
            return std::max<std::int64_t>(e.elapsedSeconds / 60, 10);
    }
    const std::int64_t m = roundedMinutes(s.focusedSeconds);
    if (s.focusRating > 3)
        return std::max<std::int64_t>(m, 10);
    // Truncate m × 0.75 toward zero without going through floating point.
    const std::int64_t threeQuarters = m / 4 * 3 + (m % 4) * 3 / 4;
    return std::max<std::int64_t>(std::min(threeQuarters, m), 10);
}

QList<WeekPoint> weeklyEstimates(const QList<StudySession> &archive, const Calendar &cal)
{
    LocalTime local(cal.zone);
    const std::int64_t today = local.dayIndex(cal.now);
    const std::int64_t firstMonday = today - weekdayOf(today) - 7 * (kProgressWeeks - 1);
    std::array<Estimate, kProgressWeeks> weeks;
    for (const StudySession &s : archive) {
        if (s.focusedSeconds <= 0)
            continue;
        const std::int64_t week = floorDiv(local.dayIndex(s.startedAt) - firstMonday, 7);
        if (week >= 0 && week < kProgressWeeks)
            weeks[size_t(week)].add(s); // in archive order: the estimate takes the newest 12
    }
    QList<WeekPoint> points;
    for (int w = 0; w < kProgressWeeks; ++w) {
        WeekPoint p;
        p.monday = LocalTime::dateOfDay(firstMonday + 7 * w);
        p.rounds = weeks[size_t(w)].rounds;
        if (p.rounds >= kPointMinimum)
            p.minutes = weeks[size_t(w)].minutes();
        points.append(p);
    }
    return points;
}

QString weeklyChangeText(const QList<WeekPoint> &weeks)
{
    qsizetype first = -1, last = -1, withPoints = 0;
    for (qsizetype i = 0; i < weeks.size(); ++i) {
        if (!weeks[i].minutes)
            continue;
        if (first < 0)
            first = i;
        last = i;
        ++withPoints;
    }
    if (withPoints >= 2) {
        const std::int64_t from = *weeks[first].minutes, to = *weeks[last].minutes;
        const std::int64_t change = to - from;
        const QString signedChange = change > 0 ? QStringLiteral("+%1").arg(change)
                                     : change < 0 ? QStringLiteral("−%1").arg(-change)
                                                  : QStringLiteral("±0");
        return QStringLiteral("%1 周内从 %2 分钟到 %3 分钟（%4）").arg(last - first + 1).arg(from).arg(to).arg(signedChange);
    }
    // The line needs two weeks with 3 rounds each: this week's rounds count toward one of them.
    const WeekPoint &thisWeek = weeks.isEmpty() ? WeekPoint{} : weeks.back();
    std::int64_t needed = 0;
    if (withPoints == 1)
        needed = thisWeek.minutes ? kPointMinimum : kPointMinimum - thisWeek.rounds;
    else
        needed = 2 * kPointMinimum - thisWeek.rounds;
    return QStringLiteral("每周至少完成 3 轮，再完成 %1 轮后，这里会画出稳定专注的变化。").arg(std::max<std::int64_t>(needed, 1));
}

QList<RhythmCell> focusRhythm(const QList<StudySession> &archive, const Calendar &cal)
{
    LocalTime local(cal.zone);
    std::array<std::vector<std::int64_t>, 7 * kTimeBlocks> spans;
    for (const StudySession &s : archive) {
        if (s.focusedSeconds <= 0)
            continue;
        const std::int64_t seconds = local.localSeconds(s.startedAt);
        const std::int64_t day = floorDiv(seconds, 86400);
        const int block = int((seconds - day * 86400) / (4 * 3600));
        spans[size_t(weekdayOf(day) * kTimeBlocks + block)].push_back(roundSpanMinutes(s));
    }
    QList<RhythmCell> cells;
    for (int i = 0; i < 7 * kTimeBlocks; ++i) {
        RhythmCell c;
        c.weekday = i / kTimeBlocks;
        c.block = i % kTimeBlocks;
        c.rounds = qsizetype(spans[size_t(i)].size());
        if (c.rounds >= kPointMinimum)
            c.medianSpan = upperMedian(spans[size_t(i)]);
        cells.append(c);
    }
    return cells;
}

QString bestRhythmText(const QList<RhythmCell> &cells)
{
    const RhythmCell *best = nullptr;
    for (const RhythmCell &c : cells) {
        if (!c.medianSpan)
            continue;
        if (!best || *c.medianSpan > *best->medianSpan
            || (*c.medianSpan == *best->medianSpan && c.rounds > best->rounds))
            best = &c;
    }
    if (!best)
        return {};
    return QStringLiteral("%1最稳定（%2 分钟，%3 轮）").arg(cellName(*best)).arg(*best->medianSpan).arg(best->rounds);
}

QString rhythmCellText(const RhythmCell &cell)
{
    if (!cell.medianSpan)
        return QStringLiteral("%1：%2 轮，至少 3 轮才显示").arg(cellName(cell)).arg(cell.rounds);
    return QStringLiteral("%1：%2 分钟，%3 轮").arg(cellName(cell)).arg(*cell.medianSpan).arg(cell.rounds);
}

QList<TaskEstimate> taskEstimates(const QList<StudySession> &archive)
{
    QHash<QString, qsizetype> indexOf;
    std::vector<Estimate> groups;
    QStringList names;
    for (const StudySession &s : archive) {
        if (s.focusedSeconds <= 0)
            continue;
        const QString name = s.displayTaskName();
        auto it = indexOf.constFind(name);
        if (it == indexOf.cend()) {
            it = indexOf.insert(name, qsizetype(groups.size()));
            groups.emplace_back();
            names.append(name);
        }
        groups[size_t(*it)].add(s);
    }
    QList<TaskEstimate> rows;
    for (size_t i = 0; i < groups.size(); ++i)
        if (groups[i].rounds >= kPointMinimum)
            rows.append(TaskEstimate{names[qsizetype(i)], groups[i].minutes(), groups[i].rounds});
    // File-browser order for ties, as the task table: case-insensitive, digit runs by value.
    QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(rows.begin(), rows.end(), [&](const TaskEstimate &a, const TaskEstimate &b) {
        return a.minutes != b.minutes ? a.minutes > b.minutes : collator.compare(a.name, b.name) < 0;
    });
    return rows;
}

QList<HeatmapDay> dailyHeatmap(const QList<StudySession> &archive, const Calendar &cal)
{
    LocalTime local(cal.zone);
    const std::int64_t today = local.dayIndex(cal.now);
    const std::int64_t first = today - weekdayOf(today) - 7 * (kHeatmapWeeks - 1);
    QList<HeatmapDay> days;
    days.reserve(7 * kHeatmapWeeks);
    for (int i = 0; i < 7 * kHeatmapWeeks; ++i)
        days.append(HeatmapDay{LocalTime::dateOfDay(first + i), 0});
    for (const StudySession &s : archive) {
        const std::int64_t i = local.dayIndex(s.startedAt) - first;
        if (i >= 0 && i < days.size())
            days[i].minutes += roundedMinutes(s.focusedSeconds);
    }
    return days;
}

QList<std::int64_t> heatmapSteps(const QList<HeatmapDay> &days)
{
    std::int64_t most = 0;
    for (const HeatmapDay &d : days)
        most = std::max(most, d.minutes);
    QList<std::int64_t> steps{0};
    for (int k = 1; k <= 4 && most > 0; ++k) {
        const std::int64_t bound = std::max<std::int64_t>((most * k + 3) / 4, 1);
        if (bound > steps.back())
            steps.append(bound);
    }
    return steps;
}

} // namespace tessary::insights

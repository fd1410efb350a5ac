#include "ProgressModel.h"

#include "engine/AppStore.h"
#include "records/LocalTime.h"

#include <QLocale>

#include <algorithm>

namespace tessary::ui {

ProgressModel::ProgressModel(AppStore *store, QObject *parent) : QObject(parent), m_store(store)
{
    connect(store, &AppStore::statisticsChanged, this, [this] {
        m_snapshot.reset();
        ++m_revision;
        emit changed();
    });
}

const ProgressModel::Snapshot &ProgressModel::snapshot() const
{
    if (!m_snapshot) {
        const auto &archive = m_store->sessions();
        const insights::Calendar cal = m_store->calendar();
        Snapshot s;
        s.weeks = insights::weeklyEstimates(archive, cal);
        std::int64_t largest = 0;
        for (const auto &w : s.weeks)
            largest = std::max(largest, w.minutes.value_or(0));
        s.axis = charts::niceAxis(double(std::max<std::int64_t>(largest, 10)));
        s.rhythm = insights::focusRhythm(archive, cal);
        s.tasks = insights::taskEstimates(archive);
        s.days = insights::dailyHeatmap(archive, cal);
        s.steps = insights::heatmapSteps(s.days);
        s.today = LocalTime::dateOfDay(LocalTime(cal.zone).dayIndex(cal.now));
        m_snapshot = std::move(s);
    }
    return *m_snapshot;
}

QString ProgressModel::changeText() const { return insights::weeklyChangeText(snapshot().weeks); }

bool ProgressModel::hasLine() const
{
    const auto &weeks = snapshot().weeks;
    return std::count_if(weeks.cbegin(), weeks.cend(), [](const auto &w) { return w.minutes.has_value(); }) >= 2;
}

QList<std::optional<QPointF>> ProgressModel::weekScreenPoints(double width, double height) const
{
    const Snapshot &s = snapshot();
    const QRectF plot(0, 0, width, height);
    QList<std::optional<QPointF>> points;
    for (qsizetype i = 0; i < s.weeks.size(); ++i) {
        if (!s.weeks[i].minutes) {
            points.append(std::nullopt);
            continue;
        }
        points.append(QPointF(charts::trendX(int(i) + 1, int(s.weeks.size()), plot),
                              charts::yOf(double(*s.weeks[i].minutes), 0, s.axis.top, plot)));
    }
    return points;
}

QVariantList ProgressModel::weekPoints(double width, double height) const
{
    const Snapshot &s = snapshot();
    const auto points = weekScreenPoints(width, height);
    const QRectF plot(0, 0, width, height);
    QVariantList out;
    for (qsizetype i = 0; i < s.weeks.size(); ++i) {
        const auto &w = s.weeks[i];
        const QString label = QStringLiteral("%1/%2").arg(w.monday.month()).arg(w.monday.day());
        out.append(QVariantMap{
            {QStringLiteral("x"), charts::trendX(int(i) + 1, int(s.weeks.size()), plot)},
            {QStringLiteral("y"), points[i] ? points[i]->y() : -1.0},
            {QStringLiteral("minutes"), qint64(w.minutes.value_or(-1))},
            {QStringLiteral("label"), label},
            {QStringLiteral("text"),
             w.minutes ? QStringLiteral("%1 起的一周：%2 分钟，%3 轮").arg(label).arg(*w.minutes).arg(w.rounds)
                       : QStringLiteral("%1 起的一周：%2 轮，不足 3 轮").arg(label).arg(w.rounds)}});
    }
    return out;
}

QString ProgressModel::weekPath(double width, double height) const
{
    // Straight segments between weeks that both have a point; a gap breaks the line.
    QString path;
    bool drawing = false;
    for (const auto &p : weekScreenPoints(width, height)) {
        if (!p) {
            drawing = false;
            continue;
        }
        path += QStringLiteral("%1 %2 %3 ").arg(drawing ? QLatin1Char('L') : QLatin1Char('M')).arg(p->x()).arg(p->y());
        drawing = true;
    }
    return path.trimmed();
}

QVariantList ProgressModel::weekAxis(double height) const
{
    const auto &axis = snapshot().axis;
    const QRectF plot(0, 0, 1, height);
    QVariantList marks;
    for (double t : axis.ticks)
        marks.append(QVariantMap{{QStringLiteral("y"), charts::yOf(t, 0, axis.top, plot)},
                                 {QStringLiteral("text"), QString::number(qint64(t))}});
    return marks;
}

QVariantList ProgressModel::rhythmCells() const
{
    const auto &cells = snapshot().rhythm;
    std::int64_t low = 0, high = 0;
    bool any = false;
    for (const auto &c : cells) {
        if (!c.medianSpan)
            continue;
        low = any ? std::min(low, *c.medianSpan) : *c.medianSpan;
        high = any ? std::max(high, *c.medianSpan) : *c.medianSpan;
        any = true;
    }
    QVariantList out;
    for (const auto &c : cells) {
        // Colour strength within the user's own range, so differences show also in a narrow one.
        const double level = !c.medianSpan ? 0.0
                             : high == low ? 1.0
                                           : 0.25 + 0.75 * double(*c.medianSpan - low) / double(high - low);
        out.append(QVariantMap{{QStringLiteral("weekday"), c.weekday},
                               {QStringLiteral("block"), c.block},
                               {QStringLiteral("rounds"), qint64(c.rounds)},
                               {QStringLiteral("minutes"), qint64(c.medianSpan.value_or(-1))},
                               {QStringLiteral("level"), level},
                               {QStringLiteral("text"), insights::rhythmCellText(c)}});
    }
    return out;
}

QString ProgressModel::bestRhythmText() const { return insights::bestRhythmText(snapshot().rhythm); }

QVariantList ProgressModel::taskRows() const
{
    const auto &tasks = snapshot().tasks;
    const std::int64_t top = tasks.isEmpty() ? 1 : std::max<std::int64_t>(tasks.front().minutes, 1);
    QVariantList rows;
    for (const auto &t : tasks)
        rows.append(QVariantMap{{QStringLiteral("name"), t.name},
                                {QStringLiteral("minutes"), qint64(t.minutes)},
                                {QStringLiteral("rounds"), qint64(t.rounds)},
                                {QStringLiteral("fraction"), double(t.minutes) / double(top)}});
    return rows;
}

QVariantList ProgressModel::heatmapDays() const
{
    const Snapshot &s = snapshot();
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QVariantList out;
    for (qsizetype i = 0; i < s.days.size(); ++i) {
        const auto &d = s.days[i];
        int level = 0;
        while (level + 1 < s.steps.size() && d.minutes > s.steps[level])
            ++level;
        out.append(QVariantMap{{QStringLiteral("column"), int(i / 7)},
                               {QStringLiteral("row"), int(i % 7)},
                               {QStringLiteral("minutes"), qint64(d.minutes)},
                               {QStringLiteral("level"), level},
                               {QStringLiteral("today"), d.date == s.today},
                               {QStringLiteral("future"), d.date > s.today},
                               {QStringLiteral("text"), chinese.toString(d.date, QStringLiteral("M月d日 ddd："))
                                                            + QStringLiteral("%1 分钟").arg(d.minutes)}});
    }
    return out;
}

QVariantList ProgressModel::heatmapMonths() const
{
    const auto &days = snapshot().days;
    QVariantList out;
    int lastMonth = 0;
    for (qsizetype i = 0; i < days.size(); i += 7) {
        // A column is labelled with the month its Monday… its days begin in.
        for (qsizetype j = i; j < std::min(i + 7, days.size()); ++j) {
            if (days[j].date.day() == 1 || (i == 0 && j == 0)) {
                if (days[j].date.month() != lastMonth) {
                    lastMonth = days[j].date.month();
                    out.append(QVariantMap{{QStringLiteral("column"), int(i / 7)},
                                           {QStringLiteral("text"), QStringLiteral("%1月").arg(lastMonth)}});
                }
                break;
            }
        }
    }
    return out;
}

QVariantList ProgressModel::heatmapLegend() const
{
    const auto &steps = snapshot().steps;
    QVariantList out;
    for (qsizetype i = 0; i < steps.size(); ++i)
        out.append(QVariantMap{{QStringLiteral("level"), int(i)},
                               {QStringLiteral("text"),
                                i == 0 ? QStringLiteral("0") : QStringLiteral("≤%1").arg(steps[i])}});
    return out;
}

bool ProgressModel::heatmapEmpty() const
{
    const auto &days = snapshot().days;
    return std::all_of(days.cbegin(), days.cend(), [](const auto &d) { return d.minutes == 0; });
}

} // namespace tessary::ui

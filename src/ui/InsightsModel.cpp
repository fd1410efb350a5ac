#include "InsightsModel.h"

#include "ArchiveText.h"
#include "ChartGeometry.h"
#include "engine/AppStore.h"
#include "records/Settings.h"
#include "records/TextRules.h"

#include <algorithm>

namespace tessary::ui {

namespace {
constexpr double kTrendLow = 1, kTrendHigh = 5; // the rating scale: a fixed domain
} // namespace

InsightsModel::InsightsModel(AppStore *store, QObject *parent) : QObject(parent), m_store(store)
{
    connect(store, &AppStore::statisticsChanged, this, [this] {
        m_snapshot.reset();
        ++m_revision;
        emit changed();
    });
}

const InsightsModel::Snapshot &InsightsModel::snapshot() const
{
    if (!m_snapshot) {
        const auto &archive = m_store->sessions();
        Snapshot s;
        s.window = insights::capacityWindow(archive);
        s.capacity = insights::attentionCapacityMinutes(archive);
        s.recommended = insights::recommendedMinutes(archive);
        s.wanderRate = insights::wanderRateText(archive);
        s.energyDrop = insights::energyDropText(archive);
        s.week = insights::weeklySummaries(archive, m_store->calendar());
        std::int64_t largest = 0;
        for (const auto &d : s.week)
            largest = std::max(largest, d.minutes);
        s.weekAxis = charts::niceAxis(double(largest));
        s.tasks = insights::taskDistribution(insights::taskSummaries(archive));
        s.trend = insights::ratingTrend(archive);
        m_snapshot = std::move(s);
    }
    return *m_snapshot;
}

QString InsightsModel::capsuleText() const { return windowCapsuleText(snapshot().window); }
QString InsightsModel::capacityText() const { return minutesText(snapshot().capacity); }
QString InsightsModel::recommendedText() const { return minutesText(snapshot().recommended); }
int InsightsModel::recommendedMinutes() const { return int(snapshot().recommended); }
double InsightsModel::ringFraction() const { return std::min(double(snapshot().capacity) / 120.0, 1.0); }
QString InsightsModel::wanderRateText() const { return snapshot().wanderRate; }
QString InsightsModel::energyDropText() const { return snapshot().energyDrop; }
bool InsightsModel::trendEmpty() const { return snapshot().trend.isEmpty(); }

QVariantList InsightsModel::taskRows() const
{
    const auto &tasks = snapshot().tasks;
    QVariantList rows;
    for (const auto &t : tasks.rows) {
        rows.append(QVariantMap{
            {QStringLiteral("name"), t.name},
            {QStringLiteral("minutes"), qint64(t.focusedMinutes)},
            {QStringLiteral("sessions"), qint64(t.sessions)},
            {QStringLiteral("rating"), oneDecimalText(t.averageFocus)},
            {QStringLiteral("fraction"), std::clamp(double(t.focusedMinutes) / double(tasks.scale), 0.0, 1.0)},
            {QStringLiteral("untagged"), t.name == text::uncategorizedTaskName()},
        });
    }
    return rows;
}

QString InsightsModel::taskNote() const
{
    const auto &tasks = snapshot().tasks;
    return hiddenTasksNote(tasks.rows.size(), tasks.hiddenRows);
}

QVariantList InsightsModel::weekBars(double width, double height) const
{
    const auto &week = snapshot().week;
    QList<double> values;
    for (const auto &d : week)
        values.append(double(d.minutes));
    const QRectF plot(0, 0, std::max(width, 0.0), std::max(height, 0.0));
    const auto rects = charts::barRects(values, snapshot().weekAxis, plot);
    QVariantList bars;
    for (qsizetype i = 0; i < rects.size(); ++i) {
        const QRectF &r = rects[i];
        bars.append(QVariantMap{{QStringLiteral("x"), r.x()},
                                {QStringLiteral("y"), r.y()},
                                {QStringLiteral("width"), r.width()},
                                {QStringLiteral("height"), r.height()},
                                {QStringLiteral("centerX"), r.center().x()},
                                {QStringLiteral("label"), narrowWeekdayText(week[i].date.date())},
                                {QStringLiteral("minutes"), qint64(week[i].minutes)}});
    }
    return bars;
}

QVariantList InsightsModel::weekAxis(double height) const
{
    const auto &axis = snapshot().weekAxis;
    const QRectF plot(0, 0, 1, std::max(height, 0.0));
    QVariantList marks;
    for (double v : axis.ticks)
        marks.append(QVariantMap{{QStringLiteral("y"), charts::yOf(v, 0, axis.top, plot)},
                                 {QStringLiteral("text"), QString::number(qint64(v))}});
    return marks;
}

QList<QPointF> InsightsModel::trendScreenPoints(double width, double height) const
{
    const auto &trend = snapshot().trend;
    const QRectF plot(0, 0, std::max(width, 0.0), std::max(height, 0.0));
    QList<QPointF> points;
    for (const auto &p : trend) {
        const double rating = std::clamp(double(p.rating), kTrendLow, kTrendHigh);
        points.append(QPointF(charts::trendX(p.x, int(trend.size()), plot), charts::yOf(rating, kTrendLow, kTrendHigh, plot)));
    }
    return points;
}

QVariantList InsightsModel::trendPoints(double width, double height) const
{
    const auto &trend = snapshot().trend;
    const auto points = trendScreenPoints(width, height);
    QVariantList list;
    for (qsizetype i = 0; i < points.size(); ++i)
        list.append(QVariantMap{{QStringLiteral("x"), points[i].x()},
                                {QStringLiteral("y"), points[i].y()},
                                {QStringLiteral("rating"), qint64(trend[i].rating)}});
    return list;
}

QString InsightsModel::trendPath(double width, double height) const { return charts::svgPath(trendScreenPoints(width, height)); }

QVariantList InsightsModel::trendYAxis(double height) const
{
    const QRectF plot(0, 0, 1, std::max(height, 0.0));
    QVariantList marks;
    for (int v = 1; v <= 5; ++v)
        marks.append(QVariantMap{{QStringLiteral("y"), charts::yOf(v, kTrendLow, kTrendHigh, plot)},
                                 {QStringLiteral("text"), QString::number(v)}});
    return marks;
}

QVariantList InsightsModel::trendXAxis(double width) const
{
    const int count = int(snapshot().trend.size());
    const QRectF plot(0, 0, std::max(width, 0.0), 1);
    QVariantList marks;
    for (int i = 1; i <= count; ++i)
        marks.append(QVariantMap{{QStringLiteral("x"), charts::trendX(i, count, plot)},
                                 {QStringLiteral("text"), QString::number(i)}});
    return marks;
}

void InsightsModel::useRecommendation()
{
    // Read first: the settings change below must not move what was offered.
    const std::int64_t minutes = insights::recommendedMinutes(m_store->sessions());
    AppSettings s = m_store->settings();
    s.selectedDurationMinutes = minutes;
    m_store->setSettings(s);
    m_store->setSelectedSection(int(AppSection::focus));
}

} // namespace tessary::ui

#pragma once

#include "ChartGeometry.h"
#include "insights/Insights.h"

#include <QObject>
#include <QVariantList>

#include <optional>

namespace tessary {
class AppStore;
}

namespace tessary::ui {

// What the insights screen shows, as QML properties. Everything is computed from the
// store's archive on the first read after a change (the archive changed or a new day
// began) and kept until the next one, so a screen that is not shown costs nothing and
// one that is shown computes each statistic once. Main thread only.
//
// Chart geometry comes from the functions that take the plot's size: the view passes
// the size it has and places what comes back.
class InsightsModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(int revision READ revision NOTIFY changed)
    Q_PROPERTY(QString capsuleText READ capsuleText NOTIFY changed)
    Q_PROPERTY(QString capacityText READ capacityText NOTIFY changed)
    Q_PROPERTY(QString recommendedText READ recommendedText NOTIFY changed)
    Q_PROPERTY(int recommendedMinutes READ recommendedMinutes NOTIFY changed)
    Q_PROPERTY(double ringFraction READ ringFraction NOTIFY changed)
    Q_PROPERTY(QString wanderRateText READ wanderRateText NOTIFY changed)
    Q_PROPERTY(QString energyDropText READ energyDropText NOTIFY changed)
    Q_PROPERTY(QVariantList taskRows READ taskRows NOTIFY changed)
    Q_PROPERTY(QString taskNote READ taskNote NOTIFY changed)
    Q_PROPERTY(bool trendEmpty READ trendEmpty NOTIFY changed)

public:
    explicit InsightsModel(AppStore *store, QObject *parent = nullptr);

    int revision() const { return m_revision; }
    QString capsuleText() const;
    QString capacityText() const;
    QString recommendedText() const;
    int recommendedMinutes() const;
    double ringFraction() const;
    QString wanderRateText() const;
    QString energyDropText() const;
    // {name, minutes, sessions, rating ("%.1f"), fraction (of the bar scale), untagged}
    QVariantList taskRows() const;
    QString taskNote() const;
    bool trendEmpty() const;

    // Seven bars, oldest first, in a plot of the given size:
    // {x, y, width, height, centerX, label (narrow weekday), minutes}.
    Q_INVOKABLE QVariantList weekBars(double width, double height) const;
    // The value axis of the week chart: {y, text} from 0 up.
    Q_INVOKABLE QVariantList weekAxis(double height) const;
    // The rating trend: points {x, y, rating}, the smoothed line through them as SVG path
    // data, and the axes (y marks exactly at 1…5; x marks at every round shown).
    Q_INVOKABLE QVariantList trendPoints(double width, double height) const;
    Q_INVOKABLE QString trendPath(double width, double height) const;
    Q_INVOKABLE QVariantList trendYAxis(double height) const;
    Q_INVOKABLE QVariantList trendXAxis(double width) const;

    // The plan card's button: the recommendation becomes the next round's length and
    // the focus screen is shown.
    Q_INVOKABLE void useRecommendation();

signals:
    void changed();

private:
    struct Snapshot {
        std::int64_t window = 0;
        std::int64_t capacity = 30;
        std::int64_t recommended = 30;
        QString wanderRate;
        QString energyDrop;
        QList<insights::DaySummary> week;
        charts::ValueAxis weekAxis; // one scale for the bars and their marks
        insights::TaskDistribution tasks;
        QList<insights::TrendPoint> trend;
    };
    const Snapshot &snapshot() const;
    QList<QPointF> trendScreenPoints(double width, double height) const;

    AppStore *m_store;
    mutable std::optional<Snapshot> m_snapshot;
    int m_revision = 0;
};

} // namespace tessary::ui

#pragma once

#include "ChartGeometry.h"
#include "insights/Progress.h"

#include <QObject>
#include <QVariantList>

#include <optional>

namespace tessary {
class AppStore;
}

namespace tessary::ui {

// The insights screen's "训练进展" part as QML properties: the weekly stable-focus line, the
// week-day rhythm, the per-task estimates and the daily heatmap. Computed on the first read
// after the archive changed (or a new day began) and kept until the next change, like the
// rest of the insights screen.
class ProgressModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(int revision READ revision NOTIFY changed)
    Q_PROPERTY(QString changeText READ changeText NOTIFY changed)
    Q_PROPERTY(bool hasLine READ hasLine NOTIFY changed)
    Q_PROPERTY(QVariantList rhythmCells READ rhythmCells NOTIFY changed)
    Q_PROPERTY(QString bestRhythmText READ bestRhythmText NOTIFY changed)
    Q_PROPERTY(QVariantList taskRows READ taskRows NOTIFY changed)
    Q_PROPERTY(QVariantList heatmapDays READ heatmapDays NOTIFY changed)
    Q_PROPERTY(QVariantList heatmapMonths READ heatmapMonths NOTIFY changed)
    Q_PROPERTY(QVariantList heatmapLegend READ heatmapLegend NOTIFY changed)
    Q_PROPERTY(bool heatmapEmpty READ heatmapEmpty NOTIFY changed)

public:
    explicit ProgressModel(AppStore *store, QObject *parent = nullptr);

    int revision() const { return m_revision; }
    QString changeText() const;
    // Two weeks or more with a point: the line is drawn.
    bool hasLine() const;
    // Twelve weeks in a plot of the given size: {x, y, minutes (−1 for a gap), label "12/7", text}.
    Q_INVOKABLE QVariantList weekPoints(double width, double height) const;
    // The line as SVG path data, broken where a week has no point.
    Q_INVOKABLE QString weekPath(double width, double height) const;
    // The value axis: {y, text}, nice values covering the points.
    Q_INVOKABLE QVariantList weekAxis(double height) const;
    // 42 cells, Monday's six blocks first: {weekday, block, rounds, minutes (−1: none), level 0…1, text}.
    QVariantList rhythmCells() const;
    QString bestRhythmText() const;
    // {name, minutes, rounds, fraction of the highest}
    QVariantList taskRows() const;
    // 182 days by column (week) and row (weekday): {column, row, minutes, level 0…4, today, future, text}.
    QVariantList heatmapDays() const;
    // {column, text} where a month begins ("12月").
    QVariantList heatmapMonths() const;
    // The legend's steps: {level, text}.
    QVariantList heatmapLegend() const;
    bool heatmapEmpty() const;

signals:
    void changed();

private:
    struct Snapshot {
        QList<insights::WeekPoint> weeks;
        charts::ValueAxis axis;
        QList<insights::RhythmCell> rhythm;
        QList<insights::TaskEstimate> tasks;
        QList<insights::HeatmapDay> days;
        QList<std::int64_t> steps;
        QDate today;
    };
    const Snapshot &snapshot() const;
    QList<std::optional<QPointF>> weekScreenPoints(double width, double height) const;

    AppStore *m_store;
    mutable std::optional<Snapshot> m_snapshot;
    int m_revision = 0;
};

} // namespace tessary::ui

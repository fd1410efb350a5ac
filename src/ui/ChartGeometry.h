#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

// Geometry of the insights charts, computed here so tests can hold it to its rules;
// the QML only places what these functions return. Plot coordinates grow downwards
// (screen space) with the plot rectangle's origin at its top-left corner.
namespace tessary::ui::charts {

// A value axis from 0 to `top` with a mark every `step`, chosen from 1, 2, 5 × 10^k
// so that 3 to 5 marks cover `maximum`. Whole numbers only: the values are minutes.
struct ValueAxis {
    double top = 10;
    double step = 5;
    QList<double> ticks; // 0, step, …, top
};
ValueAxis niceAxis(double maximum);

// Vertical position of `value` on an axis from `low` (bottom) to `high` (top).
double yOf(double value, double low, double high, const QRectF &plot);

// One bar per value, each centred in an equal slot of the plot's width and
// `widthFraction` of it wide, growing from the plot's bottom edge.
QList<QRectF> barRects(const QList<double> &values, const ValueAxis &axis, const QRectF &plot,
                       double widthFraction = 0.56);

// The trend chart's x axis: positions 1…count, each half a slot in from the edges
// (a lone point sits in the middle).
double trendX(int position, int count, const QRectF &plot);

// A smooth curve through every point: a monotone cubic (Fritsch–Carlson), so a
// segment never overshoots the values at its two ends and the curve stays inside
// the values' range. Points must be in increasing x.
struct CubicSegment {
    QPointF control1;
    QPointF control2;
    QPointF end;
};
QList<CubicSegment> monotoneCurve(const QList<QPointF> &points);

// The curve as SVG path data ("M x y C …"), for Qt Quick Shapes' PathSvg. Empty for
// no points; a lone point gives a move only.
QString svgPath(const QList<QPointF> &points);

} // namespace tessary::ui::charts

#include "ChartGeometry.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tessary::ui::charts {

ValueAxis niceAxis(double maximum)
{
    // An empty week still gets a readable scale rather than a single line at 0.
    const double m = std::max(maximum, 10.0);
    const double raw = m / 4;
    double step = 1;
    for (double magnitude = 1;; magnitude *= 10) {
        if (raw <= 1 * magnitude) { step = 1 * magnitude; break; }
        if (raw <= 2 * magnitude) { step = 2 * magnitude; break; }
        if (raw <= 5 * magnitude) { step = 5 * magnitude; break; }
    }
    ValueAxis axis;
    axis.step = step;
    axis.top = std::ceil(m / step) * step;
    for (double v = 0; v <= axis.top + step / 2; v += step)
        axis.ticks.append(v);
    return axis;
}

double yOf(double value, double low, double high, const QRectF &plot)
{
    if (high <= low)
        return plot.bottom();
    return plot.bottom() - (value - low) / (high - low) * plot.height();
}

QList<QRectF> barRects(const QList<double> &values, const ValueAxis &axis, const QRectF &plot, double widthFraction)
{
    QList<QRectF> rects;
    if (values.isEmpty())
        return rects;
    rects.reserve(values.size());
    const double slot = plot.width() / double(values.size());
    const double width = slot * std::clamp(widthFraction, 0.0, 1.0);
    for (qsizetype i = 0; i < values.size(); ++i) {
        const double v = std::clamp(values[i], 0.0, axis.top);
        const double top = yOf(v, 0, axis.top, plot);
        const double x = plot.left() + slot * (double(i) + 0.5) - width / 2;
        rects.append(QRectF(x, top, width, plot.bottom() - top));
    }
    return rects;
}

double trendX(int position, int count, const QRectF &plot)
{
    if (count <= 0)
        return plot.center().x();
    const double slot = plot.width() / double(count);
    return plot.left() + slot * (double(position) - 0.5);
}

QList<CubicSegment> monotoneCurve(const QList<QPointF> &p)
{
    QList<CubicSegment> segments;
    const qsizetype n = p.size();
    if (n < 2)
        return segments;
    std::vector<double> delta(static_cast<size_t>(n - 1));
    std::vector<double> m(static_cast<size_t>(n));
    for (qsizetype k = 0; k + 1 < n; ++k) {
        const double h = p[k + 1].x() - p[k].x();
        delta[size_t(k)] = h != 0 ? (p[k + 1].y() - p[k].y()) / h : 0;
    }
    m[0] = delta[0];
    m[size_t(n - 1)] = delta[size_t(n - 2)];
    for (qsizetype k = 1; k + 1 < n; ++k) {
        const double a = delta[size_t(k - 1)], b = delta[size_t(k)];
        m[size_t(k)] = a * b <= 0 ? 0 : (a + b) / 2; // a turn or a flat side: a flat tangent
    }
    for (qsizetype k = 0; k + 1 < n; ++k) {
        const double d = delta[size_t(k)];
        if (d == 0) {
            m[size_t(k)] = m[size_t(k + 1)] = 0;
            continue;
        }
        const double alpha = m[size_t(k)] / d, beta = m[size_t(k + 1)] / d;
        const double r = alpha * alpha + beta * beta;
        if (r > 9) { // keeps both control points between the segment's end values
            const double tau = 3 / std::sqrt(r);
            m[size_t(k)] = tau * alpha * d;
            m[size_t(k + 1)] = tau * beta * d;
        }
    }
    segments.reserve(n - 1);
    for (qsizetype k = 0; k + 1 < n; ++k) {
        const double h = (p[k + 1].x() - p[k].x()) / 3;
        segments.append(CubicSegment{QPointF(p[k].x() + h, p[k].y() + m[size_t(k)] * h),
                                     QPointF(p[k + 1].x() - h, p[k + 1].y() - m[size_t(k + 1)] * h), p[k + 1]});
    }
    return segments;
}

QString svgPath(const QList<QPointF> &points)
{
    if (points.isEmpty())
        return {};
    auto num = [](double v) { return QString::number(v, 'f', 2); };
    QString path = QStringLiteral("M %1 %2").arg(num(points[0].x()), num(points[0].y()));
    for (const auto &s : monotoneCurve(points)) {
        path += QStringLiteral(" C %1 %2 %3 %4 %5 %6")
                    .arg(num(s.control1.x()), num(s.control1.y()), num(s.control2.x()), num(s.control2.y()),
                         num(s.end.x()), num(s.end.y()));
    }
    return path;
}

} // namespace tessary::ui::charts

#include "CountdownRing.h"

#include <QConicalGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tessary::ui {

CountdownRing::CountdownRing(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

template <typename T>
void CountdownRing::change(T &member, const T &value)
{
    if (member == value)
        return;
    member = value;
    emit appearanceChanged();
    update();
}

void CountdownRing::setProgress(double v)
{
    v = std::clamp(v, 0.0, 1.0);
    if (m_progress == v)
        return;
    m_progress = v;
    emit appearanceChanged();
    // A long round moves the arc's end by a fraction of a pixel a second, and the glow and the
    // gradient are most of the cost of a running round's frame: repaint once it has moved half
    // a pixel (and at the ends).
    const double moved = std::abs(v - m_paintedProgress) * 2 * std::numbers::pi * std::max(radius(), 0.0);
    if (moved >= 0.5 || v == 0.0 || v == 1.0)
        update();
}

double CountdownRing::radius() const { return std::min(width(), height()) / 2 - m_lineWidth / 2 - m_inset; }
void CountdownRing::setLineWidth(double v) { change(m_lineWidth, v); }
void CountdownRing::setInset(double v) { change(m_inset, v); }
void CountdownRing::setTrackColor(const QColor &c) { change(m_trackColor, c); }
void CountdownRing::setColors(const QVariantList &c) { change(m_colors, c); }
void CountdownRing::setGlowColor(const QColor &c) { change(m_glowColor, c); }

void CountdownRing::paint(QPainter *painter)
{
    m_paintedProgress = m_progress;
    const QPointF centre(width() / 2, height() / 2);
    const double r = radius();
    if (r <= 0)
        return;
    const QRectF circle(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(m_trackColor, m_lineWidth, Qt::SolidLine, Qt::FlatCap));
    painter->drawEllipse(circle);

    if (m_colors.isEmpty() || m_progress <= 0)
        return;
    // From the top (90° in QPainter's counter-clockwise degrees), clockwise.
    QPainterPath arc;
    arc.arcMoveTo(circle, 90);
    arc.arcTo(circle, 90, -360 * m_progress);

    // The glow: wider, fainter strokes under the arc, fading out over about 18 px.
    if (m_glowColor.alpha() > 0) {
        constexpr int kLayers = 6;
        for (int i = kLayers; i >= 1; --i) {
            QColor c = m_glowColor;
            c.setAlphaF(m_glowColor.alphaF() * 0.45f / float(i));
            painter->setPen(QPen(c, m_lineWidth + 3.0 * i, Qt::SolidLine, Qt::RoundCap));
            painter->drawPath(arc);
        }
    }

    QBrush brush;
    if (m_colors.size() == 1) {
        brush = QBrush(m_colors.front().value<QColor>());
    } else {
        QConicalGradient g(centre, 90);
        for (qsizetype i = 0; i < m_colors.size(); ++i)
            g.setColorAt(double(i) / double(m_colors.size() - 1), m_colors[i].value<QColor>());
        brush = QBrush(g);
    }
    painter->setPen(QPen(brush, m_lineWidth, Qt::SolidLine, Qt::RoundCap));
    painter->drawPath(arc);
}

} // namespace tessary::ui

#pragma once

#include <QColor>
#include <QQuickPaintedItem>
#include <QVariantList>

namespace tessary::ui {

// A countdown ring: a faint full-circle track and an arc from the top, clockwise, in one colour
// or a conical gradient, with a soft glow if asked. Painted with QPainter, not a Canvas: a
// Canvas repaint takes two frames, and a running round should redraw once a second.
class CountdownRing : public QQuickPaintedItem {
    Q_OBJECT
    Q_PROPERTY(double progress READ progress WRITE setProgress NOTIFY appearanceChanged)
    Q_PROPERTY(double lineWidth READ lineWidth WRITE setLineWidth NOTIFY appearanceChanged)
    // Space kept free between the ring and the item's edge (for the glow).
    Q_PROPERTY(double inset READ inset WRITE setInset NOTIFY appearanceChanged)
    Q_PROPERTY(QColor trackColor READ trackColor WRITE setTrackColor NOTIFY appearanceChanged)
    // One colour: a plain arc. More: evenly spaced stops of a conical gradient from the top.
    Q_PROPERTY(QVariantList colors READ colors WRITE setColors NOTIFY appearanceChanged)
    // Transparent: no glow.
    Q_PROPERTY(QColor glowColor READ glowColor WRITE setGlowColor NOTIFY appearanceChanged)

public:
    explicit CountdownRing(QQuickItem *parent = nullptr);

    double progress() const { return m_progress; }
    void setProgress(double v);
    double lineWidth() const { return m_lineWidth; }
    void setLineWidth(double v);
    double inset() const { return m_inset; }
    void setInset(double v);
    QColor trackColor() const { return m_trackColor; }
    void setTrackColor(const QColor &c);
    QVariantList colors() const { return m_colors; }
    void setColors(const QVariantList &c);
    QColor glowColor() const { return m_glowColor; }
    void setGlowColor(const QColor &c);

    void paint(QPainter *painter) override;

signals:
    void appearanceChanged();

private:
    template <typename T>
    void change(T &member, const T &value);

    double radius() const;

    double m_progress = 0.0;
    double m_paintedProgress = 0.0;
    double m_lineWidth = 5.0;
    double m_inset = 0.0;
    QColor m_trackColor{Qt::transparent};
    QVariantList m_colors;
    QColor m_glowColor{Qt::transparent};
};

} // namespace tessary::ui

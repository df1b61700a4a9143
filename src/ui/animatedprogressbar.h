#pragma once

#include <QProgressBar>
#include <QVariantAnimation>

// A determinate bar from 0 to 1 that glides to each new value.
class AnimatedProgressBar : public QProgressBar {
    Q_OBJECT

public:
    explicit AnimatedProgressBar(QWidget* parent = nullptr);

    // The value the bar is heading for (or shows, once it has arrived).
    double fraction() const { return m_fraction; }
    void setFraction(double fraction);

private:
    static constexpr int steps = 1000;

    double m_fraction = 0.0;
    QVariantAnimation m_animation;
};

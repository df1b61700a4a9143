#include "ui/animatedprogressbar.h"

#include <algorithm>
#include <cmath>

AnimatedProgressBar::AnimatedProgressBar(QWidget* parent)
    : QProgressBar(parent) {
    setRange(0, steps);
    setValue(0);
    setTextVisible(false);
    m_animation.setDuration(300);
    m_animation.setEasingCurve(QEasingCurve::InOutQuad);
    connect(&m_animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setValue(value.toInt()); });
}

void AnimatedProgressBar::setFraction(double fraction) {
    // A service may report slightly outside 0…1; the bar shows the nearest end.
    m_fraction = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    const int target = qRound(m_fraction * steps);
    m_animation.stop();
    if (!isVisible()) {
        setValue(target);
        return;
    }
    m_animation.setStartValue(value());
    m_animation.setEndValue(target);
    m_animation.start();
}

#include "ui/symbolbutton.h"

#include <QStyleOptionToolButton>
#include <QStylePainter>

SymbolButton::SymbolButton(Symbol symbol, int size, Tone tone, QWidget* parent)
    : QToolButton(parent)
    , m_symbol(symbol)
    , m_tone(tone) {
    setAutoRaise(true);
    setCursor(Qt::PointingHandCursor);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    // These remove things: the keyboard focus never lands on one by Tab or
    // by being passed on, where a stray Space would delete. The parts
    // list's Delete key and context menu do the same from the keyboard.
    setFocusPolicy(Qt::NoFocus);
    setIconSize(QSize(size, size));
    // Gives the style something to size the button by; paintEvent draws the tinted one.
    setIcon(Symbols::icon(symbol));
}

void SymbolButton::setOpacity(qreal opacity) {
    m_opacity = opacity;
    update();
}

void SymbolButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    QColor tint = Theme::color(m_tone, palette());
    tint.setAlphaF(tint.alphaF() * float(isEnabled() ? m_opacity : m_opacity * 0.4));
    option.icon = QIcon(Symbols::pixmap(m_symbol, iconSize().width(), devicePixelRatioF(), tint));
    painter.drawComplexControl(QStyle::CC_ToolButton, option);
}

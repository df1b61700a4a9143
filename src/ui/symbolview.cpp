#include "ui/symbolview.h"

#include <QPainter>

SymbolView::SymbolView(Symbol symbol, int size, Tone tone, QWidget* parent)
    : QWidget(parent)
    , m_symbol(symbol)
    , m_size(size)
    , m_tone(tone) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolView::setSymbol(Symbol symbol) {
    m_symbol = symbol;
    update();
}

void SymbolView::setTone(Tone tone) {
    m_tone = tone;
    update();
}

void SymbolView::paintEvent(QPaintEvent*) {
    const QPixmap pixmap =
        Symbols::pixmap(m_symbol, m_size, devicePixelRatioF(), Theme::color(m_tone, palette()));
    QPainter painter(this);
    const QSize logicalSize = pixmap.deviceIndependentSize().toSize();
    QRect target(QPoint(0, 0), logicalSize);
    target.moveCenter(rect().center());
    painter.drawPixmap(target, pixmap);
}

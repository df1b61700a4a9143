#pragma once

#include "ui/symbols.h"
#include "ui/theme.h"

#include <QToolButton>

// A borderless button that shows only a symbol, coloured by a tone (the
// trash controls). The symbol is recoloured on every paint, so it follows
// palette changes.
class SymbolButton : public QToolButton {
    Q_OBJECT

public:
    SymbolButton(Symbol symbol, int size, Tone tone, QWidget* parent = nullptr);

    Symbol symbol() const { return m_symbol; }
    void setOpacity(qreal opacity);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Symbol m_symbol;
    Tone m_tone;
    qreal m_opacity = 1.0;
};

#pragma once

#include "ui/symbols.h"
#include "ui/theme.h"

#include <QWidget>

// One symbol at a fixed size, centred in its box; glyphs take the tone's
// colour, read from the palette at paint time.
class SymbolView : public QWidget {
    Q_OBJECT

public:
    SymbolView(Symbol symbol, int size, Tone tone, QWidget* parent = nullptr);

    Symbol symbol() const { return m_symbol; }
    void setSymbol(Symbol symbol);
    void setTone(Tone tone);

    QSize sizeHint() const override { return {m_size, m_size}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Symbol m_symbol;
    int m_size;
    Tone m_tone;
};

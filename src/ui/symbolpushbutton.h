#pragma once

#include "ui/symbols.h"

#include <QPushButton>

// A push button with a symbol before its title. The symbol is recoloured
// with the button's text colour on every paint, so it reads on light and dark
// palettes alike. The prominent kind is the window's main action: filled
// with the accent colour while enabled, a plain disabled button otherwise.
class SymbolPushButton : public QPushButton {
    Q_OBJECT

public:
    enum class Kind { Bordered, Prominent };

    SymbolPushButton(Symbol symbol, Kind kind, QWidget* parent = nullptr);

    Symbol symbol() const { return m_symbol; }
    void setSymbol(Symbol symbol);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintProminent();

    Symbol m_symbol;
    Kind m_kind;
};

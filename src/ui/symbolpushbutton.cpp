#include "ui/symbolpushbutton.h"

#include "ui/theme.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace {

constexpr int symbolSpacing = 6;

} // namespace

SymbolPushButton::SymbolPushButton(Symbol symbol, Kind kind, QWidget* parent)
    : QPushButton(parent)
    , m_symbol(symbol)
    , m_kind(kind) {
    setIconSize(QSize(16, 16));
    // Sizes the button; the painted symbol is the recoloured one.
    setIcon(Symbols::icon(symbol));
    setAttribute(Qt::WA_Hover);
}

void SymbolPushButton::setSymbol(Symbol symbol) {
    m_symbol = symbol;
    setIcon(Symbols::icon(symbol));
    update();
}

QSize SymbolPushButton::sizeHint() const {
    const QSize natural = QPushButton::sizeHint();
    if (m_kind == Kind::Bordered)
        return natural;
    // The main action is a large control: taller, with room at the sides.
    return {natural.width() + 16, natural.height() + 8};
}

void SymbolPushButton::paintEvent(QPaintEvent*) {
    if (m_kind == Kind::Prominent && isEnabled()) {
        paintProminent();
        return;
    }
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QColor textColor =
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
    option.icon =
        QIcon(Symbols::pixmap(m_symbol, iconSize().width(), devicePixelRatioF(), textColor));
    painter.drawControl(QStyle::CE_PushButton, option);
}

void SymbolPushButton::paintProminent() {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor accent = Theme::color(Tone::AccentFill, palette());
    const QColor onAccent = Theme::color(Tone::OnAccent, palette());
    const QColor fill = Theme::fillUnder(onAccent, isDown()       ? accent.darker(118)
                                                   : underMouse() ? accent.lighter(108)
                                                                  : accent);

    const QRectF frame = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(frame, 6, 6);
    if (hasFocus()) {
        painter.setPen(QPen(onAccent, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(frame.adjusted(3, 3, -3, -3), 4, 4);
    }

    const QPixmap symbol =
        Symbols::pixmap(m_symbol, iconSize().width(), devicePixelRatioF(), onAccent);
    const int textWidth = fontMetrics().horizontalAdvance(text());
    const int contentWidth = iconSize().width() + symbolSpacing + textWidth;
    const int left = (width() - contentWidth) / 2;
    const QRect symbolRect(left, (height() - iconSize().height()) / 2, iconSize().width(),
                           iconSize().height());
    painter.drawPixmap(symbolRect, symbol);
    painter.setPen(onAccent);
    painter.drawText(QRect(symbolRect.right() + 1 + symbolSpacing, 0, textWidth + 1, height()),
                     Qt::AlignLeft | Qt::AlignVCenter, text());
}

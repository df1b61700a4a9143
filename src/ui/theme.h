#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

// The window's type scale and colour tones, derived from the application font
// and the current palette so that light and dark themes both read well.
// Widgets ask for these while painting, so a palette change needs no bookkeeping.

enum class TextStyle { Title, Callout, Caption, CaptionMonospaced };

// Text and symbol colours by role rather than by value.
enum class Tone {
    Primary,    // body text
    Secondary,  // supporting text
    Tertiary,   // hints and numbering
    Quaternary, // decoration that should barely show
    Separator,  // divider lines
    Accent,     // the palette's highlight
    AccentFill, // the accent as a button's fill, dark or light enough for OnAccent
    OnAccent,   // text drawn on the accent fill
    Red,
    Green,
    Orange,
};

namespace Theme {

QFont font(TextStyle style, const QFont& base, QFont::Weight weight = QFont::Normal);

// Every text tone reads at least at minimumContrast on the palette's window
// and base colours: the supporting tones are made more opaque, the signal
// colours deeper, where a palette would leave them too faint.
QColor color(Tone tone, const QPalette& palette);

// WCAG 2's level AA for body text.
inline constexpr qreal minimumContrast = 4.5;

// WCAG 2's contrast ratio of two opaque colours, from 1 to 21.
qreal contrastRatio(const QColor& first, const QColor& second);

// `fill` moved away from `text` until `text` reads at minimumContrast on it.
QColor fillUnder(const QColor& text, const QColor& fill);

// True when the window colour is darker than its text.
bool isDark(const QPalette& palette);

// `over` painted with `opacity` on top of the opaque `under`.
QColor blend(const QColor& over, const QColor& under, qreal opacity);

} // namespace Theme

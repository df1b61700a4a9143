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
    OnAccent,   // text drawn on the accent colour
    Red,
    Green,
    Orange,
};

namespace Theme {

QFont font(TextStyle style, const QFont& base, QFont::Weight weight = QFont::Normal);

QColor color(Tone tone, const QPalette& palette);

// True when the window colour is darker than its text.
bool isDark(const QPalette& palette);

// `over` painted with `opacity` on top of the opaque `under`.
QColor blend(const QColor& over, const QColor& under, qreal opacity);

} // namespace Theme

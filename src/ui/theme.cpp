#include "ui/theme.h"

#include <QFontDatabase>

#include <cmath>
#include <initializer_list>

namespace {

// Relative to the body font, which the desktop sets (often 10 pt on Linux).
qreal scaleFor(TextStyle style) {
    switch (style) {
    case TextStyle::Title:
        return 1.3;
    case TextStyle::Callout:
        return 1.0;
    case TextStyle::Caption:
    case TextStyle::CaptionMonospaced:
        return 0.88;
    }
    return 1.0;
}

QColor withAlpha(QColor color, qreal alpha) {
    color.setAlphaF(alpha);
    return color;
}

// WCAG 2's relative luminance.
qreal luminance(const QColor& color) {
    const auto linear = [](qreal channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) +
           0.0722 * linear(color.blueF());
}

// What a text is drawn on: the window, and the base of lists and the console.
bool readsOnBackgrounds(const QColor& text, const QPalette& palette) {
    for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Base}) {
        const QColor background = palette.color(role);
        const QColor seen = Theme::blend(text, background, text.alphaF());
        if (Theme::contrastRatio(seen, background) < Theme::minimumContrast)
            return false;
    }
    return true;
}

// The window's text colour at `opacity`, or as little more opaque as reads.
QColor supportingText(const QPalette& palette, qreal opacity) {
    const QColor text = palette.color(QPalette::WindowText);
    for (; opacity < 1.0; opacity += 0.02) {
        if (const QColor faded = withAlpha(text, opacity); readsOnBackgrounds(faded, palette))
            return faded;
    }
    return text;
}

// A signal colour, or as little nearer the text colour as reads.
QColor signalText(const QColor& signal, const QPalette& palette) {
    const QColor text = palette.color(QPalette::WindowText);
    for (qreal toward = 0; toward < 1.0; toward += 0.04) {
        if (const QColor deeper = Theme::blend(text, signal, toward);
            readsOnBackgrounds(deeper, palette))
            return deeper;
    }
    return text;
}

} // namespace

qreal Theme::contrastRatio(const QColor& first, const QColor& second) {
    const qreal a = luminance(first);
    const qreal b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor Theme::fillUnder(const QColor& text, const QColor& fill) {
    // Towards black under light text, towards white under dark text.
    const QColor away = luminance(text) > 0.5 ? QColor(Qt::black) : QColor(Qt::white);
    for (qreal toward = 0; toward < 1.0; toward += 0.03) {
        if (const QColor moved = blend(away, fill, toward);
            contrastRatio(text, moved) >= minimumContrast)
            return moved;
    }
    return away;
}

QFont Theme::font(TextStyle style, const QFont& base, QFont::Weight weight) {
    QFont font = style == TextStyle::CaptionMonospaced
                     ? QFontDatabase::systemFont(QFontDatabase::FixedFont)
                     : base;
    const qreal basePoints = base.pointSizeF() > 0 ? base.pointSizeF() : 10.0;
    // Never smaller than the smallest size that stays legible on a normal display.
    font.setPointSizeF(qMax(7.5, basePoints * scaleFor(style)));
    font.setWeight(weight);
    return font;
}

bool Theme::isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() <
           palette.color(QPalette::WindowText).lightness();
}

QColor Theme::color(Tone tone, const QPalette& palette) {
    const QColor text = palette.color(QPalette::WindowText);
    const bool dark = isDark(palette);
    switch (tone) {
    case Tone::Primary:
        return text;
    case Tone::Secondary:
        return supportingText(palette, 0.62);
    case Tone::Tertiary:
        return supportingText(palette, 0.42);
    case Tone::Quaternary:
        return withAlpha(text, 0.22);
    case Tone::Separator:
        return withAlpha(text, 0.14);
    case Tone::Accent:
        return palette.color(QPalette::Highlight);
    case Tone::AccentFill:
        return fillUnder(palette.color(QPalette::HighlightedText),
                         palette.color(QPalette::Highlight));
    case Tone::OnAccent:
        return palette.color(QPalette::HighlightedText);
    // Signal colours, a shade lighter on dark windows so they keep their contrast.
    case Tone::Red:
        return signalText(dark ? QColor(0xff, 0x5a, 0x52) : QColor(0xd0, 0x2c, 0x22), palette);
    case Tone::Green:
        return signalText(dark ? QColor(0x3d, 0xd6, 0x5a) : QColor(0x1e, 0x8e, 0x3a), palette);
    case Tone::Orange:
        return signalText(dark ? QColor(0xff, 0xa3, 0x1a) : QColor(0xc2, 0x62, 0x00), palette);
    }
    return text;
}

QColor Theme::blend(const QColor& over, const QColor& under, qreal opacity) {
    const auto mix = [opacity](qreal top, qreal bottom) {
        return top * opacity + bottom * (1 - opacity);
    };
    return QColor::fromRgbF(float(mix(over.redF(), under.redF())),
                            float(mix(over.greenF(), under.greenF())),
                            float(mix(over.blueF(), under.blueF())));
}

#include "ui/theme.h"

#include <QFontDatabase>

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

} // namespace

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
        return withAlpha(text, 0.62);
    case Tone::Tertiary:
        return withAlpha(text, 0.42);
    case Tone::Quaternary:
        return withAlpha(text, 0.22);
    case Tone::Separator:
        return withAlpha(text, 0.14);
    case Tone::Accent:
        return palette.color(QPalette::Highlight);
    case Tone::OnAccent:
        return palette.color(QPalette::HighlightedText);
    // Signal colours, a shade lighter on dark windows so they keep their contrast.
    case Tone::Red:
        return dark ? QColor(0xff, 0x5a, 0x52) : QColor(0xd0, 0x2c, 0x22);
    case Tone::Green:
        return dark ? QColor(0x3d, 0xd6, 0x5a) : QColor(0x1e, 0x8e, 0x3a);
    case Tone::Orange:
        return dark ? QColor(0xff, 0xa3, 0x1a) : QColor(0xc2, 0x62, 0x00);
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

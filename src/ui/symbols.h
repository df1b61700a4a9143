#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QStringList>

// The pictures the window uses, by meaning. Each maps to freedesktop icon
// names so the user's icon theme is followed; Breeze stands in when the
// session names no theme (a bare X server, the offscreen platform).
enum class Symbol {
    DropArrow,
    ZipDocument,
    Trash,
    Warning,
    Folder,
    ArchiveBox,
    Success,
    Failure,
    ResetArrow,
    Stop,
};

namespace Symbols {

// Theme names tried in order; the first the theme has wins.
QStringList iconNames(Symbol symbol);

// Null when neither the user's theme nor the fallback theme has the icon.
QIcon icon(Symbol symbol);

// Glyphs take the colour of their context, as a silhouette of the theme's
// icon; the coloured badges (warning, success, failure) are drawn as the
// theme made them.
bool isGlyph(Symbol symbol);

// `size` in device-independent pixels; glyphs are recoloured with `tint`.
QPixmap pixmap(Symbol symbol, int size, qreal devicePixelRatio, const QColor& tint);

} // namespace Symbols

#include "ui/symbols.h"

#include <QPainter>
#include <QStandardPaths>

namespace {

void ensureFallbackTheme() {
    // Without a desktop session Qt knows no icon theme, and on some platforms
    // (offscreen) not even where themes live, so the window would show empty
    // buttons. Breeze is installed with the application and stands in; a
    // theme the desktop names is left in charge.
    static const bool installed = [] {
        QStringList searchPaths = QIcon::themeSearchPaths();
        const QStringList dataFolders =
            QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                      QStandardPaths::LocateDirectory);
        for (const QString& folder : dataFolders) {
            if (!searchPaths.contains(folder))
                searchPaths << folder;
        }
        QIcon::setThemeSearchPaths(searchPaths);
        const QString fallback = QIcon::fallbackThemeName();
        if (fallback.isEmpty() || fallback == QLatin1String("hicolor"))
            QIcon::setFallbackThemeName(QStringLiteral("breeze"));
        if (QIcon::themeName().isEmpty())
            QIcon::setThemeName(QStringLiteral("breeze"));
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace

QStringList Symbols::iconNames(Symbol symbol) {
    switch (symbol) {
    case Symbol::DropArrow:
        return {QStringLiteral("download"), QStringLiteral("go-down")};
    case Symbol::ZipDocument:
        return {QStringLiteral("application-zip"), QStringLiteral("package-x-generic")};
    case Symbol::Trash:
        return {QStringLiteral("edit-delete"), QStringLiteral("user-trash")};
    case Symbol::Warning:
        return {QStringLiteral("emblem-warning"), QStringLiteral("dialog-warning")};
    case Symbol::Folder:
        return {QStringLiteral("folder")};
    case Symbol::ArchiveBox:
        return {QStringLiteral("archive-extract"), QStringLiteral("package")};
    // A bare check mark, tinted: the filled emblem reads as a ticked checkbox.
    case Symbol::Success:
        return {QStringLiteral("dialog-ok-apply")};
    case Symbol::Failure:
        return {QStringLiteral("emblem-error"), QStringLiteral("dialog-error")};
    case Symbol::ResetArrow:
        return {QStringLiteral("edit-undo"), QStringLiteral("view-refresh")};
    case Symbol::Stop:
        return {QStringLiteral("process-stop"), QStringLiteral("media-playback-stop")};
    }
    return {};
}

QIcon Symbols::icon(Symbol symbol) {
    ensureFallbackTheme();
    for (const QString& name : iconNames(symbol)) {
        if (QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
    }
    return {};
}

bool Symbols::isGlyph(Symbol symbol) {
    switch (symbol) {
    case Symbol::DropArrow:
    case Symbol::ZipDocument:
    case Symbol::Folder:
    case Symbol::Trash:
    case Symbol::ArchiveBox:
    case Symbol::ResetArrow:
    case Symbol::Stop:
    case Symbol::Success:
        return true;
    default:
        return false;
    }
}

QPixmap Symbols::pixmap(Symbol symbol, int size, qreal devicePixelRatio, const QColor& tint) {
    QPixmap pixmap = icon(symbol).pixmap(QSize(size, size), devicePixelRatio);
    if (pixmap.isNull() || !isGlyph(symbol))
        return pixmap;
    // Keep the glyph's shape (its alpha) and replace its colour.
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRect(QPoint(0, 0), pixmap.size()), tint);
    return pixmap;
}

#include "service/combinedarchive.h"

#include <QDir>

namespace {

bool isKept(char32_t codePoint) {
    return QChar::isLetterOrNumber(codePoint) || QChar::isMark(codePoint) || codePoint == U'-' ||
           codePoint == U'_' || codePoint == U'.';
}

} // namespace

QString safeBaseName(const QString& baseName) {
    QString safe;
    safe.reserve(baseName.size());
    // Whole code points, so a character above U+FFFF becomes one "_", not two.
    for (const char32_t codePoint : baseName.toUcs4()) {
        if (isKept(codePoint))
            safe += QChar::fromUcs4(codePoint);
        else
            safe += u'_';
    }
    return safe;
}

QString combinedArchiveName(const QString& baseName) {
    return QStringLiteral("_combined_") + safeBaseName(baseName) + QStringLiteral(".zip");
}

QUrl combinedArchiveLocation(const QUrl& destination, const QString& baseName) {
    return QUrl::fromLocalFile(
        QDir(destination.toLocalFile()).filePath(combinedArchiveName(baseName)));
}

#include "service/combinedarchive.h"

#include <QDir>
#include <QFile>

namespace {

bool isKept(char32_t codePoint) {
    return QChar::isLetterOrNumber(codePoint) || QChar::isMark(codePoint) || codePoint == U'-' ||
           codePoint == U'_' || codePoint == U'.';
}

constexpr QLatin1StringView prefix("_combined_");
constexpr QLatin1StringView suffix(".zip");
// The longest file name Linux file systems take, in bytes.
constexpr qsizetype longestFileName = 255;

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

QString fittingBaseName(const QString& safeName, qsizetype maximumBytes) {
    qsizetype bytes = 0;
    qsizetype end = 0;
    while (end < safeName.size()) {
        // One code point: a surrogate pair is two UTF-16 units.
        const qsizetype length = safeName.at(end).isHighSurrogate() ? 2 : 1;
        bytes += QFile::encodeName(safeName.mid(end, length)).size();
        if (bytes > maximumBytes)
            break;
        end += length;
    }
    return safeName.first(end);
}

QString combinedArchiveName(const QString& baseName) {
    const qsizetype room = longestFileName - prefix.size() - suffix.size();
    return prefix + fittingBaseName(safeBaseName(baseName), room) + suffix;
}

QUrl combinedArchiveLocation(const QUrl& destination, const QString& baseName) {
    return QUrl::fromLocalFile(
        QDir(destination.toLocalFile()).filePath(combinedArchiveName(baseName)));
}

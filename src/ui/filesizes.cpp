#include "ui/filesizes.h"

#include <QFileInfo>
#include <QLocale>

std::optional<qint64> FileSizes::sizeOf(const QUrl& location) {
    const QFileInfo info(location.toLocalFile());
    if (!location.isLocalFile() || !info.isFile())
        return std::nullopt;
    return info.size();
}

qint64 FileSizes::totalSize(const QList<QUrl>& locations) {
    qint64 total = 0;
    for (const QUrl& location : locations)
        total += sizeOf(location).value_or(0);
    return total;
}

QString FileSizes::formatted(qint64 bytes) {
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

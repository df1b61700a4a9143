#include "ui/filesizes.h"

#include "platform/filesystem.h"

#include <QLocale>

qint64 FileSizes::totalSize(const QList<QUrl>& locations) {
    qint64 total = 0;
    for (const QUrl& location : locations)
        total += FileSystem::fileSize(location).value_or(0);
    return total;
}

QString FileSizes::formatted(qint64 bytes) {
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

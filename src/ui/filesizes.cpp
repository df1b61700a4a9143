#include "ui/filesizes.h"

#include <QLocale>

QString FileSizes::formatted(qint64 bytes) {
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

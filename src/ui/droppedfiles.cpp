#include "ui/droppedfiles.h"

#include <QMimeData>

QList<QUrl> localFilesIn(const QMimeData* mimeData) {
    QList<QUrl> files;
    if (!mimeData || !mimeData->hasUrls())
        return files;
    for (const QUrl& url : mimeData->urls()) {
        if (url.isLocalFile())
            files << QUrl::fromLocalFile(url.toLocalFile());
    }
    return files;
}

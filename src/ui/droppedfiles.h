#pragma once

#include <QList>
#include <QUrl>

class QMimeData;

// The local files a drag carries, as plain file locations, in the order the
// drag lists them. Remote URLs and anything that is not a URL are left out.
QList<QUrl> localFilesIn(const QMimeData* mimeData);

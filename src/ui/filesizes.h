#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// Sizes of part files as the window shows them. Read afresh on every call:
// a part may have been deleted or replaced since it was dropped.
namespace FileSizes {

// The sum of the sizes that can be read; unreadable files add nothing.
qint64 totalSize(const QList<QUrl>& locations);

// A byte count in the decimal style of desktop file managers ("2.1 MB").
QString formatted(qint64 bytes);

} // namespace FileSizes

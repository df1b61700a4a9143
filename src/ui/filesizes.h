#pragma once

#include <QString>

// Sizes as the window shows them; FileSizeCache reads them.
namespace FileSizes {

// A byte count in the decimal style of desktop file managers ("2.1 MB").
QString formatted(qint64 bytes);

} // namespace FileSizes

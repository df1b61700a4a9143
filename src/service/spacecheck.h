#pragma once

#include "service/archiveinspection.h"

#include <QtGlobal>

#include <optional>

// Whether a run fits on the destination's file system, told before it
// writes a byte: the combined archive (as large as the parts) and the
// unpacked files must fit at once, less what the files they replace free.
struct SpaceShortage {
    qint64 needed;
    qint64 available;
};

// Empty when the run fits, and when that cannot be told: the check did not
// learn the unpacked size, or the file system did not say its free space.
std::optional<SpaceShortage> findSpaceShortage(qint64 partsSize,
                                               const ArchiveInspection& inspection,
                                               std::optional<qint64> available);

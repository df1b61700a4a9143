#include "service/spacecheck.h"

#include <algorithm>

std::optional<SpaceShortage> findSpaceShortage(qint64 partsSize,
                                               const ArchiveInspection& inspection,
                                               std::optional<qint64> available) {
    if (!inspection.unpackedSize || !available)
        return std::nullopt;
    const qint64 unpacked = *inspection.unpackedSize;
    const qint64 freed = std::clamp<qint64>(inspection.replacedBytes.value_or(0), 0, unpacked);
    const qint64 needed = partsSize + unpacked - freed;
    if (needed <= *available)
        return std::nullopt;
    return SpaceShortage{needed, *available};
}

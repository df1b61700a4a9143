#pragma once

#include <QtGlobal>

#include <algorithm>
#include <climits>

// tr()'s %n takes an int; counts of files and entries are 64-bit. Past
// INT_MAX the plural form no longer changes, so the count is capped there.
inline int pluralCount(qint64 count) {
    return int(std::clamp<qint64>(count, 0, INT_MAX));
}

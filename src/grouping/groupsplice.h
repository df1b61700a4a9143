#pragma once

#include "grouping/zipfilegroup.h"

#include <QList>
#include <QStringList>

// Making the groups of some grouping keys again while every other group stays
// as it is (same value, same id), in a list sorted as groupFiles sorts.

// Where the groups of one key lie in the list: [begin, end), empty where the
// key has none.
struct KeyRange {
    qsizetype begin = 0;
    qsizetype end = 0;
};

// The range of each of `keys`, which are unique and ascending in code point
// order. A binary search each, so the work grows with the keys, not the list.
QList<KeyRange> findKeyRanges(const QList<ZipFileGroup>& groups, const QStringList& keys);

// `groups` with each key's range replaced by the groups of `regrouped` under
// that key. When `regrouped` is what groupFiles makes of all files of `keys`,
// the result is what it makes of all files, except for the ids of the groups
// left in place. Linear: the groups are moved across, not sorted again.
QList<ZipFileGroup> spliceGroups(QList<ZipFileGroup> groups, const QStringList& keys,
                                 const QList<KeyRange>& ranges, QList<ZipFileGroup> regrouped);

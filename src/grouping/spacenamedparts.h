#pragma once

#include "grouping/zipfilegroup.h"

#include <QList>
#include <QSet>
#include <QString>

// Several browsers name a second download of archive.zip "archive (1).zip",
// with a space, which the name rules make an archive "archive " of its own.
// Where two groups plainly are such halves of one set, the user may join
// them; nothing here joins groups unasked.

// The group that makes one set with groups[index]: the spaced half when it
// is the base half, or the other way round; -1 when there is none. The base
// half is archive.zip only; the spaced half lacks its part 0 and is named
// as the base half followed by a space.
qsizetype spaceNamedPartner(const QList<ZipFileGroup>& groups, qsizetype index);

// The name by which a join of the set that groups[index] belongs to is
// kept: the canonical form of the base half's name; empty without a partner.
QString spaceNamedJoinKey(const QList<ZipFileGroup>& groups, qsizetype index);

struct JoinedGroups {
    QList<ZipFileGroup> groups;
    QSet<QString> joinKeys; // those of the requested joins that apply
};

// `groups` with each set whose join key is among `joinKeys` made one group in
// part order, named as its base half and in its place. A join whose halves
// are no longer there, or no longer plainly one set, is left out.
JoinedGroups joinSpaceNamedGroups(QList<ZipFileGroup> groups, const QSet<QString>& joinKeys);

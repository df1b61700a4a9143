#pragma once

#include "grouping/zipfilegroup.h"

#include <QList>
#include <QString>
#include <QUrl>

// Decides which dropped files form an archive, from their names alone: no file
// is opened and nothing on disk is looked at.

struct ParsedPartName {
    QString baseName;
    qint64 partIndex = 0;
};

struct MissingIndices {
    QList<qint64> indices;
    bool isMissingParts = false;
};

// The most missing indices one group lists. A single part named with a huge
// number (up to 9223372036854775807) would otherwise ask for billions of
// entries; past this many the list stops, ascending from 0, and the group
// still reports that parts are missing.
inline constexpr qsizetype maxListedMissingIndices = 1000;

// Splits "archive(12)" into "archive" and 12; a name without a readable
// "(N)" suffix is its own base name with index 0.
ParsedPartName parsePartName(const QString& partName);

// The absent indices between 0 and the highest present one, ascending, at
// most maxListedMissingIndices of them.
MissingIndices findMissingIndices(const QList<qint64>& partIndices);

// The part numbers that more than one of `files` claims, read from their
// names, ascending; each clash lists its files in the order given. Names
// that are not zip parts claim nothing. A group's own files give its clashes.
QList<PartClash> findPartClashes(const QList<QUrl>& files);

// Groups the .zip locations among `locations` by base name, each group's files
// in part order, the groups sorted by base name in code point order. Two files
// with one part number both stay in the group, side by side, and the group
// lists them among its clashes.
QList<ZipFileGroup> groupFiles(const QList<QUrl>& locations);

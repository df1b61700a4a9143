#pragma once

#include "grouping/zipfilegroup.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

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

// The number of a naming's first part: 0 for archive.zip, 1 for .001 and .z01.
qint64 firstPartIndex(PartNaming naming);

// The part number a file's name gives it in its naming, or nothing for a
// file that is no zip part.
std::optional<qint64> partIndexOf(const QUrl& location);

// The absent indices between firstIndex and the highest present one,
// ascending, at most maxListedMissingIndices of them.
MissingIndices findMissingIndices(const QList<qint64>& partIndices, qint64 firstIndex = 0);

// The part numbers that more than one of `files` claims, read from their
// names, ascending; each clash lists its files in the order given. Names
// that are not zip parts claim nothing. A group's own files give its clashes.
QList<PartClash> findPartClashes(const QList<QUrl>& files);

// Groups the zip parts among `locations` by naming and base name, each
// group's files in part order, the groups sorted by base name in code point
// order, one name's namings in the order PartNaming lists them. Two files
// with one part number both stay in the group, side by side, and the group
// lists them among its clashes. Parts are archive.zip, archive(N).zip;
// archive.zip.001 …; and archive.z01 … with archive.zip, which then belongs
// to that spanned set.
QList<ZipFileGroup> groupFiles(const QList<QUrl>& locations);

// The name groupFiles gathers a file under: the canonical form of its base
// name, one for every naming of that name, since they decide together
// (archive.zip joins a spanned set when archive.z01 is there). Files of
// different keys never meet in a group, so one key's groups can be made
// again from that key's files alone. Nothing for a file that is no zip part.
std::optional<QString> groupingKey(const QUrl& location);

// The key of a group's files, and of any group joined under its name.
QString groupingKey(const ZipFileGroup& group);

// Whether groupFiles lists a group of this key and naming before one of the
// other: keys in code point order, one key's namings as PartNaming lists them.
bool precedesInGroupOrder(QStringView key, PartNaming naming, QStringView otherKey,
                          PartNaming otherNaming);

// One group of `files` named baseName, as their archive(N).zip numbers order
// them whatever their base names; files of other namings are left out.
ZipFileGroup groupAs(const QString& baseName, const QList<QUrl>& files);

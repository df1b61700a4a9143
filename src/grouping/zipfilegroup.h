#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <optional>

// Two or more files of one group that claim the same part number, say
// a/s(1).zip and b/s(1).zip. Merging both would put that part in twice, so
// the user has to keep one.
struct PartClash {
    qint64 partIndex = 0;
    QList<QUrl> files; // in the group's file order

    friend bool operator==(const PartClash& left, const PartClash& right) = default;
};

// How the parts of one archive are named. A group never mixes two namings.
enum class PartNaming {
    // archive.zip, archive(1).zip, archive(2).zip …: byte splits, the
    // unnumbered file first.
    Parenthesised,
    // archive.zip.001, archive.zip.002 …: byte splits, numbered from 1.
    Numbered,
    // archive.z01, archive.z02 … archive.zip: a spanned set, whose segments
    // are not byte splits and cannot be joined into one archive.
    Spanned,
};

// One split archive: its part files in merge order, the part numbers it lacks
// and the part numbers claimed by more than one file. An immutable value; a
// changed group is a new record with a new id.
struct ZipFileGroup {
    QUuid id;
    QString baseName;
    // Every file, clashing ones included (side by side, as they sort), so the
    // window can offer each of them for removal.
    QList<QUrl> files;
    bool isMissingParts = false;
    QList<qint64> missingIndices;
    // Ascending by part number; empty when every number has one file.
    QList<PartClash> clashes{};
    PartNaming naming = PartNaming::Parenthesised;

    // "Missing parts: …" with one label per missing index, or nothing when the
    // group is complete. Parts named archive(N).zip are labelled "base
    // (archive.zip)" and "part (N)", other parts by their file names.
    std::optional<QString> missingPartsDescription() const;

    // Why these parts cannot be joined into an archive at all, one sentence
    // naming the set, or nothing for byte-split parts.
    std::optional<QString> refusalDescription() const;

    // Such a group cannot be merged: it would hold one part twice.
    bool hasClashingParts() const { return !clashes.isEmpty(); }

    friend bool operator==(const ZipFileGroup& left, const ZipFileGroup& right);
};

size_t qHash(const ZipFileGroup& group, size_t seed = 0);

// A fresh random (version 4) id for a new or changed group.
QUuid newGroupId();

// Its members all are, so lists of groups move them with memmove.
Q_DECLARE_TYPEINFO(ZipFileGroup, Q_RELOCATABLE_TYPE);

Q_DECLARE_METATYPE(PartNaming)
Q_DECLARE_METATYPE(ZipFileGroup)

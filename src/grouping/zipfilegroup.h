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

    // "Missing parts: …" with one label per missing index, or nothing when the
    // group is complete.
    std::optional<QString> missingPartsDescription() const;

    // Such a group cannot be merged: it would hold one part twice.
    bool hasClashingParts() const { return !clashes.isEmpty(); }

    friend bool operator==(const ZipFileGroup& left, const ZipFileGroup& right);
};

size_t qHash(const ZipFileGroup& group, size_t seed = 0);

Q_DECLARE_METATYPE(ZipFileGroup)

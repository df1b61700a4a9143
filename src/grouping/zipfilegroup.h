#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <optional>

// One split archive: its part files in merge order and the part numbers it lacks.
// An immutable value; a changed group is a new record with a new id.
struct ZipFileGroup {
    QUuid id;
    QString baseName;
    QList<QUrl> files;
    bool isMissingParts = false;
    QList<qint64> missingIndices;

    // "Missing parts: …" with one label per missing index, or nothing when the
    // group is complete.
    std::optional<QString> missingPartsDescription() const;

    friend bool operator==(const ZipFileGroup& left, const ZipFileGroup& right);
};

size_t qHash(const ZipFileGroup& group, size_t seed = 0);

Q_DECLARE_METATYPE(ZipFileGroup)

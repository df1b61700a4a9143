#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// What the extractor's check of a set of parts found, read from its JSON
// ("kestrune-extract --inspect --json"). A value the check could not learn
// is empty.
struct ArchiveInspection {
    bool complete = false;
    std::optional<qint64> entries;
    std::optional<qint64> unpackedSize;
    std::optional<qint64> encryptedEntries;
    // Counted from 0 in the order the parts were given.
    std::optional<qint64> firstBadPart;
    std::optional<qint64> missingBytes;
    // With a destination: the files there the extraction would replace.
    std::optional<qint64> conflicts;
    std::optional<qint64> replacedBytes;
    QString problem; // one sentence for the user; empty when complete

    // Empty unless the text is one JSON object that says at least whether
    // the archive is complete; an extractor that does not know the check
    // says anything else.
    static std::optional<ArchiveInspection> fromJson(const QByteArray& json);

    bool operator==(const ArchiveInspection&) const = default;
};

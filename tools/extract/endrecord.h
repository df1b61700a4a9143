#pragma once

#include <cstdint>
#include <optional>

class ByteSource;

// What the end of a zip says about the whole: how many entries its central
// directory holds and where that directory lies. Read before the library
// opens the archive, to find where the archive really starts and to check
// afterwards that every declared entry was read.
struct EndRecord {
    std::int64_t position = 0; // of the end record itself
    std::uint64_t entryCount = 0;
    std::uint64_t directorySize = 0;
    std::uint64_t directoryOffset = 0; // as declared, from the archive's start
    // Where the directory must end: at the zip64 end record when there is
    // one, otherwise at the end record.
    std::int64_t directoryEnd = 0;
    std::uint64_t commentSize = 0;
    // The values that did not fit say "see the zip64 record".
    bool hasZip64Markers = false;
    bool hasZip64Locator = false;
    // The locator is there, but its record is nowhere to be found.
    bool isZip64RecordMissing = false;

    // Bytes in front of the archive, such as a self-extractor's program or
    // a stray part: the distance between where the directory is and where
    // the archive says it is. 0 when the directory is where it says.
    std::int64_t leadingBytes(const ByteSource& bytes) const;
    // The directory ends past where it could: a part of the file is missing.
    bool isDirectoryCut() const;
};

// The last end record of the file, and its zip64 record where it has one;
// empty when the file has no end record at all.
std::optional<EndRecord> readEndRecord(const ByteSource& bytes);

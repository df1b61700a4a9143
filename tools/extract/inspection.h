#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

class PartedFile;

// What the bytes of a set of parts say about the archive they should make,
// learned from its end record, its central directory and four bytes where
// each entry should begin, never from the data: whether the parts hold the
// whole archive in order, and if not, which part breaks it.
struct Inspection {
    bool complete = false;
    std::optional<std::uint64_t> entries;
    std::optional<std::uint64_t> unpackedSize;
    std::optional<std::uint64_t> encryptedEntries;
    // The first part whose bytes do not continue the archive where its
    // directory says an entry begins, counted from 0 in the order given.
    std::optional<std::size_t> firstBadPart;
    std::optional<std::uint64_t> missingBytes;
    // Regular files in the destination the extraction would replace, and
    // their bytes, which replacing them frees.
    std::optional<std::uint64_t> conflicts;
    std::optional<std::uint64_t> replacedBytes;
    std::string problem; // one sentence for the user; empty when complete

    std::string toJson() const;
    std::string toText() const;
};

// destinationFd: the folder to count replaced files in, or -1.
Inspection inspect(const PartedFile& parts, int destinationFd);

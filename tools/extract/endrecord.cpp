#include "endrecord.h"

#include "bytesource.h"
#include "littleendian.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr std::int64_t endRecordSize = 22;
constexpr std::int64_t longestComment = 0xFFFF;
constexpr std::int64_t zip64LocatorSize = 20;
constexpr std::int64_t zip64EndRecordSize = 56;
constexpr std::uint64_t marker16 = 0xFFFF;
constexpr std::uint64_t marker32 = 0xFFFFFFFF;

bool hasSignature(const ByteSource& bytes, std::int64_t offset, const char (&signature)[5]) {
    std::array<char, 4> head{};
    return bytes.readAt(offset, head.data(), head.size()) &&
           std::memcmp(head.data(), signature, 4) == 0;
}

// Position of the last end record in the file, or -1.
std::int64_t findEndRecord(const ByteSource& bytes) {
    const std::int64_t fileSize = bytes.size();
    const std::int64_t start = std::max<std::int64_t>(0, fileSize - endRecordSize - longestComment);
    std::vector<char> tail(std::size_t(fileSize - start));
    if (tail.size() < endRecordSize || !bytes.readAt(start, tail.data(), tail.size()))
        return -1;
    for (std::int64_t at = std::int64_t(tail.size()) - endRecordSize; at >= 0; --at) {
        if (std::memcmp(tail.data() + at, "PK\5\6", 4) == 0)
            return start + at;
    }
    return -1;
}

// Where the zip64 end record is: where the locator says, or, with bytes in
// front of the archive, right before the locator; -1 when at neither.
std::int64_t findZip64Record(const ByteSource& bytes, std::int64_t declared, std::int64_t locator) {
    if (declared <= locator - zip64EndRecordSize && hasSignature(bytes, declared, "PK\6\6"))
        return declared;
    const std::int64_t adjacent = locator - zip64EndRecordSize;
    return hasSignature(bytes, adjacent, "PK\6\6") ? adjacent : -1;
}

} // namespace

std::optional<EndRecord> readEndRecord(const ByteSource& source) {
    const std::int64_t position = findEndRecord(source);
    std::array<char, endRecordSize> bytes{};
    if (position < 0 || !source.readAt(position, bytes.data(), bytes.size()))
        return std::nullopt;
    EndRecord record;
    record.position = position;
    record.entryCount = littleEndian(bytes.data() + 10, 2);
    record.directorySize = littleEndian(bytes.data() + 12, 4);
    record.directoryOffset = littleEndian(bytes.data() + 16, 4);
    record.directoryEnd = position;
    record.commentSize = littleEndian(bytes.data() + 20, 2);

    // Writers that stream their input add zip64 records even where every
    // value fits, so the locator, not a marker value, says there are some.
    const std::int64_t locatorAt = position - zip64LocatorSize;
    std::array<char, zip64LocatorSize> locator{};
    const bool hasLocator = source.readAt(locatorAt, locator.data(), locator.size()) &&
                            std::memcmp(locator.data(), "PK\6\7", 4) == 0;
    record.hasZip64Markers = record.entryCount == marker16 || record.directorySize == marker32 ||
                             record.directoryOffset == marker32;
    record.hasZip64Locator = hasLocator;
    if (!hasLocator)
        return record;
    const auto declared = std::int64_t(
        std::min<std::uint64_t>(littleEndian(locator.data() + 8, 8), std::uint64_t(INT64_MAX)));
    const std::int64_t zip64At = findZip64Record(source, declared, locatorAt);
    std::array<char, zip64EndRecordSize> zip64{};
    if (zip64At < 0 || !source.readAt(zip64At, zip64.data(), zip64.size())) {
        record.isZip64RecordMissing = true;
        return record;
    }
    record.entryCount = littleEndian(zip64.data() + 32, 8);
    record.directorySize = littleEndian(zip64.data() + 40, 8);
    record.directoryOffset = littleEndian(zip64.data() + 48, 8);
    record.directoryEnd = zip64At;
    return record;
}

std::int64_t EndRecord::leadingBytes(const ByteSource& bytes) const {
    if (isZip64RecordMissing || directorySize > std::uint64_t(directoryEnd))
        return 0;
    const std::int64_t directoryStart = directoryEnd - std::int64_t(directorySize);
    if (directoryOffset >= std::uint64_t(directoryStart) || directorySize == 0)
        return 0;
    // Only when the directory really begins where the difference puts it,
    // and not where it says: otherwise this is damage, not a prefix.
    if (hasSignature(bytes, std::int64_t(directoryOffset), "PK\1\2") ||
        !hasSignature(bytes, directoryStart, "PK\1\2"))
        return 0;
    return directoryStart - std::int64_t(directoryOffset);
}

bool EndRecord::isDirectoryCut() const {
    return isZip64RecordMissing || directoryOffset > std::uint64_t(directoryEnd) ||
           directorySize > std::uint64_t(directoryEnd) - directoryOffset;
}

#include "endrecord.h"

#include <unistd.h>

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

std::uint64_t littleEndian(const char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | std::uint8_t(bytes[i]);
    return value;
}

bool readAt(int fd, std::int64_t offset, char* buffer, std::size_t size) {
    return offset >= 0 && ::pread(fd, buffer, size, offset) == ssize_t(size);
}

bool hasSignature(int fd, std::int64_t offset, const char (&signature)[5]) {
    std::array<char, 4> bytes{};
    return readAt(fd, offset, bytes.data(), bytes.size()) &&
           std::memcmp(bytes.data(), signature, 4) == 0;
}

// Position of the last end record in the file, or -1.
std::int64_t findEndRecord(int fd, std::int64_t fileSize) {
    const std::int64_t start = std::max<std::int64_t>(0, fileSize - endRecordSize - longestComment);
    std::vector<char> tail(std::size_t(fileSize - start));
    if (!readAt(fd, start, tail.data(), tail.size()) || tail.size() < endRecordSize)
        return -1;
    for (std::int64_t at = std::int64_t(tail.size()) - endRecordSize; at >= 0; --at) {
        if (std::memcmp(tail.data() + at, "PK\5\6", 4) == 0)
            return start + at;
    }
    return -1;
}

// Where the zip64 end record is: where the locator says, or, with bytes in
// front of the archive, right before the locator; -1 when at neither.
std::int64_t findZip64Record(int fd, std::int64_t declared, std::int64_t locator) {
    if (declared <= locator - zip64EndRecordSize && hasSignature(fd, declared, "PK\6\6"))
        return declared;
    const std::int64_t adjacent = locator - zip64EndRecordSize;
    return hasSignature(fd, adjacent, "PK\6\6") ? adjacent : -1;
}

} // namespace

std::optional<EndRecord> readEndRecord(int fd, std::int64_t fileSize) {
    const std::int64_t position = findEndRecord(fd, fileSize);
    std::array<char, endRecordSize> bytes{};
    if (position < 0 || !readAt(fd, position, bytes.data(), bytes.size()))
        return std::nullopt;
    EndRecord record;
    record.position = position;
    record.entryCount = littleEndian(bytes.data() + 10, 2);
    record.directorySize = littleEndian(bytes.data() + 12, 4);
    record.directoryOffset = littleEndian(bytes.data() + 16, 4);
    record.directoryEnd = position;

    // Writers that stream their input add zip64 records even where every
    // value fits, so the locator, not a marker value, says there are some.
    const std::int64_t locatorAt = position - zip64LocatorSize;
    std::array<char, zip64LocatorSize> locator{};
    const bool hasLocator = readAt(fd, locatorAt, locator.data(), locator.size()) &&
                            std::memcmp(locator.data(), "PK\6\7", 4) == 0;
    record.hasZip64Markers = record.entryCount == marker16 || record.directorySize == marker32 ||
                             record.directoryOffset == marker32;
    record.hasZip64Locator = hasLocator;
    if (!hasLocator)
        return record;
    const auto declared = std::int64_t(std::min<std::uint64_t>(littleEndian(locator.data() + 8, 8),
                                                                std::uint64_t(INT64_MAX)));
    const std::int64_t zip64At = findZip64Record(fd, declared, locatorAt);
    std::array<char, zip64EndRecordSize> zip64{};
    if (zip64At < 0 || !readAt(fd, zip64At, zip64.data(), zip64.size())) {
        record.isZip64RecordMissing = true;
        return record;
    }
    record.entryCount = littleEndian(zip64.data() + 32, 8);
    record.directorySize = littleEndian(zip64.data() + 40, 8);
    record.directoryOffset = littleEndian(zip64.data() + 48, 8);
    record.directoryEnd = zip64At;
    return record;
}

std::int64_t EndRecord::leadingBytes(int fd) const {
    if (isZip64RecordMissing || directorySize > std::uint64_t(directoryEnd))
        return 0;
    const std::int64_t directoryStart = directoryEnd - std::int64_t(directorySize);
    if (directoryOffset >= std::uint64_t(directoryStart) || directorySize == 0)
        return 0;
    // Only when the directory really begins where the difference puts it,
    // and not where it says: otherwise this is damage, not a prefix.
    if (hasSignature(fd, std::int64_t(directoryOffset), "PK\1\2") ||
        !hasSignature(fd, directoryStart, "PK\1\2"))
        return 0;
    return directoryStart - std::int64_t(directoryOffset);
}

bool EndRecord::isDirectoryCut() const {
    return isZip64RecordMissing || directoryOffset > std::uint64_t(directoryEnd) ||
           directorySize > std::uint64_t(directoryEnd) - directoryOffset;
}

#include "archivediagnosis.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

using namespace std::string_view_literals;

constexpr std::int64_t endRecordSize = 22;
constexpr std::int64_t longestComment = 0xFFFF;
constexpr std::int64_t zip64LocatorSize = 20;
constexpr std::int64_t zip64EndRecordSize = 56;
constexpr std::uint32_t zip64Marker = 0xFFFFFFFF;

std::uint64_t littleEndian(const char* bytes, int count) {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | std::uint8_t(bytes[i]);
    return value;
}

bool readAt(int fd, std::int64_t offset, char* buffer, std::size_t size) {
    return offset >= 0 && ::pread(fd, buffer, size, offset) == ssize_t(size);
}

bool startsLikeZip(int fd) {
    std::array<char, 4> head{};
    if (!readAt(fd, 0, head.data(), head.size()))
        return false;
    const std::string_view signature(head.data(), head.size());
    // A local file header, or the marker a split or spanned zip begins with.
    return signature == "PK\3\4"sv || signature == "PK\7\x08"sv || signature == "PK00"sv;
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

using ArchiveDiagnosis::Verdict;

// Whether the central directory lies where the end record says, before the
// record itself; a missing part shifts it or cuts it away.
Verdict checkDirectory(int fd, std::int64_t endRecord) {
    std::array<char, endRecordSize> record{};
    if (!readAt(fd, endRecord, record.data(), record.size()))
        return Verdict::Damaged;
    std::uint64_t size = littleEndian(record.data() + 12, 4);
    std::uint64_t offset = littleEndian(record.data() + 16, 4);
    if (littleEndian(record.data() + 10, 2) == 0 && size == 0 && offset == std::uint64_t(endRecord))
        return Verdict::NoEntries;
    std::int64_t directoryEnd = endRecord;
    if (size == zip64Marker || offset == zip64Marker) {
        std::array<char, zip64LocatorSize> locator{};
        std::array<char, zip64EndRecordSize> record64{};
        if (!readAt(fd, endRecord - zip64LocatorSize, locator.data(), locator.size()) ||
            std::memcmp(locator.data(), "PK\6\7", 4) != 0)
            return Verdict::Damaged;
        directoryEnd = std::int64_t(littleEndian(locator.data() + 8, 8));
        if (directoryEnd > endRecord - zip64LocatorSize - zip64EndRecordSize ||
            !readAt(fd, directoryEnd, record64.data(), record64.size()) ||
            std::memcmp(record64.data(), "PK\6\6", 4) != 0)
            return Verdict::Truncated;
        size = littleEndian(record64.data() + 40, 8);
        offset = littleEndian(record64.data() + 48, 8);
    }
    const bool fits =
        offset <= std::uint64_t(directoryEnd) && size <= std::uint64_t(directoryEnd) - offset;
    return fits ? Verdict::Damaged : Verdict::Truncated;
}

} // namespace

ArchiveDiagnosis::Verdict ArchiveDiagnosis::diagnose(int fd, std::int64_t fileSize) {
    if (fileSize == 0)
        return Verdict::Empty;
    const std::int64_t endRecord = findEndRecord(fd, fileSize);
    if (endRecord < 0)
        return startsLikeZip(fd) ? Verdict::Truncated : Verdict::NotZip;
    return checkDirectory(fd, endRecord);
}

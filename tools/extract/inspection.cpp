#include "inspection.h"

#include "endrecord.h"
#include "entryname.h"
#include "entrypath.h"
#include "littleendian.h"
#include "partedfile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_set>
#include <vector>

namespace {

constexpr std::size_t directoryHeaderSize = 46;
constexpr std::size_t localHeaderSize = 30;
constexpr std::uint16_t dataDescriptorFlag = 8;
constexpr std::uint32_t marker32 = 0xFFFFFFFF;
constexpr std::uint16_t encryptedFlag = 1;
constexpr std::uint32_t unixTypeMask = 0170000;
constexpr std::uint32_t unixRegular = 0100000;
constexpr std::size_t readBlock = 1024 * 1024;

const std::string endMissing =
    "The end of the archive is missing: the last part, or more than one, was not dropped.";
const std::string directoryDamaged =
    "The archive's directory is damaged: it does not describe the parts it came with.";

struct DirectoryEntry {
    std::uint64_t offset = 0; // of the local header, from the archive's start
    std::uint64_t unpackedSize = 0;
    std::uint64_t packedSize = 0;
    std::uint32_t crc = 0;
    std::uint16_t nameSize = 0;
    bool isEncrypted = false;
    bool isRegularFile = false;
    std::string name;
};

// Reads the directory front to back through a window of its own, so that a
// directory of millions of entries costs a few large reads.
class DirectoryReader {
public:
    DirectoryReader(const ByteSource& bytes, std::int64_t start, std::uint64_t size)
        : m_bytes(bytes)
        , m_next(start)
        , m_end(start + std::int64_t(size)) {}

    bool atEnd() const { return m_used == m_buffered && m_next >= m_end; }

    // The next `count` bytes, valid until the next call; null past the end.
    const char* take(std::size_t count) {
        if (m_buffered - m_used < count && !refill(count))
            return nullptr;
        const char* taken = m_buffer.data() + m_used;
        m_used += count;
        return taken;
    }

private:
    bool refill(std::size_t count) {
        const std::size_t kept = m_buffered - m_used;
        const std::int64_t left = m_end - m_next;
        if (std::int64_t(count - kept) > left)
            return false;
        if (kept > 0)
            std::memmove(m_buffer.data(), m_buffer.data() + m_used, kept);
        const auto wanted = std::size_t(
            std::min<std::int64_t>(left, std::int64_t(std::max(readBlock, count - kept))));
        m_buffer.resize(std::max(m_buffer.size(), kept + wanted));
        if (!m_bytes.readAt(m_next, m_buffer.data() + kept, wanted))
            return false;
        m_next += std::int64_t(wanted);
        m_used = 0;
        m_buffered = kept + wanted;
        return true;
    }

    const ByteSource& m_bytes;
    std::int64_t m_next;
    std::int64_t m_end;
    std::vector<char> m_buffer;
    std::size_t m_used = 0;
    std::size_t m_buffered = 0;
};

// The zip64 extra field holds, in this order, whichever of the unpacked
// size, packed size and header offset the header marks as too large.
void readZip64Extra(const char* extra, std::size_t size, DirectoryEntry& entry,
                    bool unpackedIsMarked, bool packedIsMarked, bool offsetIsMarked) {
    for (std::size_t at = 0; at + 4 <= size;) {
        const auto id = littleEndian(extra + at, 2);
        const auto length = std::size_t(littleEndian(extra + at + 2, 2));
        if (at + 4 + length > size)
            return;
        if (id == 1) {
            std::size_t field = at + 4;
            const std::size_t end = field + length;
            if (unpackedIsMarked && field + 8 <= end) {
                entry.unpackedSize = littleEndian(extra + field, 8);
                field += 8;
            }
            if (packedIsMarked && field + 8 <= end) {
                entry.packedSize = littleEndian(extra + field, 8);
                field += 8;
            }
            if (offsetIsMarked && field + 8 <= end)
                entry.offset = littleEndian(extra + field, 8);
            return;
        }
        at += 4 + length;
    }
}

// Every entry of the directory, or nothing when it is not a directory.
std::optional<std::vector<DirectoryEntry>>
readDirectory(const ByteSource& bytes, std::int64_t start, std::uint64_t size, bool keepNames) {
    DirectoryReader reader(bytes, start, size);
    std::vector<DirectoryEntry> entries;
    while (!reader.atEnd()) {
        const char* header = reader.take(directoryHeaderSize);
        if (!header || std::memcmp(header, "PK\1\2", 4) != 0)
            return std::nullopt;
        DirectoryEntry entry;
        const auto flags = littleEndian(header + 8, 2);
        const auto packed = littleEndian(header + 20, 4);
        entry.packedSize = packed;
        entry.unpackedSize = littleEndian(header + 24, 4);
        const auto nameSize = std::size_t(littleEndian(header + 28, 2));
        const auto extraSize = std::size_t(littleEndian(header + 30, 2));
        const auto commentSize = std::size_t(littleEndian(header + 32, 2));
        const auto unixMode = std::uint32_t(littleEndian(header + 38, 4) >> 16);
        entry.offset = littleEndian(header + 42, 4);
        entry.isEncrypted = (flags & encryptedFlag) != 0;
        entry.crc = std::uint32_t(littleEndian(header + 16, 4));
        entry.nameSize = std::uint16_t(nameSize);
        const bool unpackedIsMarked = entry.unpackedSize == marker32;
        const bool offsetIsMarked = entry.offset == marker32;
        const char* name = reader.take(nameSize);
        if (!name)
            return std::nullopt;
        const std::string_view nameBytes(name, nameSize);
        const bool isFolder = nameBytes.ends_with('/');
        const std::uint32_t type = unixMode & unixTypeMask;
        entry.isRegularFile = !isFolder && (type == 0 || type == unixRegular);
        if (keepNames && entry.isRegularFile)
            entry.name = EntryName::toUtf8(nameBytes);
        const char* extra = reader.take(extraSize);
        if (!extra || !reader.take(commentSize))
            return std::nullopt;
        readZip64Extra(extra, extraSize, entry, unpackedIsMarked, packed == marker32,
                       offsetIsMarked);
        entries.push_back(std::move(entry));
    }
    return entries;
}

struct Conflicts {
    std::uint64_t count = 0;
    std::uint64_t bytes = 0;
};

// The regular files among the entries that would replace one already in
// the destination; a name the extraction would refuse replaces nothing.
Conflicts findConflicts(const std::vector<DirectoryEntry>& entries, int destinationFd) {
    std::unordered_set<std::string> seen;
    Conflicts conflicts;
    for (const DirectoryEntry& entry : entries) {
        if (!entry.isRegularFile)
            continue;
        const EntryPath::Normalized path = EntryPath::normalize(entry.name);
        if (path.problem != EntryPath::Problem::None || path.path.empty() ||
            !seen.insert(path.path).second)
            continue;
        struct stat status {};
        if (::fstatat(destinationFd, path.path.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(status.st_mode)) {
            ++conflicts.count;
            conflicts.bytes += std::uint64_t(status.st_size);
        }
    }
    return conflicts;
}

constexpr std::int64_t noMismatch = -1;

// Where the entry's bytes first differ from what the directory says of it,
// or noMismatch: its local header at the position, with the name's length
// and the CRC-32, which a part of another download with the same names and
// sizes lacks. A writer that did not know the CRC-32 up front put it in a
// descriptor after the data, where the packed size says.
std::int64_t findMismatch(const ByteSource& bytes, std::int64_t position,
                          const DirectoryEntry& entry) {
    std::array<char, localHeaderSize> head{};
    if (!bytes.readAt(position, head.data(), head.size()) ||
        std::memcmp(head.data(), "PK\3\4", 4) != 0 ||
        littleEndian(head.data() + 26, 2) != entry.nameSize)
        return position;
    if ((littleEndian(head.data() + 6, 2) & dataDescriptorFlag) == 0)
        return littleEndian(head.data() + 14, 4) == entry.crc ? noMismatch : position;
    const std::uint64_t dataStart = std::uint64_t(position) + localHeaderSize +
                                    littleEndian(head.data() + 26, 2) +
                                    littleEndian(head.data() + 28, 2);
    if (entry.packedSize > std::uint64_t(bytes.size()))
        return position;
    const auto descriptorAt = std::int64_t(dataStart + entry.packedSize);
    std::array<char, 8> descriptor{};
    if (!bytes.readAt(descriptorAt, descriptor.data(), descriptor.size()))
        return descriptorAt;
    // The descriptor's own signature is optional.
    const bool isSigned = std::memcmp(descriptor.data(), "PK\7\x08", 4) == 0;
    const bool matches = littleEndian(descriptor.data() + (isSigned ? 4 : 0), 4) == entry.crc;
    return matches ? noMismatch : descriptorAt;
}

std::string brokenContinuity(const PartedFile& parts, std::size_t part) {
    const std::string name = EntryName::printable(parts.fileNameOf(part));
    if (part == 0)
        return name + " does not begin the archive: it may be a different download or in the "
                      "wrong place.";
    return name + " does not continue " + EntryName::printable(parts.fileNameOf(part - 1)) +
           ": it may be a different download or in the wrong place.";
}

std::string jsonNumber(const std::optional<std::uint64_t>& value) {
    return value ? std::to_string(*value) : "null";
}

std::string jsonString(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (std::uint8_t(c) < 0x20) {
            static constexpr char hex[] = "0123456789abcdef";
            quoted += "\\u00";
            quoted += hex[std::uint8_t(c) >> 4];
            quoted += hex[std::uint8_t(c) & 0xF];
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

} // namespace

Inspection inspect(const PartedFile& parts, int destinationFd) {
    Inspection result;
    const std::optional<EndRecord> record = readEndRecord(parts);
    if (!record) {
        result.problem = endMissing;
        return result;
    }
    // Where the directory is: it ends at the (zip64) end record.
    if (record->isZip64RecordMissing || (record->hasZip64Markers && !record->hasZip64Locator) ||
        record->directorySize > std::uint64_t(record->directoryEnd)) {
        result.problem = directoryDamaged;
        return result;
    }
    const std::int64_t directoryStart = record->directoryEnd - std::int64_t(record->directorySize);
    auto entries = readDirectory(parts, directoryStart, record->directorySize, destinationFd >= 0);
    // A directory of more than 65535 entries without zip64 records declares
    // only the low 16 bits of their count.
    if (!entries || entries->size() < record->entryCount) {
        result.problem = directoryDamaged;
        return result;
    }
    result.entries = entries->size();
    result.unpackedSize = 0;
    result.encryptedEntries = 0;
    for (const DirectoryEntry& entry : *entries) {
        *result.unpackedSize += entry.unpackedSize;
        *result.encryptedEntries += entry.isEncrypted ? 1 : 0;
    }
    if (destinationFd >= 0) {
        const Conflicts conflicts = findConflicts(*entries, destinationFd);
        result.conflicts = conflicts.count;
        result.replacedBytes = conflicts.bytes;
    }

    std::sort(entries->begin(), entries->end(),
              [](const DirectoryEntry& left, const DirectoryEntry& right) {
                  return left.offset < right.offset;
              });
    // Where the archive starts: behind leading bytes, when its first entry is
    // there; else at the start, and then any shift of the directory is bytes
    // lost or gained between the parts.
    const auto declaredStart =
        std::int64_t(std::min<std::uint64_t>(record->directoryOffset, INT64_MAX));
    std::int64_t start = 0;
    const std::int64_t leading = directoryStart - declaredStart;
    if (leading > 0 && !entries->empty() &&
        entries->front().offset < std::uint64_t(directoryStart - leading) &&
        findMismatch(parts, leading + std::int64_t(entries->front().offset), entries->front()) ==
            noMismatch)
        start = leading;
    const std::int64_t shift = directoryStart - (start + declaredStart);
    result.missingBytes = shift < 0 ? std::uint64_t(-shift) : 0;

    for (const DirectoryEntry& entry : *entries) {
        const bool isBeforeDirectory = entry.offset < std::uint64_t(directoryStart) &&
                                       std::int64_t(entry.offset) + start < directoryStart;
        const std::int64_t position =
            start + std::int64_t(std::min<std::uint64_t>(entry.offset, INT64_MAX / 2));
        const std::int64_t mismatch =
            isBeforeDirectory ? findMismatch(parts, position, entry) : position;
        if (mismatch != noMismatch) {
            result.firstBadPart = parts.partAt(mismatch);
            break;
        }
    }
    if (!result.firstBadPart && shift != 0)
        result.firstBadPart = parts.partAt(std::min(directoryStart, start + declaredStart));
    if (result.firstBadPart)
        result.problem = brokenContinuity(parts, *result.firstBadPart);
    result.complete = result.problem.empty();
    return result;
}

std::string Inspection::toJson() const {
    std::string json = "{\"complete\":";
    json += complete ? "true" : "false";
    json += ",\"entries\":" + jsonNumber(entries);
    json += ",\"unpackedSize\":" + jsonNumber(unpackedSize);
    json += ",\"encryptedEntries\":" + jsonNumber(encryptedEntries);
    json +=
        ",\"firstBadPart\":" + (firstBadPart ? std::to_string(*firstBadPart) : std::string("null"));
    json += ",\"missingBytes\":" + jsonNumber(missingBytes);
    json += ",\"conflicts\":" + jsonNumber(conflicts);
    json += ",\"replacedBytes\":" + jsonNumber(replacedBytes);
    json += ",\"problem\":" + (problem.empty() ? std::string("null") : jsonString(problem));
    return json + "}\n";
}

std::string Inspection::toText() const {
    if (!complete)
        return problem + "\n";
    std::string text = "Complete archive: " + std::to_string(*entries) + " entries, " +
                       std::to_string(*unpackedSize) + " bytes unpacked";
    if (conflicts)
        text += ", " + std::to_string(*conflicts) + " files to replace";
    return text + ".\n";
}

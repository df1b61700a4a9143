#include "archivediagnosis.h"

#include "bytesource.h"
#include "endrecord.h"

#include <unistd.h>

#include <array>
#include <string_view>

namespace {

using namespace std::string_view_literals;

bool startsLikeZip(int fd) {
    std::array<char, 4> head{};
    if (::pread(fd, head.data(), head.size(), 0) != ssize_t(head.size()))
        return false;
    const std::string_view signature(head.data(), head.size());
    // A local file header, or the marker a split or spanned zip begins with.
    return signature == "PK\3\4"sv || signature == "PK\7\x08"sv || signature == "PK00"sv;
}

} // namespace

ArchiveDiagnosis::Verdict ArchiveDiagnosis::diagnose(int fd, std::int64_t fileSize) {
    if (fileSize == 0)
        return Verdict::Empty;
    const std::optional<EndRecord> record = readEndRecord(FileBytes(fd, fileSize));
    if (!record)
        return startsLikeZip(fd) ? Verdict::Truncated : Verdict::NotZip;
    if (record->entryCount == 0 && record->directorySize == 0 &&
        record->directoryOffset == std::uint64_t(record->directoryEnd))
        return Verdict::NoEntries;
    if (record->hasZip64Markers && !record->hasZip64Locator)
        return Verdict::Damaged;
    // A missing part shifts the directory or cuts it away.
    return record->isDirectoryCut() ? Verdict::Truncated : Verdict::Damaged;
}

#include "entrydetails.h"

#include "entryname.h"

namespace {

timespec timeOf(bool isSet, time_t seconds, long nanoseconds) {
    return isSet ? timespec{seconds, nanoseconds} : timespec{0, UTIME_OMIT};
}

} // namespace

EntryDetails EntryDetails::fromHeader(archive_entry* header, std::uint32_t index,
                                      std::string path) {
    EntryDetails details;
    details.index = index;
    details.path = std::move(path);
    if (archive_entry_filetype(header) == AE_IFLNK) {
        const char* rawTarget = archive_entry_symlink(header);
        details.linkTarget = EntryName::toUtf8(rawTarget ? rawTarget : "");
    }
    details.mode = archive_entry_perm(header);
    details.modified = timeOf(archive_entry_mtime_is_set(header), archive_entry_mtime(header),
                              archive_entry_mtime_nsec(header));
    details.accessed = timeOf(archive_entry_atime_is_set(header), archive_entry_atime(header),
                              archive_entry_atime_nsec(header));
    return details;
}
